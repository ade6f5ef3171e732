#include "host/TextHelper.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>

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

float TextHelper::DrawTextLine(std::string_view utf8, float wrapWidth)
{
    ImFont* used = font ? font : ImGui::GetFont();
    const char* begin = utf8.data();
    const char* end = utf8.data() + utf8.size();
    float height = lineHeight;
    if (ImGui::GetCurrentContext() != nullptr && used != nullptr) {
        const ImVec2 size = used->CalcTextSizeA(used->FontSize, 1e9f, wrapWidth, begin, end);
        // Lines of the font's height, spaced as the overlay spaces lines.
        const float lines = std::max(1.0f, std::round(size.y / used->FontSize));
        height = lines * lineHeight;
    }
    if (drawList)
        drawList->AddText(used, used->FontSize, ImVec2(x, y), color, begin, end, wrapWidth);
    y += height;
    return height;
}

float TextHelper::TextWidth(std::string_view utf8) const
{
    ImFont* used = font ? font : ImGui::GetFont();
    if (ImGui::GetCurrentContext() == nullptr || used == nullptr)
        return 0.0f;
    return used->CalcTextSizeA(used->FontSize, 1e9f, 0.0f, utf8.data(), utf8.data() + utf8.size()).x;
}

void TextHelper::DrawBackdrop(float left, float top, float right, float bottom, float r, float g, float b)
{
    if (drawList)
        drawList->AddRectFilled(ImVec2(left, top), ImVec2(right, bottom),
                                ImGui::ColorConvertFloat4ToU32(ImVec4(r, g, b, 1.0f)), 4.0f);
}

void TextHelper::End()
{
    drawList = nullptr;
}

}
