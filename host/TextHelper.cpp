#include "host/TextHelper.h"

#include <imgui.h>

namespace Host {

TextHelper::TextHelper(ImFont* font, float lineHeight) : font(font), lineHeight(lineHeight) {}

void TextHelper::Begin()
{
    drawList = ImGui::GetBackgroundDrawList();
}

void TextHelper::SetInsertionPos(int newX, int newY)
{
    x = static_cast<float>(newX);
    y = static_cast<float>(newY);
}

void TextHelper::SetForegroundColor(float r, float g, float b, float a)
{
    color = ImGui::ColorConvertFloat4ToU32(ImVec4(r, g, b, a));
}

void TextHelper::DrawTextLine(std::string_view utf8)
{
    if (drawList) {
        ImFont* used = font ? font : ImGui::GetFont();
        drawList->AddText(used, used->FontSize, ImVec2(x, y), color, utf8.data(), utf8.data() + utf8.size());
    }
    y += lineHeight;
}

void TextHelper::End()
{
    drawList = nullptr;
}

}
