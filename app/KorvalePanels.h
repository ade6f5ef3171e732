#pragma once

namespace Host {
class Dialog;
}

namespace Korvale {

// The ids of the two panels' widgets.
namespace PanelId {
inline constexpr int ToggleFullScreen = 1;
inline constexpr int ToggleRef = 2;
inline constexpr int ChangeDevice = 3;
inline constexpr int FileNameLabel = 10;
inline constexpr int FileName = 15;
inline constexpr int LoadScene = 20;
inline constexpr int LoadRobot = 25;
inline constexpr int LoadNetwork = 30;
inline constexpr int Keyboard = 35;
inline constexpr int NeuralNetwork = 40;
inline constexpr int NoTarget = 45;
inline constexpr int RobotTarget = 50;
inline constexpr int Zoom = 55;
inline constexpr int ResetZoom = 60;
inline constexpr int StartLog = 65;
inline constexpr int StopLog = 70;
}

// Radio-button groups of the user panel.
namespace PanelGroup {
inline constexpr int Camera = 1;
inline constexpr int Control = 2;
}

// Adds every widget, in order, then checks "Keyboard" and "No Target".
void BuildDevicePanel(Host::Dialog& panel);
void BuildUserPanel(Host::Dialog& panel);

} // namespace Korvale
