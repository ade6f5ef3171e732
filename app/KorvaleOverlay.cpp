#include "app/KorvaleOverlay.h"

#include "host/TextHelper.h"

namespace Korvale {

std::vector<OverlayLine> OverlayLines(const OverlayState& state)
{
    std::vector<OverlayLine> lines;
    lines.push_back({5, 5, 1.0f, 1.0f, 0.0f, state.frameStats});
    lines.push_back({5, 5 + OverlayLineHeight, 1.0f, 1.0f, 0.0f, state.deviceStats});
    lines.push_back({5, 5 + 2 * OverlayLineHeight, 1.0f, 1.0f, 1.0f, state.status});
    if (state.logging)
        lines.push_back({20, 60, 1.0f, 0.0f, 0.0f, "REC"});
    if (state.helpShown) {
        const char* help[] = {"Controls (F1 to hide):", "  Arrows: to move the robot", "  W,S,A,D: to move the camera",
                              "  Q,E: zoom", "  ESC: quit"};
        int y = state.backBufferHeight - 120;
        for (const char* line : help) {
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
