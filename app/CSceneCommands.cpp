#include "app/CSceneCommands.h"

#include "app/CKorvaleScene.h"
#include "app/ISceneCommandHost.h"

namespace Korvale {

CSceneCommands::CSceneCommands(CKorvaleScene& scene_, ISceneCommandHost& host_) : scene(scene_), host(host_) {}

bool CSceneCommands::CheckSceneErrors()
{
    if (scene.IsOk())
        return true;
    host.ShowError(scene.GetErrorText());
    scene.ClearErrors();
    return false;
}

bool CSceneCommands::LoadScene(const std::string& fileName)
{
    bool ok = true;
    if (fileName.empty()) {
        scene.ClearScene();
        host.ShowInfo("Scene was cleared successfully");
    } else {
        scene.LoadScene(fileName);
        ok = CheckSceneErrors();
        if (ok)
            host.ShowInfo("Scene was loaded successfully");
    }
    host.ResetZoom();
    host.CheckNoTargetButton();
    host.CheckKeyboardButton();
    return ok;
}

bool CSceneCommands::LoadRobot(const std::string& fileName)
{
    bool ok = true;
    if (fileName.empty()) {
        scene.ClearRobot();
        host.ShowInfo("Robot was cleared successfully");
    } else {
        scene.LoadRobot(fileName);
        scene.SetKeyboardControl();
        ok = CheckSceneErrors();
        if (ok)
            host.ShowInfo("Robot was loaded successfully");
    }
    host.CheckKeyboardButton();
    return ok;
}

bool CSceneCommands::LoadNetwork(const std::string& fileName)
{
    bool ok = true;
    if (fileName.empty()) {
        scene.ClearNetwork();
        host.ShowInfo("Neural network was cleared successfully");
    } else {
        scene.LoadNetwork(fileName);
        ok = CheckSceneErrors();
        if (ok)
            host.ShowInfo("Neural network was loaded successfully");
        if (const std::string warning = scene.TakeWarning(); ok && !warning.empty())
            host.ShowWarning(warning);
    }
    scene.SetKeyboardControl();
    host.CheckKeyboardButton();
    return ok;
}

bool CSceneCommands::StartLog(const std::string& fileName)
{
    if (fileName.empty()) {
        host.ShowInfo("Please enter the name of the log");
        return true;
    }
    scene.StartLog(fileName);
    const bool ok = CheckSceneErrors();
    if (ok)
        host.ShowInfo("Log was started successfully");
    return ok;
}

bool CSceneCommands::StopLog()
{
    const bool wasLogging = scene.IsLogging();
    scene.StopLog();
    const bool ok = CheckSceneErrors();
    if (ok && wasLogging)
        host.ShowInfo("Log was stopped successfully");
    return ok;
}

bool CSceneCommands::SelectKeyboard()
{
    scene.SetKeyboardControl();
    return CheckSceneErrors();
}

bool CSceneCommands::SelectNeuralNetwork()
{
    scene.SetNeuralNetworkControl();
    return CheckSceneErrors();
}

bool CSceneCommands::Reset(bool networkSelected)
{
    // Copies: each load below clears the names it replaces.
    const std::string sceneFile = scene.SceneFile();
    const std::string robotFile = scene.RobotFile();
    const std::string networkFile = scene.NetworkFile();
    const bool wasLogging = scene.IsLogging();
    scene.StopLog(); // every line written so far is in the file
    if (sceneFile.empty())
        scene.ClearScene();
    else
        scene.LoadScene(sceneFile);
    if (!robotFile.empty())
        scene.LoadRobot(robotFile);
    if (networkFile.empty())
        scene.ClearNetwork();
    else
        scene.LoadNetwork(networkFile);
    if (networkSelected)
        scene.SetNeuralNetworkControl();
    else
        scene.SetKeyboardControl();
    const bool ok = CheckSceneErrors();
    if (ok)
        host.ShowInfo(wasLogging ? "Reset; the log was closed" : "Reset");
    return ok;
}

} // namespace Korvale
