#pragma once
#include <string>
#include <vector>

namespace Host {
class TextHelper;
}

namespace Korvale {

// The overlay text of one frame as lines at positions in colours: statistics
// in yellow, the status line in white, "REC" with the log's time and lines in
// red while logging, "YOU DRIVE" in cyan while the arrow keys have taken over
// from the network, and the help or the hint to it at the bottom left.
struct OverlayLine {
    int x = 0;
    int y = 0;
    float r = 1.0f;
    float g = 1.0f;
    float b = 1.0f;
    std::string text;  // UTF-8
    // Lines longer than this many pixels wrap (0: never), at blanks where
    // there are any.
    int wrapWidth = 0;
    // Moved down as far as the status line's wrapped lines reach over it.
    bool belowStatus = false;
    // On an opaque dark backdrop, one behind all such lines together.
    bool backdrop = false;
};

struct OverlayState {
    std::string frameStats;
    std::string deviceStats;
    std::string status;
    bool logging = false;
    double logSeconds = 0.0; // simulated time the running log has gathered
    long logLines = 0;
    bool takenOver = false; // the arrow keys drive in place of the network
    bool helpShown = false;
    int backBufferHeight = 0;
    int backBufferWidth = 640;
};

inline constexpr int OverlayLineHeight = 15;

std::vector<OverlayLine> OverlayLines(const OverlayState& state);
// "REC 1:05  652 lines": the log's simulated minutes and seconds.
std::string RecordingMark(double seconds, long lines);
// Every key, then how to load, drive, log and train: the first
// HelpColumnLines in the left column, as many in the right one, and the
// rest across both under them.
const std::vector<std::string>& HelpLines();
inline constexpr int HelpColumnLines = 8;
inline constexpr int HelpRightColumn = 250; // the right column's x
// The status line wraps where the panels begin, with this much to spare.
inline constexpr int StatusMargin = 180;
void DrawOverlay(Host::TextHelper& text, const std::vector<OverlayLine>& lines);

} // namespace Korvale
