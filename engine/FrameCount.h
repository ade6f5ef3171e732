#pragma once
#include <cstdint>

namespace Fen {

// Whole frames in a time, counted one way everywhere (korvale-sim's
// --seconds, the Python module's seconds, the metrics' stuck window):
// seconds / frameTime rounded to the nearest whole number, halves away
// from zero.
struct FrameCount {
    enum class Fault {
        none,
        badSeconds, // seconds is not a finite number of at least 0
        tooMany, // maxFrames or more, or no number (a frame time of 0 or NaN)
    };
    std::int64_t frames = 0;
    Fault fault = Fault::none;
};

// Far beyond any run, and every count below it is exact in a double.
inline constexpr double maxFrames = 9.0e15;

FrameCount framesIn(double seconds, double frameTime);

} // namespace Fen
