#include "app/CKorvaleScene.h"

#include "app/CKeyboard.h"
#include "base/StateArchive.h"
#include "control/CKeyboardRemoteControl.h"
#include "control/CLog.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/NeuralRobot.h"
#include "engine/ShapeChecks.h"
#include "engine/World.h"
#include "engine/WorldState.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"

namespace Korvale {

CKorvaleScene::CKorvaleScene(Tarn::CVertexBuffer* vertexBuffer_, CKeyboard* keyboard_)
    : vertexBuffer(vertexBuffer_), keyboard(keyboard_), graphicsFactory(vertexBuffer_)
{
    log = std::make_unique<Tarn::CLog>();
    keyboardControl = std::make_unique<Tarn::CKeyboardRemoteControl>(keyboard);
    networkControl = std::make_unique<Tarn::CNeuralNetworkRemoteControl>();
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

void CKorvaleScene::ReleaseRobotFromLog()
{
    if (robot != nullptr)
        log->Close();
}

void CKorvaleScene::ClearScene()
{
    ReleaseRobotFromLog();
    world->Reset(100, 100);
    robot = nullptr;
}

void CKorvaleScene::ClearRobot()
{
    if (robot == nullptr)
        return;
    ReleaseRobotFromLog();
    world->RemoveRobot(robot);
    robot = nullptr;
}

void CKorvaleScene::ClearNetwork() { networkControl->reset(); }

bool CKorvaleScene::LoadScene(std::string fileName)
{
    Tarn::CFenIOStruct io(std::move(fileName));
    return LoadScene(io);
}

bool CKorvaleScene::LoadScene(Tarn::CFenIOStruct& io)
{
    if (!io.IsOk()) {
        ReportLines(io.GetErrorText());
        return false;
    }
    ClearScene();
    world->Read(io);
    if (io.IsOk())
        return true;
    ClearScene(); // a half-read scene is never kept
    ReportLines(io.GetErrorText());
    return false;
}

bool CKorvaleScene::LoadRobot(std::string fileName)
{
    Tarn::CFenIOStruct io(std::move(fileName));
    return LoadRobot(io);
}

bool CKorvaleScene::LoadRobot(Tarn::CFenIOStruct& io)
{
    if (!io.IsOk()) {
        ReportLines(io.GetErrorText());
        return false;
    }
    ClearRobot();
    // The adapter enters the world as it is made; the world owns it.
    robot = &Tarn::CFenNeuralRobot::Create(*world);
    robot->Read(io);
    if (io.IsOk() && !RobotFitsInArena()) {
        ClearRobot();
        ReportError("Error in CKorvaleScene: robot does not fit in the arena");
        return false;
    }
    if (io.IsOk()) {
        if (world->GetStartPointCount() != 0)
            robot->GetPhysicalObject().pos = world->GetStartPoint(0);
        return true;
    }
    ClearRobot();
    ReportLines(io.GetErrorText());
    return false;
}

bool CKorvaleScene::RobotFitsInArena() const
{
    // The robot turns, so it must fit in every orientation.
    const Fen::World& arena = world->GetFenWorld();
    return Fen::fitsInArena(robot->GetPhysicalObject(), arena.width, arena.height, true);
}

bool CKorvaleScene::LoadNetwork(std::string fileName)
{
    Tarn::CFenIOStruct io(std::move(fileName));
    return LoadNetwork(io);
}

bool CKorvaleScene::LoadNetwork(Tarn::CFenIOStruct& io)
{
    if (!io.IsOk()) {
        ReportLines(io.GetErrorText());
        return false;
    }
    ClearNetwork();
    Tarn::CFeedForwardReader reader;
    reader.Read(io, networkControl->network);
    if (io.IsOk())
        return true;
    ReportLines(io.GetErrorText()); // the reader has left the network empty
    return false;
}

bool CKorvaleScene::StartLog(std::string fileName)
{
    if (robot == nullptr) {
        ReportError("Error in CKorvaleScene: robot is not loaded");
        return false;
    }
    log->Create(std::move(fileName));
    log->AttachRobot(&robot->GetPhysicalObject());
    log->Start();
    if (log->IsOk())
        return true;
    ReportLines(log->GetErrorText());
    ReportError("Error in CKorvaleScene: unable to start log");
    log->Close();
    return false;
}

bool CKorvaleScene::IsLogging() const { return log->IsLogging(); }

void CKorvaleScene::WriteLog(float elapsed)
{
    log->Write(static_cast<double>(elapsed));
    // A log that stopped on a fault (a full disk, a robot without control)
    // says why at once, through the scene's report.
    if (!log->IsOk()) {
        ReportLines(log->GetErrorText());
        log->ClearErrors();
    }
}

bool CKorvaleScene::StopLog()
{
    log->Close();
    return true;
}

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
    archive.Fixed(keyboard != nullptr, "the keyboards");
    if (keyboard != nullptr)
        for (bool& key : keyboard->Keys())
            archive.Value(key);
    archive.Value(log->GatheredTime());
}

bool CKorvaleScene::IsKeyboardControl() const { return !networkControlActive; }

bool CKorvaleScene::IsNeuralNetworkControl() const { return networkControlActive; }

Tarn::IFenWorld* CKorvaleScene::GetWorld() const { return world.get(); }

Tarn::CFenNeuralRobot* CKorvaleScene::GetRobot() const { return robot; }

void CKorvaleScene::Draw() { world->Draw(); }

void CKorvaleScene::Step(double elapsed) { world->Step(elapsed); }

void CKorvaleScene::AdvanceFrame(float elapsed)
{
    Step(elapsed);
    if (IsLogging())
        WriteLog(elapsed);
}

} // namespace Korvale
