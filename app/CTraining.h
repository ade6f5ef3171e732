#pragma once
#include "app/CChildProcess.h"

#include <functional>
#include <string>
#include <vector>

namespace Korvale {

class CKorvaleScene;
class CSceneCommands;
class ISceneCommandHost;

// The window's Train command: korvale-train run beside the window on the
// chosen logs, its candidates judged by driving in the loaded scene with the
// loaded robot, its progress and its figures on the status line. The student
// goes into a new file of the working folder (student-0001.xml, then
// student-0002.xml, ..., never over a file), is loaded and drives. A failure
// says why in one line and leaves the network that was there.
//
// The logs chosen are, unless the user picks others, the log last started
// with Start Log and every corrections log started after it. Corrections
// logs (started with Log Corrections, or named corrections-NNNN.log) go to
// the trainer after --corrections, which makes their lines count more.
class CTraining {
public:
    // `program`: korvale-train. `studentLoaded` runs once a student drives.
    CTraining(CKorvaleScene& scene, CSceneCommands& commands, ISceneCommandHost& host, std::string program,
              std::function<void()> studentLoaded = {});

    // korvale-train for the running program (ProgramFor its executable).
    static std::string InstalledProgram();
    // korvale-train for the window at `executable`: in the same folder when
    // installed (bin/), else in tools/ of the build that made it.
    static std::string ProgramFor(const std::string& executable);

    // A log was started: a demonstration replaces the choice, a corrections
    // log joins it.
    void LogStarted(const std::string& name, bool corrections);
    // Adds a log to the choice, or takes it out.
    void Toggle(const std::string& name);
    bool IsChosen(const std::string& name) const;
    // Whether a log holds corrections rather than a demonstration.
    bool IsCorrections(const std::string& name) const;
    const std::vector<std::string>& Chosen() const { return chosen; }

    // Starts training (stopping a running log first, so that its lines are
    // all in the file); false, with the reason on the status line, if it
    // cannot.
    bool Start();
    bool IsRunning() const { return process.IsRunning(); }
    // Once a frame: shows what the trainer reports and, once it has ended,
    // loads its student.
    void Poll();

    // What the Teach page keeps of the last Train until the next one: the
    // student's figures ("Trained student-0001.xml: 90.4 % agreement ..."),
    // why it failed, or that it is running; empty before the first.
    const std::string& Summary() const { return summary; }

    // The first name PREFIXNNNN.SUFFIX (student-0001.xml) that no file of the
    // working folder has; empty when all 9999 are taken.
    static std::string FreeName(const std::string& prefix, const std::string& suffix);

private:
    void Finish(int exitStatus);

    CKorvaleScene& scene;
    CSceneCommands& commands;
    ISceneCommandHost& host;
    std::string program;
    std::function<void()> studentLoaded;
    std::vector<std::string> chosen;
    std::vector<std::string> correctionsStarted; // logs started with Log Corrections
    CChildProcess process;
    std::string student;
    std::string result;  // the trainer's summary, once it gave one
    std::string warning; // the trainer's warning, if any
    std::string failure; // the trainer's last error line
    std::string summary;
};

} // namespace Korvale
