#include "tools/FilmTiming.h"

#include <algorithm>
#include <cmath>

namespace Korvale::Tools {

FilmTiming::FilmTiming(int framesPerSecond, double stepTime, std::int64_t runFrames_)
    : filmFramesPerRunFrame(framesPerSecond * stepTime), runFrames(runFrames_),
      frameCount(std::max<std::int64_t>(1, std::llround(static_cast<double>(runFrames_) * filmFramesPerRunFrame)))
{
}

std::int64_t FilmTiming::RunFramesDone(std::int64_t filmFrame) const
{
    if (filmFrame + 1 >= frameCount)
        return runFrames;
    // Rounded to the nearest run frame: the frame time, passed through single
    // precision, is seldom an exact fraction of a second.
    const std::int64_t nearest = std::llround(static_cast<double>(filmFrame + 1) / filmFramesPerRunFrame);
    return std::clamp<std::int64_t>(nearest, std::min<std::int64_t>(1, runFrames), runFrames);
}

} // namespace Korvale::Tools
