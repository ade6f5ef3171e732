#include "host/SettingsDialog.h"

#include "base/WindowMessages.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#include <imgui.h>

#include <algorithm>

namespace Host {

void SettingsDialog::SetActive(bool on)
{
    if (on && !active)
        fields = framework.CurrentSettings();
    active = on;
}

bool SettingsDialog::MsgProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (message == Tarn::WindowMessage::KeyDown && !Tarn::IsRepeatedKeyDown(lParam)) {
        const auto key = static_cast<std::uint8_t>(wParam & 0xFF);
        if (key == Tarn::VirtualKey::F2 || key == Tarn::VirtualKey::Escape)
            active = false;
    }
    return true;
}

void SettingsDialog::OnRender(float)
{
    const BackBuffer buffer = framework.GetBackBuffer();
    glClearColor(0.1f, 0.1f, 0.12f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    ImGui::SetNextWindowPos(ImVec2(buffer.width * 0.5f, buffer.height * 0.5f), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
    ImGui::SetNextWindowSize(ImVec2(380.0f, 0.0f));
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse
        | ImGuiWindowFlags_NoSavedSettings;
    if (ImGui::Begin("Device settings", nullptr, flags)) {
        ImGui::TextWrapped("Renderer: %s", framework.RendererName().c_str());
        ImGui::Separator();
        ImGui::Checkbox("Full screen", &fields.fullScreen);
        ImGui::BeginDisabled(fields.fullScreen);
        ImGui::SetNextItemWidth(120.0f);
        ImGui::InputInt("Window width", &fields.windowWidth, 10, 100);
        ImGui::SetNextItemWidth(120.0f);
        ImGui::InputInt("Window height", &fields.windowHeight, 10, 100);
        ImGui::EndDisabled();
        fields.windowWidth = std::clamp(fields.windowWidth, 100, 8192);
        fields.windowHeight = std::clamp(fields.windowHeight, 100, 8192);
        ImGui::Checkbox("Vertical sync", &fields.vsync);
        ImGui::Separator();
        if (ImGui::Button("OK", ImVec2(80.0f, 0.0f))) {
            framework.ApplySettings(fields);
            active = false;
        }
        ImGui::SameLine();
        if (ImGui::Button("Cancel", ImVec2(80.0f, 0.0f)))
            active = false;
    }
    ImGui::End();
}

}
