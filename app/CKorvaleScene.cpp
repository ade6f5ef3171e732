#include "app/CKorvaleScene.h"

#include <cstdint>
#include <utility>

#include "app/CKeyboard.h"
#include "base/StateArchive.h"
#include "control/CKeyboardRemoteControl.h"
#include "control/CLog.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "control/CTakeOverRemoteControl.h"
#include "control/NetworkFit.h"
#include "engine/NeuralRobot.h"
#include "engine/ShapeChecks.h"
#include "base/FileFault.h"
#include "engine/World.h"
#include "engine/WorldState.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"
#include "io/ModelFileFault.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"

namespace Korvale {

CKorvaleScene::CKorvaleScene(Tarn::CVertexBuffer* vertexBuffer_, CKeyboard* keyboard_)
    : vertexBuffer(vertexBuffer_), keyboard(keyboard_), graphicsFactory(vertexBuffer_), userKeys(keyboard_)
{
    log = std::make_unique<Tarn::CLog>();
    keyboardControl = std::make_unique<Tarn::CKeyboardRemoteControl>(&userKeys);
    networkControl = std::make_unique<Tarn::CTakeOverRemoteControl>(&userKeys);
    world = std::make_unique<Tarn::CFenWorld>(ioFactory, graphicsFactory);
    SetKeyboardControl(); // no robot yet: changes nothing
}

CKorvaleScene::~CKorvaleScene()
{
    ClearScene();
    log.reset();
    keyboardControl.reset();
    networkControl.reset();
    world.reset();
}

bool CKorvaleScene::IsOk() const { return report.IsOk(); }

void CKorvaleScene::ReportError(std::string message) { report.ReportError(std::move(message)); }

void CKorvaleScene::ClearErrors()
{
    log->ClearErrors();
    report.ClearErrors();
}

std::string CKorvaleScene::GetErrorText() const { return report.GetErrorText(); }

void CKorvaleScene::ReportLines(std::string text)
{
    // Each of the lines ends in a line feed already; the one ReportError adds
    // would show as an empty line between two faults.
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    ReportError(std::move(text));
}

namespace {

// Which of the scene's robots `robot` is; -1 for none of them.
int SceneRobotIndex(const Tarn::IFenWorld& world, const Tarn::CFenNeuralRobot* robot)
{
    for (unsigned i = 0; robot != nullptr && i < world.GetSceneRobotCount(); ++i)
        if (&world.GetSceneRobot(i) == robot)
            return static_cast<int>(i);
    return -1;
}

} // namespace

void CKorvaleScene::ReleaseRobotFromLog(const Tarn::CFenNeuralRobot* dying)
{
    if (loggedRobot == nullptr || (dying != nullptr && dying != loggedRobot))
        return;
    loggedRobot = nullptr;
    if (keepLog)
        log->ReplaceRobot(nullptr);
    else
        log->Close();
}

unsigned CKorvaleScene::RobotCount() const { return world->GetSwarmSize(); }

Tarn::CFenNeuralRobot* CKorvaleScene::GetSelectedRobot() const
{
    return selected < RobotCount() ? &world->GetSwarmRobot(selected) : nullptr;
}

bool CKorvaleScene::SelectRobot(unsigned index)
{
    if (index >= RobotCount())
        return false;
    selected = index;
    HandKeysToSelection();
    return true;
}

void CKorvaleScene::SetKeysFollowSelection(bool follow)
{
    keysFollowSelection = follow;
    HandKeysToSelection();
}

Tarn::CFenNeuralRobot* CKorvaleScene::GetLoggedRobot() const { return IsLogging() ? loggedRobot : nullptr; }

void CKorvaleScene::ResetSelection()
{
    selected = 0;
    HandKeysToSelection();
}

void CKorvaleScene::HandKeysToSelection()
{
    const unsigned own = world->GetRobotCount();
    const unsigned sceneRobots = world->GetSceneRobotCount();
    const bool sceneRobotSelected = selected >= own && selected - own < sceneRobots;
    // With no robot of the user's selected, its controls see no key held.
    userKeys.SetOpen(!sceneRobotSelected);
    const int wanted = sceneRobotSelected && keysFollowSelection ? static_cast<int>(selected - own) : -1;
    if (wanted == keyedSceneRobot)
        return;
    if (keyedSceneRobot >= 0 && static_cast<unsigned>(keyedSceneRobot) < sceneRobots)
        world->SetSceneRobotKeys(static_cast<unsigned>(keyedSceneRobot), nullptr);
    if (wanted >= 0)
        world->SetSceneRobotKeys(static_cast<unsigned>(wanted), keyboard);
    keyedSceneRobot = wanted;
}

void CKorvaleScene::ReloadFiles()
{
    // Copies: each load below clears the names it replaces.
    const std::string sceneName = sceneFile;
    const std::string robotName = robotFile;
    const std::string networkName = networkFile;
    keepLog = IsLogging();
    // The log goes on with the same robot as loaded again: the user's, or
    // the scene's robot of the same number.
    const bool logsUsersRobot = keepLog && loggedRobot != nullptr && loggedRobot == robot;
    const int logsSceneRobot = keepLog ? SceneRobotIndex(*world, loggedRobot) : -1;
    if (sceneName.empty())
        ClearScene();
    else
        LoadScene(sceneName);
    if (!robotName.empty())
        LoadRobot(robotName);
    if (networkName.empty())
        ClearNetwork();
    else
        LoadNetwork(networkName);
    if (keepLog) {
        Tarn::CFenNeuralRobot* again = logsUsersRobot ? robot : nullptr;
        if (logsSceneRobot >= 0 && static_cast<unsigned>(logsSceneRobot) < world->GetSceneRobotCount()) {
            again = &world->GetSceneRobot(static_cast<unsigned>(logsSceneRobot));
            // A log records a control: one without a network gets one that stands.
            if (again->GetPhysicalObject().remoteControl == nullptr)
                world->SetSceneRobotKeys(static_cast<unsigned>(logsSceneRobot), nullptr);
        }
        if (again != nullptr) {
            log->ReplaceRobot(&again->GetPhysicalObject());
            loggedRobot = again;
        } else {
            log->Close(); // nothing left to record; every line is in the file
        }
    }
    keepLog = false;
}

std::string CKorvaleScene::NetworkMisfitLine() const
{
    const Tarn::CFeedForward& network = networkControl->network;
    if (robot == nullptr || networkFile.empty())
        return {};
    const std::size_t sensors = robot->GetPhysicalObject().irSensors.size();
    if (Tarn::NetworkFitsSensors(network, sensors))
        return {};
    return Tarn::NetworkFileMisfitLine(networkFile, network, sensors);
}

void CKorvaleScene::ClearScene()
{
    ReleaseRobotFromLog(nullptr);
    world->Reset(100, 100);
    robot = nullptr;
    keyedSceneRobot = -1; // went with the world
    sceneFile.clear();
    robotFile.clear();
    ResetSelection();
}

void CKorvaleScene::ClearRobot()
{
    if (robot == nullptr)
        return;
    ReleaseRobotFromLog(robot);
    world->RemoveRobot(robot);
    robot = nullptr;
    robotFile.clear();
    ResetSelection();
}

void CKorvaleScene::ClearNetwork()
{
    networkControl->reset();
    networkFile.clear();
}

bool CKorvaleScene::LoadScene(std::string fileName)
{
    Tarn::CFenIOStruct io(fileName);
    return LoadScene(io, std::move(fileName));
}

bool CKorvaleScene::LoadScene(Tarn::CFenIOStruct& io, std::string fileName)
{
    if (!io.IsOk()) {
        ReportLoadFault(io, Tarn::ModelFileKind::Scene, fileName);
        return false;
    }
    ClearScene();
    world->Read(io);
    if (io.IsOk()) {
        sceneFile = std::move(fileName);
        ResetSelection(); // the scene's robots are in
        return true;
    }
    ClearScene(); // a half-read scene is never kept
    ReportLoadFault(io, Tarn::ModelFileKind::Scene, fileName);
    return false;
}

bool CKorvaleScene::LoadRobot(std::string fileName)
{
    Tarn::CFenIOStruct io(fileName);
    return LoadRobot(io, std::move(fileName));
}

bool CKorvaleScene::LoadRobot(Tarn::CFenIOStruct& io, std::string fileName)
{
    if (!io.IsOk()) {
        ReportLoadFault(io, Tarn::ModelFileKind::Robot, fileName);
        return false;
    }
    ClearRobot();
    // The adapter enters the world as it is made; the world owns it.
    robot = &Tarn::CFenNeuralRobot::Create(*world);
    robot->Read(io);
    if (io.IsOk() && !RobotFitsInArena()) {
        ClearRobot();
        ReportError("Error in CKorvaleScene: robot does not fit in the arena");
        ReportError(Tarn::FileFaultLine("Robot", fileName, "the robot does not fit in the arena of this scene"));
        return false;
    }
    if (io.IsOk()) {
        if (world->GetStartPointCount() != 0)
            robot->GetPhysicalObject().pos = world->GetStartPoint(0);
        robotFile = std::move(fileName);
        ResetSelection(); // the new robot comes first
        return true;
    }
    ClearRobot();
    ReportLoadFault(io, Tarn::ModelFileKind::Robot, fileName);
    return false;
}

void CKorvaleScene::ReportLoadFault(const Tarn::CFenIOStruct& io, Tarn::ModelFileKind kind, const std::string& fileName)
{
    ReportLines(io.GetErrorText());
    ReportError(Tarn::ModelFileFaultLine(io, kind, fileName));
}

bool CKorvaleScene::RobotFitsInArena() const
{
    // The robot turns, so it must fit in every orientation.
    const Fen::World& arena = world->GetFenWorld();
    return Fen::fitsInArena(robot->GetPhysicalObject(), arena.width, arena.height, true);
}

bool CKorvaleScene::LoadNetwork(std::string fileName)
{
    Tarn::CFenIOStruct io(fileName);
    return LoadNetwork(io, std::move(fileName));
}

bool CKorvaleScene::LoadNetwork(Tarn::CFenIOStruct& io, std::string fileName)
{
    warning.clear();
    if (!io.IsOk()) {
        ReportLoadFault(io, Tarn::ModelFileKind::Network, fileName);
        return false;
    }
    ClearNetwork();
    Tarn::CFeedForwardReader reader;
    reader.Read(io, networkControl->network);
    if (io.IsOk()) {
        // The control reads four outputs or none: a network with another
        // count loads, but never changes the robot's commands.
        const std::string unreadable =
            Tarn::CNeuralNetworkRemoteControl::UnreadableOutputs(networkControl->network.outputDimensions);
        if (!unreadable.empty())
            warning = "Warning: network file '" + fileName + "' " + unreadable;
        networkFile = std::move(fileName);
        return true;
    }
    ReportLoadFault(io, Tarn::ModelFileKind::Network, fileName); // the reader has left the network empty
    return false;
}

std::string CKorvaleScene::TakeWarning() { return std::exchange(warning, {}); }

bool CKorvaleScene::StartLog(std::string fileName)
{
    Tarn::CFenNeuralRobot* recorded = GetSelectedRobot();
    if (recorded == nullptr) {
        ReportError("Error in CKorvaleScene: robot is not loaded");
        ReportError(Tarn::FileFaultLine("Log", fileName, "there is no robot to record"));
        return false;
    }
    logName = fileName;
    log->Create(std::move(fileName));
    log->AttachRobot(&recorded->GetPhysicalObject());
    loggedRobot = recorded;
    log->Start();
    if (log->IsOk())
        return true;
    ReportLines(log->GetErrorText());
    ReportError("Error in CKorvaleScene: unable to start log");
    ReportError(Tarn::FileFaultLine("Log", logName, log->GetProblem()));
    log->Close();
    loggedRobot = nullptr;
    return false;
}

bool CKorvaleScene::StartCorrectionsLog(std::string fileName)
{
    if (!StartLog(std::move(fileName)))
        return false;
    log->SetRecordFilter([](const Fen::NeuralRobot& logged) { return Tarn::IsTakenOver(logged.remoteControl); });
    return true;
}

bool CKorvaleScene::IsLogging() const { return log->IsLogging(); }

void CKorvaleScene::WriteLog(float elapsed)
{
    log->Write(static_cast<double>(elapsed));
    // A log that stopped on a fault (a full disk, a robot without control)
    // says why at once, through the scene's report.
    if (!log->IsOk()) {
        ReportLines(log->GetErrorText());
        ReportError(Tarn::FileFaultLine("Log", logName, log->GetProblem()));
        log->ClearErrors();
    }
}

bool CKorvaleScene::StopLog()
{
    log->Close();
    loggedRobot = nullptr;
    return true;
}

double CKorvaleScene::LogSeconds() const { return log->RecordedTime(); }

long CKorvaleScene::LogLines() const { return log->RecordCount(); }

bool CKorvaleScene::SetKeyboardControl()
{
    if (robot == nullptr)
        return false;
    robot->GetPhysicalObject().setRemoteControl(keyboardControl.get());
    networkControlActive = false;
    return true;
}

bool CKorvaleScene::SetNeuralNetworkControl()
{
    if (robot == nullptr)
        return false;
    robot->GetPhysicalObject().setRemoteControl(networkControl.get());
    if (networkControl->isConsistent()) {
        networkControlActive = true;
        return true;
    }
    SetKeyboardControl();
    ReportError("Inconsistent neural network");
    if (const std::string why = NetworkMisfitLine(); !why.empty())
        ReportError(why);
    return false;
}

bool CKorvaleScene::AttachNeuralNetworkControl()
{
    if (robot == nullptr)
        return false;
    robot->GetPhysicalObject().setRemoteControl(networkControl.get());
    networkControlActive = true;
    return true;
}

void CKorvaleScene::SetNetwork(const Tarn::CFeedForward& network) { networkControl->network = network; }

void CKorvaleScene::ArchiveState(Tarn::StateArchive& archive)
{
    Fen::archiveWorldState(archive, world->GetFenWorld());
    archive.Fixed(robot != nullptr, "the robots");
    bool networkDrives = networkControlActive;
    archive.Value(networkDrives);
    if (archive.Loading() && robot != nullptr) {
        if (networkDrives)
            AttachNeuralNetworkControl();
        else
            SetKeyboardControl();
    }
    Tarn::CNeuralNetworkRemoteControl::Commands& commands = networkControl->commands;
    archive.Value(commands.forward);
    archive.Value(commands.backward);
    archive.Value(commands.left);
    archive.Value(commands.right);
    Tarn::CVector& outputs = networkControl->outputs;
    archive.Sequence(outputs.data);
    outputs.m = static_cast<std::int32_t>(outputs.data.size());
    networkControl->ArchiveState(archive);
    archive.Fixed(keyboard != nullptr, "the keyboards");
    if (keyboard != nullptr)
        for (bool& key : keyboard->Keys())
            archive.Value(key);
    archive.Value(log->GatheredTime());
}

bool CKorvaleScene::IsKeyboardControl() const { return !networkControlActive; }

bool CKorvaleScene::IsNeuralNetworkControl() const { return networkControlActive; }

Tarn::CNeuralNetworkRemoteControl& CKorvaleScene::GetNeuralNetworkControl() const { return *networkControl; }

bool CKorvaleScene::IsTakenOver() const
{
    Tarn::CFenNeuralRobot* chosen = GetSelectedRobot();
    if (chosen != nullptr && chosen != robot)
        return Tarn::IsTakenOver(chosen->GetPhysicalObject().remoteControl);
    return networkControlActive && networkControl->IsTakenOver();
}

Tarn::IFenWorld* CKorvaleScene::GetWorld() const { return world.get(); }

Tarn::CFenNeuralRobot* CKorvaleScene::GetRobot() const { return robot; }

void CKorvaleScene::Draw() { world->Draw(); }

void CKorvaleScene::SetRaysShown(bool shown) { graphicsFactory.RobotOptions().rays = shown; }

bool CKorvaleScene::RaysShown() const
{
    return graphicsFactory.RobotOptions().rays;
}

void CKorvaleScene::Step(double elapsed) { world->Step(elapsed); }

void CKorvaleScene::AdvanceFrame(float elapsed)
{
    Step(elapsed);
    if (IsLogging())
        WriteLog(elapsed);
}

bool CKorvaleScene::BeginFrame(float elapsed)
{
    const double dt = Tarn::CFenWorld::StepTime(elapsed);
    Fen::World& fen = world->GetFenWorld();
    if (fen.beginStep(dt, robot != nullptr ? &robot->GetPhysicalObject() : nullptr))
        return true;
    if (IsLogging())
        WriteLog(elapsed);
    return false;
}

void CKorvaleScene::FinishFrame(float elapsed)
{
    world->GetFenWorld().finishStep();
    if (IsLogging())
        WriteLog(elapsed);
}

bool CKorvaleScene::FrameBegun() const { return world->GetFenWorld().stepBegun(); }

void CKorvaleScene::AbandonFrame() { world->GetFenWorld().abandonStep(); }

} // namespace Korvale
