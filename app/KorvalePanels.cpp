#include "app/KorvalePanels.h"

#include "host/Dialog.h"
#include "base/WindowMessages.h"

namespace Korvale {

void BuildDevicePanel(Host::Dialog& panel)
{
    panel.AddButton(PanelId::ToggleFullScreen, "Toggle full screen", {35, 10, 125, 22});
    // F3 is the host's own key, not the button's.
    panel.AddButton(PanelId::ToggleRef, "Toggle REF (F3)", {35, 34, 125, 22});
    panel.AddButton(PanelId::ChangeDevice, "Change device (F2)", {35, 58, 125, 22}, Tarn::VirtualKey::F2);
}

void BuildUserPanel(Host::Dialog& panel)
{
    // The file-name box shows on every page, under the pages' tabs.
    panel.AddStatic(PanelId::FileNameLabel, "File Name:", {35, 34, 125, 22});
    panel.AddEditBox(PanelId::FileName, "Default.xml", {35, 58, 125, 32});
    panel.AddStatic(PanelId::BoxFolder, "", {100, 34, 68, 22}, Host::TextFit::KeepEnd);
    panel.SetColor(PanelId::BoxFolder, 0xFFB0B0B0);
    panel.AddPage(PanelPage::Main, "Main", {8, 6, 160, 22});
    panel.AddButton(PanelId::LoadScene, "Load Scene", {35, 102, 125, 22});
    panel.AddButton(PanelId::LoadRobot, "Load Robot", {35, 126, 125, 22});
    panel.AddButton(PanelId::LoadNetwork, "Load Network", {35, 150, 125, 22});
    panel.AddRadioButton(PanelId::Keyboard, PanelGroup::Control, "Keyboard", {35, 174, 125, 22});
    panel.AddRadioButton(PanelId::NeuralNetwork, PanelGroup::Control, "Neural Network", {35, 198, 125, 22});
    panel.AddRadioButton(PanelId::NoTarget, PanelGroup::Camera, "No Target", {35, 222, 125, 22});
    panel.AddRadioButton(PanelId::RobotTarget, PanelGroup::Camera, "Robot Target", {35, 246, 125, 22});
    panel.AddButton(PanelId::ResetZoom, "Reset Zoom", {35, 270, 125, 22});
    panel.AddSlider(PanelId::Zoom, {50, 294, 100, 22}, 0, 100, 50);
    panel.AddButton(PanelId::StartLog, "Start Log", {35, 318, 125, 22});
    panel.AddButton(PanelId::StopLog, "Stop Log", {35, 342, 125, 22});
    panel.AddPage(PanelPage::Files, "Files");
    panel.AddStatic(PanelId::FolderName, "", {8, 96, 160, 18});
    panel.AddListBox(PanelId::FileList, {8, 116, 160, 248}, 36);
    // Take over from the network with the arrow keys, record the corrections,
    // train the next student.
    panel.AddPage(PanelPage::Teach, "Teach");
    panel.AddButton(PanelId::LogCorrections, "Log Corrections", {8, 96, 160, 22});
    panel.AddStatic(PanelId::TrainLogsLabel, "Train on (click a log):", {8, 122, 160, 18});
    panel.AddListBox(PanelId::TrainLogs, {8, 142, 160, 110}, 40);
    panel.AddButton(PanelId::Train, "Train", {8, 258, 160, 22});
    panel.AddStatic(PanelId::TrainResult, "", {8, 284, 160, 80}, Host::TextFit::Wrap);
    panel.SetRadioButtonChecked(PanelId::Keyboard);
    panel.SetRadioButtonChecked(PanelId::NoTarget);
}

void ShowFileList(Host::Dialog& userPanel, const std::string& folderName, std::vector<Host::ListItem> rows)
{
    userPanel.SetText(PanelId::FolderName, "Folder: " + folderName);
    // Read with the box under it, the folder ends in "/" as a path does.
    userPanel.SetText(PanelId::BoxFolder, folderName + (folderName.ends_with('/') ? "" : "/"));
    userPanel.SetListItems(PanelId::FileList, std::move(rows));
}

const char* FileKindTag(FileKind kind)
{
    switch (kind) {
    case FileKind::Network: return "net";
    case FileKind::Folder: return "";
    default: return FileKindName(kind);
    }
}

void ShowTrainingLogs(Host::Dialog& userPanel, std::vector<Host::ListItem> rows)
{
    userPanel.SetListItems(PanelId::TrainLogs, std::move(rows));
}

void BuildRunBar(Host::Dialog& panel)
{
    panel.AddButton(PanelId::Reset, "Reset", {0, 4, 52, 22});
    panel.AddButton(PanelId::Pause, "Pause", {56, 4, 60, 22});
    panel.AddButton(PanelId::Step, "Step", {120, 4, 44, 22});
    panel.AddButton(PanelId::Slower, "-", {168, 4, 22, 22});
    panel.AddStatic(PanelId::Speed, "×1", {196, 4, 56, 22});
    panel.AddButton(PanelId::Faster, "+", {256, 4, 22, 22});
}

void ShowRunState(Host::Dialog& runBar, bool paused, const char* speed)
{
    runBar.SetText(PanelId::Pause, paused ? "Resume" : "Pause");
    runBar.SetText(PanelId::Speed, speed);
}

} // namespace Korvale
