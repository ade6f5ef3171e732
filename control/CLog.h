#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "control/ILogFile.h"
#include "base/CReportError.h"

namespace Fen {
class NeuralRobot;
}

namespace Tarn {

// A line as the log writes it (without its line end): readings of at least
// eight characters, then four commands "1.0" or "0.0", each followed by a
// blank. Tells a log from other text files.
bool IsLogRecord(std::string_view line);

// Records a run: about ten times a second one line with every infrared
// reading of the robot and the four commands of its control, the same data
// the network is trained on. Never touches a file that existed before.
//
// States: Idle (no file), Open (file created, not recording), Logging.
class CLog : public IReportErrorAble {
public:
    // Makes the new file for Create: null with error set on failure, error
    // EEXIST meaning the name was taken. Tests hand in their own files.
    using FileOpener = std::function<std::unique_ptr<ILogFile>(const std::string& fileName, int& error)>;

    // Whether a record that is due is written; a log without one writes
    // every record. A corrections log keeps only the lines a person drove.
    using RecordFilter = std::function<bool(const Fen::NeuralRobot& robot)>;

    static constexpr double interval = 0.1; // seconds between records

    CLog();
    explicit CLog(FileOpener openFile);
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;
    ~CLog() override;

    bool IsOk() const override { return report.IsOk(); }
    void ReportError(std::string message) override { report.ReportError(std::move(message)); }
    void ClearErrors() override
    {
        report.ClearErrors();
        problem.clear();
    }
    std::string GetErrorText() const override { return report.GetErrorText(); }

    // Opens a new log file; an existing file is reported and left untouched.
    virtual bool Create(std::string fileName);
    // Closes the file, forgets the robot and drops the record filter. Always true.
    virtual bool Close();
    // From the next record on, writes only the records `keep` accepts; the
    // records left out still take their turn, so the lines kept are those a
    // log without the filter would hold.
    void SetRecordFilter(RecordFilter keep) { filter = std::move(keep); }
    // Sets (or, with null, forgets) the robot to record and stops recording.
    // A robot about to be deleted must be detached first. Always true.
    virtual bool AttachRobot(Fen::NeuralRobot* robot);
    // The robot is replaced by another, or, while it is being replaced, by
    // none; recording, the filter and the counts go on as they were. Reset
    // loads the robot again under a running log this way.
    void ReplaceRobot(Fen::NeuralRobot* robot) { this->robot = robot; }
    virtual bool Start();
    virtual bool Stop();
    virtual bool IsLogging() const { return running; }
    // Adds this frame's elapsed time; writes one record once more than
    // `interval` has gathered, dropping the excess.
    virtual void Write(double dt);
    // Robot, control and file present; reports the first that is missing.
    virtual bool IsReady();

    bool IsCreated() const { return created; }
    // The time gathered towards the next record; it carries over to the
    // next log, so a snapshot of the run keeps it.
    double& GatheredTime() { return elapsed; }
    // Since the last Start: the frame time gathered and the lines written.
    double RecordedTime() const { return recordedTime; }
    long RecordCount() const { return recordCount; }
    // The first fault reported since the report was cleared, in words about
    // the file, for the line that names it: "already exists", "could not be written (no space left on
    // device); it keeps every complete record".
    const std::string& GetProblem() const { return problem; }

private:
    void WriteRecord();

    void Fault(std::string message, std::string words);

    CReportError report;
    std::string problem;
    bool created = false;
    bool running = false;
    std::unique_ptr<ILogFile> file;
    Fen::NeuralRobot* robot = nullptr; // not owned
    double elapsed = 0.0;
    double recordedTime = 0.0;
    long recordCount = 0;
    FileOpener openFile;
    RecordFilter filter;
};

} // namespace Tarn
