#include "engine/FrameCount.h"

#include <cmath>

namespace Fen {

FrameCount framesIn(double seconds, double frameTime)
{
    if (!(seconds >= 0) || !std::isfinite(seconds))
        return {0, FrameCount::Fault::badSeconds};
    const double frames = std::round(seconds / frameTime);
    if (!(frames < maxFrames))
        return {0, FrameCount::Fault::tooMany};
    return {static_cast<std::int64_t>(frames), FrameCount::Fault::none};
}

} // namespace Fen
