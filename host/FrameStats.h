#pragma once
#include <string>

namespace Host {

// Counts presented frames and reports the frame rate over the last half
// second of wall-clock time, so the figure is steady enough to read.
class FrameStats {
public:
    void Frame(double wallSeconds);
    double FramesPerSecond() const { return framesPerSecond; }
    std::string Text(bool vsync) const;

private:
    double windowStart = -1.0;
    long framesInWindow = 0;
    double framesPerSecond = 0.0;
};

}
