#pragma once
#include "app/CFileDrop.h"
#include "app/CFileList.h"
#include "app/CPanelCommandHost.h"
#include "app/CSceneCommands.h"
#include "app/CTraining.h"
#include "app/FrameBudget.h"
#include "host/Dialog.h"
#include "host/Framework.h"
#include "host/LineManager.h"
#include "host/SettingsDialog.h"

#include <cstdint>
#include <memory>

namespace Tarn {
class CGLDevice;
}

namespace Korvale {

class CKorvale;

// Everything of the window around the application object: the host
// callbacks, the device, the two panels and their commands, the settings
// dialog, the outline of the world view and the overlay text.
class CKorvaleShell {
public:
    // Registers the callbacks with the host and builds the panels.
    CKorvaleShell(Host::Framework& framework, CKorvale& app);
    // Lets the device go (lost, destroyed) while the shell still exists.
    ~CKorvaleShell();
    CKorvaleShell(const CKorvaleShell&) = delete;
    CKorvaleShell& operator=(const CKorvaleShell&) = delete;

    Tarn::DeviceResult OnCreateDevice();
    Tarn::DeviceResult OnResetDevice(const Host::BackBuffer& backBuffer);
    void OnLostDevice();
    void OnDestroyDevice();
    void OnFrameMove(double time, float elapsed);
    void OnFrameRender(double time, float elapsed);
    // Saves the frame just drawn when F12 asked for it.
    void OnFrameDrawn();
    bool MsgProc(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnKeyboard(std::uint8_t key, bool down, bool altDown);
    void OnPanelEvent(int controlId);

    Host::Dialog& GetDevicePanel() { return devicePanel; }
    Host::Dialog& GetUserPanel() { return userPanel; }
    Host::Dialog& GetRunBar() { return runBar; }
    bool IsHelpShown() const { return helpShown; }
    bool AreSensorsShown() const { return sensorsShown; }
    Host::Dialog& GetSensorPanel() { return sensorPanel; }

    // The run commands of the keys and the run bar.
    void TogglePause();
    void Step();
    void ChangeSpeed(bool faster);
    void Reset();

    // The Files page: a click puts a file's name into the box; a double-click
    // loads the file with its kind's command, or opens the folder.
    void OnFileListEvent(Host::DialogEvent event);
    CFileList& GetFileList() { return fileList; }

    // The Teach page: a click on a log adds it to what Train learns from, or
    // takes it out.
    void OnTrainingLogsEvent(Host::DialogEvent event);
    CTraining& GetTraining() { return training; }

private:
    // Reads the list's folder again and shows it, keeping the selected row.
    void RefreshFileList();
    // The working folder's logs, those Train learns from marked.
    void RefreshTrainingLogs();
    // Start Log and Log Corrections; a log that starts joins the choice of
    // logs to train on.
    void StartLog(const std::string& fileName);
    void LogCorrections();
    // Under automation, where the robot is every quarter of a simulated
    // second: "robot: world frame F, x X, y Y, angle A".
    void NoteRobot();

    // The run bar and the status line's resting text follow the run state;
    // under automation a line tells the window and world frames so far.
    void ShowRunState(const std::string& message);
    // The status line's resting text: the run state, and the selected robot
    // of a swarm ("Ready - Robot 3 of 20").
    void ShowRestingText();
    // The status line names the robot just selected.
    void ShowSelection();

    Host::Framework& framework;
    CKorvale& app;
    Host::SettingsDialog settingsDialog;
    Host::Dialog devicePanel{"device panel"};
    Host::Dialog userPanel{"user panel"};
    Host::Dialog runBar{"run bar"};
    Host::Dialog sensorPanel{"sensor panel"};
    Host::LineManager lineManager;
    CPanelCommandHost commandHost;
    CSceneCommands commands;
    CFileDrop fileDrop{commands, commandHost};
    CFileList fileList;
    double fileListTime = 0.0;
    CTraining training;
    std::vector<std::string> trainingLogRows; // the names the Teach page's rows show
    double trainingLogsTime = 0.0;
    long notedWorldFrame = -1;
    std::string restingText = "Ready"; // as the status line starts
    std::unique_ptr<Tarn::CGLDevice> device;
    bool helpShown = false;
    bool sensorsShown = false;
    bool screenshotRequested = false;
    // Reset starts the noise where the program started it.
    std::uint32_t startNoise = 0;
    // How long drawing took last frame: what is left of the frame's time
    // goes to world frames at full speed.
    double renderStart = 0.0;
    double renderTime = 0.0;
    double frameMoveStart = 0.0;
    FrameBudget frameBudget;
};

} // namespace Korvale
