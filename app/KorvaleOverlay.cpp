#include "app/KorvaleOverlay.h"

#include "host/TextHelper.h"

#include <cmath>
#include <cstdio>

namespace Korvale {

const std::vector<std::string>& HelpLines()
{
    static const std::vector<std::string> lines{
        "Controls (F1 to hide):",
        "  Arrows: to move the robot",
        "  W,S,A,D: to move the camera",
        "  Q,E: zoom",
        "  ESC: quit",
        "  Mouse wheel: zoom",
        "  P: pause, resume    N: one frame while paused",
        "  +, -: speed ×1/8 to ×16, as fast as possible",
        "  R: reset (load the same files again)",
        "  F1: this help    F2: device settings",
        "  F3: hardware or software rasteriser",
        "  F4: sensor and network plots",
        "  F12: screenshot    Alt+Enter: full screen",
        "  Arrows while the network drives: take over",
        "Load scene, robot, network: button, Files tab or drop;",
        "drive, Start Log, Train (Teach tab) or korvale-train LOG",
    };
    return lines;
}

std::string RecordingMark(double seconds, long lines)
{
    const long whole = std::isfinite(seconds) && seconds > 0 ? static_cast<long>(seconds) : 0;
    char text[64];
    std::snprintf(text, sizeof text, "REC %ld:%02ld  %ld line%s", whole / 60, whole % 60, lines, lines == 1 ? "" : "s");
    return text;
}

std::vector<OverlayLine> OverlayLines(const OverlayState& state)
{
    std::vector<OverlayLine> lines;
    lines.push_back({5, 5, 1.0f, 1.0f, 0.0f, state.frameStats});
    lines.push_back({5, 5 + OverlayLineHeight, 1.0f, 1.0f, 0.0f, state.deviceStats});
    lines.push_back({5, 5 + 2 * OverlayLineHeight, 1.0f, 1.0f, 1.0f, state.status});
    if (state.logging)
        lines.push_back({20, 60, 1.0f, 0.0f, 0.0f, RecordingMark(state.logSeconds, state.logLines)});
    if (state.takenOver)
        lines.push_back({20, 60 + OverlayLineHeight, 0.0f, 1.0f, 1.0f, "YOU DRIVE"});
    if (state.helpShown) {
        // The help ends where its first five lines always ended, 45 pixels
        // above the bottom; the rest moves it up.
        const int count = static_cast<int>(HelpLines().size());
        int y = state.backBufferHeight - 45 - OverlayLineHeight * count;
        for (const std::string& line : HelpLines()) {
            lines.push_back({20, y, 1.0f, 1.0f, 1.0f, line});
            y += OverlayLineHeight;
        }
    } else {
        lines.push_back({10, state.backBufferHeight - 30, 1.0f, 1.0f, 1.0f, "Press F1 for help"});
    }
    return lines;
}

void DrawOverlay(Host::TextHelper& text, const std::vector<OverlayLine>& lines)
{
    text.Begin();
    for (const OverlayLine& line : lines) {
        text.SetInsertionPos(line.x, line.y);
        text.SetForegroundColor(line.r, line.g, line.b, 1.0f);
        text.DrawTextLine(line.text);
    }
    text.End();
}

} // namespace Korvale
