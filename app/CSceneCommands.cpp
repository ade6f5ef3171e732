#include "app/CSceneCommands.h"

#include <filesystem>

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
        const Replaced replaced = WhatASceneReplaces();
        scene.LoadScene(fileName);
        return SceneLoaded(replaced);
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
    // The robot files a scene names are beside it, wherever its text was read.
    Tarn::CFenIOStruct io
        = Tarn::CFenIOStruct::FromText(text, std::filesystem::path(fileName).parent_path().string());
    const Replaced replaced = WhatASceneReplaces();
    scene.LoadScene(io, fileName);
    return SceneLoaded(replaced);
}

bool CSceneCommands::LoadSceneText(const std::string& fileName, std::string_view text,
                                   Tarn::CFenIOStruct::NamedTexts& named)
{
    Tarn::CFenIOStruct io
        = Tarn::CFenIOStruct::FromText(text, std::filesystem::path(fileName).parent_path().string());
    io.LendNamedTexts(&named);
    const Replaced replaced = WhatASceneReplaces();
    scene.LoadScene(io, fileName);
    return SceneLoaded(replaced);
}

CSceneCommands::Replaced CSceneCommands::WhatASceneReplaces() const
{
    return {scene.RobotFile(), scene.IsLogging() ? scene.LogName() : std::string{}};
}

bool CSceneCommands::SceneLoaded(const Replaced& replaced)
{
    const bool ok = CheckSceneErrors();
    if (ok) {
        host.ShowInfo("Scene was loaded successfully");
        // A scene comes without a robot: say where the one that drove went.
        if (!replaced.robotFile.empty())
            host.ShowWarning("The robot '" + replaced.robotFile
                             + "' was removed with the old scene: load it again with Load Robot");
        if (!replaced.logName.empty() && !scene.IsLogging())
            host.ShowWarning("The log '" + replaced.logName + "' was closed: it has no robot to record");
    }
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
    if (ok)
        ShowNetworkMisfit();
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
    if (ok)
        ShowNetworkMisfit();
    scene.SetKeyboardControl();
    host.CheckKeyboardButton();
    return ok;
}

void CSceneCommands::ShowNetworkMisfit()
{
    if (const std::string why = scene.NetworkMisfitLine(); !why.empty())
        host.ShowWarning(why);
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
    scene.ReloadFiles();
    if (networkSelected)
        scene.SetNeuralNetworkControl();
    else
        scene.SetKeyboardControl();
    const bool ok = CheckSceneErrors();
    // Each line of a log is a sample of its own: a recording goes on from
    // the start as it went on before.
    if (ok)
        host.ShowInfo(scene.IsLogging() ? "Reset; still recording into " + scene.LogName() : "Reset");
    return ok;
}

} // namespace Korvale
