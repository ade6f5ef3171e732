#pragma once

#include "app/FileKind.h"
#include "host/Control.h"

#include <string>
#include <vector>

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
// Beside the box: the folder relative names are taken from.
inline constexpr int BoxFolder = 16;
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
// The run bar under the world view.
inline constexpr int Reset = 80;
inline constexpr int Pause = 81;
inline constexpr int Step = 82;
inline constexpr int Slower = 83;
inline constexpr int Speed = 84;
inline constexpr int Faster = 85;
// The Files page.
inline constexpr int FileList = 90;
inline constexpr int FolderName = 91;
// The Teach page.
inline constexpr int LogCorrections = 95;
inline constexpr int TrainLogsLabel = 96;
inline constexpr int TrainLogs = 97;
inline constexpr int Train = 98;
// Under Train: the last training's figures, until the next Train.
inline constexpr int TrainResult = 99;
}

// Pages of the user panel, each a tab over the file-name box, which every
// page shows. Another page goes after the last one here, its widgets placed
// from y = 96 on, under the box, and its commands in a section of
// CKorvaleShell::OnPanelEvent of their own.
namespace PanelPage {
inline constexpr int Main = 100;
inline constexpr int Files = 101;
inline constexpr int Teach = 102;
}

// Radio-button groups of the user panel.
namespace PanelGroup {
inline constexpr int Camera = 1;
inline constexpr int Control = 2;
}

// Adds every widget, in order, then checks "Keyboard" and "No Target".
void BuildDevicePanel(Host::Dialog& panel);
void BuildUserPanel(Host::Dialog& panel);
// The Files page's list of the folder's entries and the folder's name, which
// shows beside the file-name box too: names typed there are taken from it.
void ShowFileList(Host::Dialog& userPanel, const std::string& folderName, std::vector<Host::ListItem> rows);
// The short tag of a file's kind in the Files page's rows.
const char* FileKindTag(FileKind kind);
// The Teach page's list of logs; those Train learns from are marked "train".
void ShowTrainingLogs(Host::Dialog& userPanel, std::vector<Host::ListItem> rows);
// Reset, Pause, Step, slower, the speed, faster: one row.
void BuildRunBar(Host::Dialog& panel);
// The run bar's labels for the run state: "Pause" or "Resume", the speed.
void ShowRunState(Host::Dialog& runBar, bool paused, const char* speed);

} // namespace Korvale
