#include "host/LineManager.h"

#include <imgui.h>

namespace Host {

void LineManager::AddRect(float left, float top, float right, float bottom, unsigned argb, float width)
{
    rects.push_back({left, top, right, bottom, argb, width});
}

void LineManager::Draw() const
{
    ImDrawList* list = ImGui::GetBackgroundDrawList();
    for (const Rect& r : rects) {
        const unsigned a = (r.argb >> 24) & 0xFF;
        const unsigned red = (r.argb >> 16) & 0xFF;
        const unsigned green = (r.argb >> 8) & 0xFF;
        const unsigned blue = r.argb & 0xFF;
        list->AddRect(ImVec2(r.left, r.top), ImVec2(r.right, r.bottom), IM_COL32(red, green, blue, a), 0.0f, 0,
                      r.width);
    }
}

}
