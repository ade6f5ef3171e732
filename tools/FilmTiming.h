#pragma once
#include <cstdint>

namespace Korvale::Tools {

// Which world a run's film shows in each of its frames. Film frame k stands
// for the simulated time from k / fps to (k + 1) / fps seconds and shows the
// world as the window would at its end: after the run frame whose end is
// nearest, and never before the first run frame (which the window never
// shows either). The film lasts the run's simulated time, rounded to whole
// film frames, and has at least one frame; its last frame shows the world
// after the last run frame.
class FilmTiming {
public:
    // stepTime: the simulated seconds of one run frame; runFrames: how many.
    FilmTiming(int framesPerSecond, double stepTime, std::int64_t runFrames);

    std::int64_t FrameCount() const { return frameCount; }
    // The number of run frames done when the world shows what film frame
    // `filmFrame` shows (0 only for a run of no frames).
    std::int64_t RunFramesDone(std::int64_t filmFrame) const;

private:
    double filmFramesPerRunFrame;
    std::int64_t runFrames;
    std::int64_t frameCount;
};

} // namespace Korvale::Tools
