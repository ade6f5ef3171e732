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
    void DrawTextLine(std::string_view utf8);
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
