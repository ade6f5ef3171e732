#include "app/KorvaleOverlay.h"

#include "host/TextHelper.h"

#include <algorithm>
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
        "  P: pause, resume",
        "  N: one frame while paused",
        "+, -: speed ×1/8 to ×16, max",
        "R: reset (the same files)",
        "F1: this help",
        "F2: device settings",
        "F3: hardware/software",
        "F4: sensor and network plots",
        "F12: screenshot",
        "Alt+Enter: full screen",
        "Arrows while the network drives: take over.",
        "Swarm: Tab, Shift+Tab or a click picks a robot; F5: rays",
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
    lines.push_back({5, 5 + 2 * OverlayLineHeight, 1.0f, 1.0f, 1.0f, state.status,
                     std::max(0, state.backBufferWidth - StatusMargin)});
    if (state.logging)
        lines.push_back(
            {20, 60, 1.0f, 0.0f, 0.0f, RecordingMark(state.logSeconds, state.logLines), 0, true});
    if (state.takenOver)
        lines.push_back({20, 60 + OverlayLineHeight, 0.0f, 1.0f, 1.0f, "YOU DRIVE", 0, true});
    if (state.helpShown) {
        // Two columns and the lines across both under them, ending where the
        // help's first five lines always ended, 45 pixels above the bottom:
        // the arena stays in sight above it.
        const auto& help = HelpLines();
        const int count = static_cast<int>(help.size());
        const int rows = HelpColumnLines + (count - 2 * HelpColumnLines);
        const int top = state.backBufferHeight - 45 - OverlayLineHeight * rows;
        for (int i = 0; i < count; ++i) {
            const bool right = i >= HelpColumnLines && i < 2 * HelpColumnLines;
            const int row = i < HelpColumnLines ? i : i - HelpColumnLines;
            OverlayLine line{right ? HelpRightColumn : 20, top + OverlayLineHeight * row, 1.0f, 1.0f, 1.0f,
                             help[static_cast<std::size_t>(i)]};
            line.backdrop = true;
            lines.push_back(std::move(line));
        }
    } else {
        lines.push_back({10, state.backBufferHeight - 30, 1.0f, 1.0f, 1.0f, "Press F1 for help"});
    }
    return lines;
}

void DrawOverlay(Host::TextHelper& text, const std::vector<OverlayLine>& lines)
{
    text.Begin();
    // One backdrop behind every line that asks for one, a little larger.
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (const OverlayLine& line : lines) {
        if (!line.backdrop)
            continue;
        left = std::min(left, static_cast<float>(line.x));
        top = std::min(top, static_cast<float>(line.y));
        right = std::max(right, static_cast<float>(line.x) + text.TextWidth(line.text));
        bottom = std::max(bottom, static_cast<float>(line.y + OverlayLineHeight));
    }
    if (right > left)
        text.DrawBackdrop(left - 8, top - 6, right + 8, bottom + 4, 0.08f, 0.09f, 0.16f);
    int statusBottom = 0;
    for (const OverlayLine& line : lines) {
        int y = line.y;
        // The status line is the third line; what sits under it makes room.
        if (line.belowStatus)
            y += std::max(0, statusBottom - 60);
        text.SetInsertionPos(line.x, y);
        text.SetForegroundColor(line.r, line.g, line.b, 1.0f);
        const int height = static_cast<int>(text.DrawTextLine(line.text, static_cast<float>(line.wrapWidth)));
        if (line.wrapWidth > 0)
            statusBottom = std::max(statusBottom, y + height);
    }
    text.End();
}

} // namespace Korvale
