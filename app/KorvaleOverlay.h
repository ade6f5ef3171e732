#pragma once
#include <string>
#include <vector>

namespace Host {
class TextHelper;
}

namespace Korvale {

// The overlay text of one frame as lines at positions in colours: statistics
// in yellow, the status line in white, "REC" in red while logging, and the
// help or the hint to it at the bottom left.
struct OverlayLine {
    int x = 0;
    int y = 0;
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    std::string text;  // UTF-8
};

struct OverlayState {
    std::string frameStats;
    std::string deviceStats;
    std::string status;
    bool logging = false;
    bool helpShown = false;
    int backBufferHeight = 0;
};

inline constexpr int OverlayLineHeight = 15;

std::vector<OverlayLine> OverlayLines(const OverlayState& state);
void DrawOverlay(Host::TextHelper& text, const std::vector<OverlayLine>& lines);

} // namespace Korvale
