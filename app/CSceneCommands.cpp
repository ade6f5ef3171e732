#include "app/CSceneCommands.h"

#include "app/CKorvaleScene.h"
#include "app/ISceneCommandHost.h"
#include "io/CFenIOStruct.h"

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
    if (!fileName.empty()) {
        scene.LoadScene(fileName);
        return SceneLoaded();
    }
    scene.ClearScene();
    host.ShowInfo("Scene was cleared successfully");
    host.ResetZoom();
    host.CheckNoTargetButton();
    host.CheckKeyboardButton();
    return true;
}

bool CSceneCommands::LoadSceneText(const std::string& fileName, std::string_view text)
{
    Tarn::CFenIOStruct io = Tarn::CFenIOStruct::FromText(text);
    scene.LoadScene(io, fileName);
    return SceneLoaded();
}

bool CSceneCommands::SceneLoaded()
{
    const bool ok = CheckSceneErrors();
    if (ok)
        host.ShowInfo("Scene was loaded successfully");
    host.ResetZoom();
    host.CheckNoTargetButton();
    host.CheckKeyboardButton();
    return ok;
}

bool CSceneCommands::LoadRobot(const std::string& fileName)
{
    if (!fileName.empty()) {
        scene.LoadRobot(fileName);
        return RobotLoaded();
    }
    scene.ClearRobot();
    host.ShowInfo("Robot was cleared successfully");
    host.CheckKeyboardButton();
    return true;
}

bool CSceneCommands::LoadRobotText(const std::string& fileName, std::string_view text)
{
    Tarn::CFenIOStruct io = Tarn::CFenIOStruct::FromText(text);
    scene.LoadRobot(io, fileName);
    return RobotLoaded();
}

bool CSceneCommands::RobotLoaded()
{
    scene.SetKeyboardControl();
    const bool ok = CheckSceneErrors();
    if (ok)
        host.ShowInfo("Robot was loaded successfully");
    host.CheckKeyboardButton();
    return ok;
}

bool CSceneCommands::LoadNetwork(const std::string& fileName)
{
    if (!fileName.empty()) {
        scene.LoadNetwork(fileName);
        return NetworkLoaded();
    }
    scene.ClearNetwork();
    host.ShowInfo("Neural network was cleared successfully");
    scene.SetKeyboardControl();
    host.CheckKeyboardButton();
    return true;
}

bool CSceneCommands::LoadNetworkText(const std::string& fileName, std::string_view text)
{
    Tarn::CFenIOStruct io = Tarn::CFenIOStruct::FromText(text);
    scene.LoadNetwork(io, fileName);
    return NetworkLoaded();
}

bool CSceneCommands::NetworkLoaded()
{
    const bool ok = CheckSceneErrors();
    if (ok)
        host.ShowInfo("Neural network was loaded successfully");
    if (const std::string warning = scene.TakeWarning(); ok && !warning.empty())
        host.ShowWarning(warning);
    scene.SetKeyboardControl();
    host.CheckKeyboardButton();
    return ok;
}

bool CSceneCommands::StartLog(const std::string& fileName) { return StartLog(fileName, false); }

bool CSceneCommands::StartCorrectionsLog(const std::string& fileName) { return StartLog(fileName, true); }

bool CSceneCommands::StartLog(const std::string& fileName, bool corrections)
{
    if (fileName.empty()) {
        host.ShowInfo("Please enter the name of the log");
        return true;
    }
    if (corrections)
        scene.StartCorrectionsLog(fileName);
    else
        scene.StartLog(fileName);
    const bool ok = CheckSceneErrors();
    if (ok)
        host.ShowInfo(corrections ? "Corrections log was started successfully" : "Log was started successfully");
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
