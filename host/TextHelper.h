#pragma once
#include <string_view>

struct ImFont;
struct ImDrawList;

namespace Host {

// Draws lines of overlay text into the current frame, under the dialogs: one
// line per call at the insertion point, which then moves down a line.
class TextHelper {
public:
    TextHelper(ImFont* font, float lineHeight);

    void Begin();
    void SetInsertionPos(int x, int y);
    void SetForegroundColor(float r, float g, float b, float a);
    // Returns the height drawn: more than a line where the text breaks at
    // line feeds, or wraps at `wrapWidth` pixels (0: never).
    float DrawTextLine(std::string_view utf8, float wrapWidth = 0.0f);
    // The width of the widest line of the text, in pixels.
    float TextWidth(std::string_view utf8) const;
    // A filled, opaque rectangle under the text drawn after it.
    void DrawBackdrop(float left, float top, float right, float bottom, float r, float g, float b);
    void End();

private:
    ImFont* font;
    float lineHeight;
    ImDrawList* drawList = nullptr;
    float x = 0.0f;
    float y = 0.0f;
    unsigned color = 0xFFFFFFFF;
};

}
