#include "host/FrameStats.h"

#include <cstdio>

namespace Host {

namespace {
constexpr double Window = 0.5;
}

void FrameStats::Frame(double wallSeconds)
{
    if (windowStart < 0.0) {
        windowStart = wallSeconds;
        return;
    }
    ++framesInWindow;
    const double span = wallSeconds - windowStart;
    if (span >= Window) {
        framesPerSecond = framesInWindow / span;
        framesInWindow = 0;
        windowStart = wallSeconds;
    }
}

std::string FrameStats::Text(bool vsync) const
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f fps, vsync %s", framesPerSecond, vsync ? "on" : "off");
    return text;
}

}
