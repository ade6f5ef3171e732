#include "app/CTraining.h"

#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "control/CFeedForward.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace Korvale {

namespace {

// Names of one file compare equal however they were typed ("./a.log", "a.log").
std::string Normal(const std::string& name)
{
    return std::filesystem::path(name).lexically_normal().string();
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

// Whether the file reads whole as a network: loading one that does not would
// leave the scene without the network it had.
bool ReadsAsNetwork(const std::string& file)
{
    Tarn::CFenIOStruct io(file);
    if (!io.IsOk())
        return false;
    Tarn::CFeedForward network;
    Tarn::CFeedForwardReader().Read(io, network);
    return io.IsOk();
}

const std::string TrainerPrefix = "korvale-train: ";
const std::string WarningPrefix = TrainerPrefix + "warning: ";

} // namespace

CTraining::CTraining(CKorvaleScene& scene, CSceneCommands& commands, ISceneCommandHost& host, std::string program,
                     std::function<void()> studentLoaded)
    : scene(scene), commands(commands), host(host), program(std::move(program)), studentLoaded(std::move(studentLoaded))
{
}

std::string CTraining::InstalledProgram()
{
    std::error_code error;
    return ProgramFor(std::filesystem::read_symlink("/proc/self/exe", error).string());
}

std::string CTraining::ProgramFor(const std::string& executable)
{
    const std::filesystem::path folder = std::filesystem::path(executable).parent_path();
    std::error_code error;
    if (std::filesystem::is_regular_file(folder / "korvale-train", error))
        return (folder / "korvale-train").string();
    return (folder.parent_path() / "tools" / "korvale-train").string();
}

void CTraining::LogStarted(const std::string& name, bool corrections)
{
    if (!corrections)
        chosen.clear();
    if (!IsChosen(name))
        chosen.push_back(Normal(name));
    if (corrections)
        correctionsStarted.push_back(Normal(name));
}

bool CTraining::IsCorrections(const std::string& name) const
{
    const std::string normal = Normal(name);
    return std::find(correctionsStarted.begin(), correctionsStarted.end(), normal) != correctionsStarted.end()
           || StartsWith(std::filesystem::path(normal).filename().string(), "corrections-");
}

void CTraining::Toggle(const std::string& name)
{
    const auto found = std::find(chosen.begin(), chosen.end(), Normal(name));
    if (found == chosen.end())
        chosen.push_back(Normal(name));
    else
        chosen.erase(found);
}

bool CTraining::IsChosen(const std::string& name) const
{
    return std::find(chosen.begin(), chosen.end(), Normal(name)) != chosen.end();
}

std::string CTraining::FreeName(const std::string& prefix, const std::string& suffix)
{
    for (int number = 1; number <= 9999; ++number) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04d", number);
        const std::string name = prefix + digits + suffix;
        std::error_code error;
        if (std::filesystem::symlink_status(name, error).type() == std::filesystem::file_type::not_found)
            return name;
    }
    return {};
}

bool CTraining::Start()
{
    if (process.IsRunning()) {
        host.ShowError("Training is running already");
        return false;
    }
    if (chosen.empty()) {
        host.ShowError("Nothing to train on: record a log with Start Log, or choose logs on the Teach page");
        return false;
    }
    if (scene.RobotFile().empty()) {
        host.ShowError("Load a robot before training: the student drives it");
        return false;
    }
    // The lines of a running log are all in its file once it is closed.
    if (scene.IsLogging())
        commands.StopLog();
    student = FreeName("student-", ".xml");
    if (student.empty()) {
        host.ShowError("Training not started: student-0001.xml to student-9999.xml are all taken");
        return false;
    }
    std::vector<std::string> arguments;
    std::vector<std::string> corrections;
    for (const std::string& log : chosen)
        (IsCorrections(log) ? corrections : arguments).push_back(log);
    if (!corrections.empty()) {
        arguments.push_back("--corrections");
        arguments.insert(arguments.end(), corrections.begin(), corrections.end());
    }
    arguments.insert(arguments.end(), {"-o", student, "--robot", scene.RobotFile(), "--progress-lines"});
    if (!scene.SceneFile().empty())
        arguments.insert(arguments.end(), {"--validate", scene.SceneFile()});
    std::string error;
    if (!process.Start(program, arguments, error)) {
        host.ShowError("Training not started: " + error);
        return false;
    }
    result.clear();
    warning.clear();
    failure.clear();
    summary = "Training " + student + " on " + std::to_string(chosen.size()) + " log" + (chosen.size() == 1 ? "" : "s");
    host.ShowInfo(summary);
    return true;
}

void CTraining::Poll()
{
    if (!process.IsRunning())
        return;
    const CChildProcess::Output output = process.Poll();
    for (const std::string& line : output.lines) {
        if (StartsWith(line, "progress: "))
            host.ShowInfo("Training: " + line.substr(10));
        else if (StartsWith(line, "done: "))
            result = line.substr(6);
        else if (StartsWith(line, WarningPrefix))
            warning = line.substr(WarningPrefix.size());
        else if (StartsWith(line, TrainerPrefix))
            failure = line.substr(TrainerPrefix.size());
    }
    if (output.ended)
        Finish(output.exitStatus);
}

void CTraining::Finish(int exitStatus)
{
    if (exitStatus != 0 || result.empty()) {
        summary = "Training failed: "
            + (failure.empty() ? "korvale-train ended with status " + std::to_string(exitStatus) : failure);
        host.ShowError(summary);
        return;
    }
    // The network that drives now stays unless the student reads whole.
    if (!ReadsAsNetwork(student)) {
        summary = "Training failed: " + student + " does not read as a network";
        host.ShowError(summary);
        return;
    }
    if (!commands.LoadNetwork(student) || !commands.SelectNeuralNetwork()) {
        summary = "Training failed: " + student + " could not be loaded (see the status line)";
        return; // the command said why on the status line
    }
    if (studentLoaded)
        studentLoaded();
    summary = "Trained " + result + (warning.empty() ? "" : "; warning: " + warning);
    host.ShowResult(summary);
}

} // namespace Korvale
