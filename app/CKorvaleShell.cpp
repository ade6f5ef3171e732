#include "app/CKorvaleShell.h"

#include "app/CKorvale.h"
#include "app/KorvaleLayout.h"
#include "app/KorvaleOverlay.h"
#include "app/KorvalePanels.h"
#include "app/RobotSelection.h"
#include "app/Screenshot.h"
#include "app/SensorPanel.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "model/CFenNeuralRobot.h"
#include "host/TextConversion.h"
#include "host/TextHelper.h"
#include "render/CGLDevice.h"
#include "render/ReadPicture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace Korvale {

namespace {
constexpr std::uint32_t BackgroundColor = 0x002D32AA;
constexpr std::uint32_t OutlineColor = 0xFF00007F;
// Shows or hides every robot's infrared rays.
constexpr std::uint8_t RaysKey = Tarn::VirtualKey::F1 + 4; // F5

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
}

CKorvaleShell::CKorvaleShell(Host::Framework& framework, CKorvale& app)
    : framework(framework), app(app), settingsDialog(framework),
      commandHost(app, userPanel, framework.Flags().automation), commands(app.scene, commandHost),
      training(app.scene, commands, commandHost, CTraining::InstalledProgram(),
               [this] { userPanel.SetRadioButtonChecked(PanelId::NeuralNetwork); }),
      startNoise(Fen::randomState())
{
    Host::Callbacks callbacks;
    callbacks.deviceCreated = [this] { return OnCreateDevice(); };
    callbacks.deviceReset = [this](const Host::BackBuffer& buffer) { return OnResetDevice(buffer); };
    callbacks.deviceLost = [this] { OnLostDevice(); };
    callbacks.deviceDestroyed = [this] { OnDestroyDevice(); };
    callbacks.msgProc = [this](void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        return MsgProc(window, message, wParam, lParam);
    };
    callbacks.keyboard = [this](std::uint8_t key, bool down, bool alt) { OnKeyboard(key, down, alt); };
    callbacks.frameRender = [this](double time, float elapsed) { OnFrameRender(time, elapsed); };
    callbacks.frameMove = [this](double time, float elapsed) { OnFrameMove(time, elapsed); };
    callbacks.frameDrawn = [this] { OnFrameDrawn(); };
    callbacks.notice = [this](const std::string& text) { commandHost.ShowInfo(text); };
    callbacks.filesDropped = [this](const std::vector<std::string>& files) { fileDrop.Load(files); };
    framework.SetCallbacks(std::move(callbacks));

    const auto onEvent = [this](Host::DialogEvent, int id, Host::Dialog&) { OnPanelEvent(id); };
    devicePanel.SetEventHandler(onEvent);
    devicePanel.SetSize(170, 170);
    BuildDevicePanel(devicePanel);
    userPanel.SetEventHandler([this](Host::DialogEvent event, int id, Host::Dialog&) {
        if (id == PanelId::FileList)
            OnFileListEvent(event);
        else if (id == PanelId::TrainLogs)
            OnTrainingLogsEvent(event);
        else if (event == Host::DialogEvent::PageChanged && id == PanelPage::Files)
            RefreshFileList();
        else if (event == Host::DialogEvent::PageChanged && id == PanelPage::Teach)
            RefreshTrainingLogs();
        else
            OnPanelEvent(id);
    });
    userPanel.SetSize(170, 240);
    BuildUserPanel(userPanel);
    RefreshFileList();
    app.ResetZoom();
    runBar.SetEventHandler(onEvent);
    BuildRunBar(runBar);
    SensorPanel::Build(sensorPanel);
}

CKorvaleShell::~CKorvaleShell()
{
    framework.ReleaseDevice();
    framework.SetCallbacks({});
}

Tarn::DeviceResult CKorvaleShell::OnCreateDevice()
{
    std::string error;
    device = Tarn::CGLDevice::Create(1, 1, &error);
    if (!device) {
        std::fprintf(stderr, "korvale: the OpenGL device could not be made: %s\n", error.c_str());
        return Tarn::DeviceFail;
    }
    return app.deviceSubject.OnCreateDevice(device.get());
}

Tarn::DeviceResult CKorvaleShell::OnResetDevice(const Host::BackBuffer& buffer)
{
    if (!device)
        return Tarn::DeviceFail;
    device->SetBackBufferSize(static_cast<std::uint32_t>(buffer.width), static_cast<std::uint32_t>(buffer.height));
    if (const Tarn::DeviceResult result = app.deviceSubject.OnResetDevice(); Tarn::Failed(result))
        return result;
    if (const Tarn::DeviceResult result = device->SetRenderState(Tarn::RenderState::CullMode, Tarn::CullNone);
        Tarn::Failed(result))
        return result;
    if (const Tarn::DeviceResult result = device->SetRenderState(Tarn::RenderState::Lighting, 0); Tarn::Failed(result))
        return result;

    const KorvaleLayout::Rect view = KorvaleLayout::WorldView(buffer.width, buffer.height);
    lineManager.RemoveAll();
    lineManager.AddRect(static_cast<float>(view.left), static_cast<float>(view.top), static_cast<float>(view.right),
                        static_cast<float>(view.bottom), OutlineColor, 2.0f);
    app.viewport.SetRect(static_cast<std::uint32_t>(view.left), static_cast<std::uint32_t>(view.top),
                         static_cast<std::uint32_t>(view.right - view.left),
                         static_cast<std::uint32_t>(view.bottom - view.top));

    const auto place = [&buffer](Host::Dialog& panel, KorvaleLayout::Place (*where)(int, int)) {
        const KorvaleLayout::Place at = where(buffer.width, buffer.height);
        panel.SetLocation(at.x, at.y);
        panel.SetSize(at.width, at.height);
    };
    place(devicePanel, KorvaleLayout::DevicePanel);
    place(userPanel, KorvaleLayout::UserPanel);
    place(runBar, KorvaleLayout::RunBar);
    place(sensorPanel, KorvaleLayout::SensorPanel);
    return Tarn::DeviceOk;
}

void CKorvaleShell::OnLostDevice()
{
    app.deviceSubject.OnLostDevice();
}

void CKorvaleShell::OnDestroyDevice()
{
    app.deviceSubject.OnDestroyDevice();
    device.reset();
}

void CKorvaleShell::OnFrameMove(double time, float elapsed)
{
    // At full speed the world gets what drawing and the rest of the frame
    // leave of the period.
    const double now = WallSeconds();
    const double lastFrame = frameMoveStart > 0.0 ? now - frameMoveStart : 0.0;
    frameMoveStart = now;
    app.SetFrameBudget(frameBudget.Next(framework.FramePeriod(), lastFrame, renderTime));
    app.Update(time, elapsed);
    // A fault of the frame (the log could not write) goes to the status line.
    commands.CheckSceneErrors();
    app.UpdateZoom(elapsed);
    userPanel.SetSliderValue(PanelId::Zoom, KorvaleLayout::SliderValueFromZoom(app.viewport.GetZoom()));
    if (userPanel.IsChecked(PanelId::NoTarget))
        app.MoveCamera(elapsed);
    else if (userPanel.IsChecked(PanelId::RobotTarget))
        app.FollowRobot(elapsed);
    // Files come and go (a new log): the list shown follows every 2 s.
    if (userPanel.SelectedPage() == PanelPage::Files && std::abs(time - fileListTime) >= 2.0) {
        fileListTime = time;
        RefreshFileList();
    }
    if (userPanel.SelectedPage() == PanelPage::Teach && std::abs(time - trainingLogsTime) >= 2.0) {
        trainingLogsTime = time;
        RefreshTrainingLogs();
    }
    training.Poll();
    userPanel.SetText(PanelId::TrainResult, training.Summary());
    ShowRestingText();
    NoteRobot();
}

void CKorvaleShell::ShowSelection()
{
    if (const std::string text = app.SelectionMessage(); !text.empty())
        commandHost.ShowInfo(text);
}

void CKorvaleShell::ShowRestingText()
{
    // Loads and clears change the robots without a word to the shell: the
    // number is checked each frame.
    std::string text = RestingStatusText(app.run.StateText(), app.scene.SelectedIndex(), app.scene.RobotCount());
    if (text == restingText)
        return;
    restingText = std::move(text);
    app.statusBar.SetDefaultText(Host::Utf8ToUtf16(restingText));
}

void CKorvaleShell::NoteRobot()
{
    constexpr long FramesBetweenNotes = 15;
    const long frame = app.WorldFrames();
    Tarn::CFenNeuralRobot* robot = app.scene.GetSelectedRobot();
    if (!framework.Flags().automation || robot == nullptr || frame / FramesBetweenNotes == notedWorldFrame)
        return;
    notedWorldFrame = frame / FramesBetweenNotes;
    const Fen::NeuralRobot& body = robot->GetPhysicalObject();
    char text[160];
    std::snprintf(text, sizeof text, "world frame %ld, x %.17g, y %.17g, angle %.17g", frame, body.pos.x, body.pos.y,
                  body.angle);
    commandHost.Note("robot", text);
}

void CKorvaleShell::RefreshTrainingLogs()
{
    // The working folder's logs, and chosen ones elsewhere.
    CFileList folder;
    trainingLogRows.clear();
    for (const CFileList::Entry& entry : folder.Entries())
        if (entry.kind == FileKind::Log)
            trainingLogRows.push_back(entry.name);
    for (const std::string& name : training.Chosen())
        if (std::find(trainingLogRows.begin(), trainingLogRows.end(), name) == trainingLogRows.end())
            trainingLogRows.push_back(name);
    std::vector<Host::ListItem> rows;
    for (const std::string& name : trainingLogRows)
        rows.push_back({name, training.IsChosen(name) ? "train" : ""});
    ShowTrainingLogs(userPanel, std::move(rows));
}

void CKorvaleShell::OnTrainingLogsEvent(Host::DialogEvent event)
{
    const int row = userPanel.GetControl(PanelId::TrainLogs)->value;
    if (event != Host::DialogEvent::ListItemSelected || row < 0
        || static_cast<std::size_t>(row) >= trainingLogRows.size())
        return;
    training.Toggle(trainingLogRows[static_cast<std::size_t>(row)]);
    RefreshTrainingLogs();
}

void CKorvaleShell::StartLog(const std::string& fileName)
{
    if (commands.StartLog(fileName) && app.scene.IsLogging())
        training.LogStarted(fileName, false);
    RefreshTrainingLogs();
}

void CKorvaleShell::LogCorrections()
{
    const std::string name = CTraining::FreeName("corrections-", ".log");
    if (commands.StartCorrectionsLog(name) && app.scene.IsLogging()) {
        training.LogStarted(name, true);
        commandHost.ShowInfo("Recording corrections into " + name
                             + ": while the network drives, hold the arrow keys to take over");
    }
    RefreshTrainingLogs();
}

void CKorvaleShell::RefreshFileList()
{
    const int selected = userPanel.GetControl(PanelId::FileList)->value;
    const auto& before = fileList.Entries();
    const std::string selectedName =
        selected >= 0 && static_cast<std::size_t>(selected) < before.size() ? before[selected].name : "";
    fileList.Refresh();
    std::vector<Host::ListItem> rows;
    int keep = -1;
    for (const CFileList::Entry& entry : fileList.Entries()) {
        if (!selectedName.empty() && entry.name == selectedName)
            keep = static_cast<int>(rows.size());
        rows.push_back({entry.name, FileKindTag(entry.kind)});
    }
    const std::string folder = fileList.Folder().filename().string();
    ShowFileList(userPanel, folder.empty() ? fileList.Folder().string() : folder, std::move(rows));
    userPanel.GetControl(PanelId::FileList)->value = keep;
}

void CKorvaleShell::OnFileListEvent(Host::DialogEvent event)
{
    const int row = userPanel.GetControl(PanelId::FileList)->value;
    if (row < 0 || static_cast<std::size_t>(row) >= fileList.Entries().size())
        return;
    const std::size_t index = static_cast<std::size_t>(row);
    const bool folder = fileList.Entries()[index].kind == FileKind::Folder;
    // Folders open on a double-click, as in a file dialog: a single click
    // that opened one would let the second click of a double-click land on
    // a file of the new folder and load it.
    if (event == Host::DialogEvent::ListItemSelected) {
        if (!folder)
            userPanel.SetText(PanelId::FileName, fileList.BoxName(index));
        return;
    }
    if (event != Host::DialogEvent::ListItemActivated)
        return;
    if (folder) {
        fileList.Enter(index);
        userPanel.GetControl(PanelId::FileList)->value = -1;
        RefreshFileList();
        return;
    }
    const std::string name = fileList.PathOf(fileList.BoxName(index));
    switch (fileList.Entries()[index].kind) {
    case FileKind::Scene: commands.LoadScene(name); break;
    case FileKind::Robot: commands.LoadRobot(name); break;
    case FileKind::Network: commands.LoadNetwork(name); break;
    default: break; // a log: its name is in the box, for korvale-train
    }
}

void CKorvaleShell::OnFrameRender(double, float elapsed)
{
    renderStart = WallSeconds();
    if (settingsDialog.IsActive()) {
        settingsDialog.OnRender(elapsed);
        return;
    }
    if (!device)
        return;
    device->Clear(Tarn::ClearTarget | Tarn::ClearZBuffer, BackgroundColor, 1.0f, 0);
    if (Tarn::Failed(device->BeginScene()))
        return;
    app.RenderWorld();
    lineManager.Draw();

    OverlayState overlay;
    overlay.frameStats = framework.FrameStatsText();
    overlay.deviceStats = framework.DeviceStatsText();
    overlay.status = Host::Utf16ToUtf8(app.statusBar.GetText());
    overlay.logging = app.scene.IsLogging();
    overlay.logSeconds = app.scene.LogSeconds();
    overlay.logLines = app.scene.LogLines();
    overlay.takenOver = app.scene.IsTakenOver();
    overlay.helpShown = helpShown;
    overlay.backBufferHeight = framework.GetBackBuffer().height;
    overlay.backBufferWidth = framework.GetBackBuffer().width;
    Host::TextHelper text(framework.OverlayFont(), OverlayLineHeight);
    DrawOverlay(text, OverlayLines(overlay));

    devicePanel.OnRender(elapsed);
    userPanel.OnRender(elapsed);
    runBar.OnRender(elapsed);
    if (sensorsShown) {
        SensorPanel::Show(sensorPanel, ReadSensors(app.scene), app.sensorHistory);
        sensorPanel.OnRender(elapsed);
    }
    device->EndScene();
}

bool CKorvaleShell::MsgProc(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (settingsDialog.IsActive())
        return settingsDialog.MsgProc(message, wParam, lParam);
    if (devicePanel.MsgProc(message, wParam, lParam))
        return true;
    if (userPanel.MsgProc(message, wParam, lParam))
        return true;
    if (runBar.MsgProc(message, wParam, lParam))
        return true;
    if (sensorsShown && sensorPanel.MsgProc(message, wParam, lParam))
        return true;
    app.msgSubject.Notify(window, message, wParam, lParam);
    // A click on a robot in the world view selects it.
    if (message == Tarn::WindowMessage::LeftButtonDown
        && app.SelectRobotAt(Tarn::PointParamX(lParam), Tarn::PointParamY(lParam)))
        ShowSelection();
    return false;
}

void CKorvaleShell::OnKeyboard(std::uint8_t key, bool down, bool)
{
    if (down && key == Tarn::VirtualKey::F1)
        helpShown = !helpShown;
    if (down && key == Tarn::VirtualKey::F4)
        sensorsShown = !sensorsShown;
    if (down && key == RaysKey) {
        app.scene.SetRaysShown(!app.scene.RaysShown());
        commandHost.ShowInfo(app.scene.RaysShown() ? "Sensor rays shown" : "Sensor rays hidden (F5 shows them)");
    }
    if (down && key == Tarn::VirtualKey::Tab && app.SelectNextRobot(app.keyboard.IsKeyDown(Tarn::VirtualKey::Shift)))
        ShowSelection();
    // The picture is taken once the frame is drawn whole.
    if (down && key == Tarn::VirtualKey::F12)
        screenshotRequested = true;
    if (!down)
        return;
    switch (key) {
    case 'P': TogglePause(); break;
    case 'N': Step(); break;
    case 'R': Reset(); break;
    case Tarn::VirtualKey::Equals: // the "+" key of the main block
    case Tarn::VirtualKey::Add: ChangeSpeed(true); break;
    case Tarn::VirtualKey::Minus:
    case Tarn::VirtualKey::Subtract: ChangeSpeed(false); break;
    default: break;
    }
}

void CKorvaleShell::TogglePause()
{
    app.run.SetPaused(!app.run.IsPaused());
    ShowRunState(app.run.IsPaused() ? "Paused" : "Running");
}

void CKorvaleShell::Step()
{
    // While paused the status line keeps saying so.
    ShowRunState(app.run.RequestStep() ? "" : "Steps are taken while paused: press P first");
}

void CKorvaleShell::ChangeSpeed(bool faster)
{
    if (faster)
        app.run.Faster();
    else
        app.run.Slower();
    ShowRunState(app.run.IsAsFastAsPossible() ? "As fast as possible" : "Speed " + app.run.SpeedText());
}

void CKorvaleShell::Reset()
{
    // The same noise as at the start, so that the run repeats.
    Fen::setRandomState(startNoise);
    app.sensorHistory.Clear();
    // Its own texts ("Reset", or the faults) go to the status line.
    commands.Reset(userPanel.IsChecked(PanelId::NeuralNetwork));
    ShowRunState({});
}

void CKorvaleShell::ShowRunState(const std::string& message)
{
    Korvale::ShowRunState(runBar, app.run.IsPaused(),
                          app.run.IsAsFastAsPossible() ? "max" : app.run.SpeedText().c_str());
    restingText.clear();
    ShowRestingText();
    if (!message.empty())
        commandHost.ShowInfo(message);
    commandHost.Note("run",
                     "window frame " + std::to_string(framework.FrameCount()) + ", world frame "
                         + std::to_string(app.WorldFrames()));
}

void CKorvaleShell::OnFrameDrawn()
{
    renderTime = WallSeconds() - renderStart;
    if (!screenshotRequested || !device)
        return;
    screenshotRequested = false;
    const Host::BackBuffer buffer = framework.GetBackBuffer();
    const ScreenshotOutcome outcome = SaveScreenshot(Tarn::ReadPicture(*device, 0, 0, buffer.width, buffer.height));
    if (outcome.saved)
        commandHost.ShowInfo(outcome.text);
    else
        commandHost.ShowError(outcome.text);
}

void CKorvaleShell::OnPanelEvent(int id)
{
    // The file name goes to the commands as typed (UTF-8), which is how file
    // names are spelt on this system, from the folder the Files page shows.
    const std::string fileName = fileList.PathOf(userPanel.GetText(PanelId::FileName));
    switch (id) {
    case PanelId::ToggleFullScreen:
        framework.ToggleFullScreen();
        break;
    case PanelId::ToggleRef:
        framework.ToggleSoftwareRasteriser();
        break;
    case PanelId::ChangeDevice:
        settingsDialog.SetActive(!settingsDialog.IsActive());
        break;
    case PanelId::LoadScene:
        commands.LoadScene(fileName);
        break;
    case PanelId::LoadRobot:
        commands.LoadRobot(fileName);
        break;
    case PanelId::LoadNetwork:
        commands.LoadNetwork(fileName);
        break;
    case PanelId::Keyboard:
        commands.SelectKeyboard();
        break;
    case PanelId::NeuralNetwork:
        commands.SelectNeuralNetwork();
        break;
    case PanelId::Zoom:
        app.viewport.SetZoom(KorvaleLayout::ZoomFromSliderValue(userPanel.GetSliderValue(PanelId::Zoom)));
        break;
    case PanelId::ResetZoom:
        app.ResetZoom();
        userPanel.SetRadioButtonChecked(PanelId::NoTarget);
        break;
    case PanelId::StartLog:
        StartLog(fileName);
        break;
    case PanelId::LogCorrections:
        LogCorrections();
        break;
    case PanelId::Train:
        training.Start();
        break;
    case PanelId::StopLog:
        commands.StopLog();
        break;
    case PanelId::Reset: Reset(); break;
    case PanelId::Pause: TogglePause(); break;
    case PanelId::Step: Step(); break;
    case PanelId::Slower: ChangeSpeed(false); break;
    case PanelId::Faster: ChangeSpeed(true); break;
    default:
        break;
    }
}

} // namespace Korvale
