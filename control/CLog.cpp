#include "control/CLog.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <utility>

#include "base/FileFault.h"
#include "control/CLogFile.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/RemoteControl.h"

namespace Tarn {

namespace {

// %g with precision 6 (what a default output stream writes), right-aligned
// in at least 8 characters padded with '0' on the left: 0.5 -> "000000.5",
// -0.25 -> "000-0.25". Longer texts are written in full.
void AppendReading(std::string& line, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    const std::size_t length = static_cast<std::size_t>(result.ptr - text);
    if (length < 8)
        line.append(8 - length, '0');
    line.append(text, length);
    line += ' ';
}

void AppendCommand(std::string& line, bool on)
{
    line += on ? "1.0 " : "0.0 ";
}

std::unique_ptr<ILogFile> OpenNewFile(const std::string& fileName, int& error)
{
    return CLogFile::CreateNew(fileName, error);
}

} // namespace

bool IsLogRecord(std::string_view line)
{
    std::size_t fields = 0;
    std::size_t commands = 0; // trailing "1.0"/"0.0" fields
    while (!line.empty()) {
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos || blank == 0)
            return false;
        const std::string_view field = line.substr(0, blank);
        line.remove_prefix(blank + 1);
        ++fields;
        if (field == "1.0" || field == "0.0") {
            ++commands;
            continue;
        }
        // A reading after a command, or one not as %g writes it.
        if (commands != 0 || field.size() < 8 || field.find_first_not_of("0123456789.e+-") != std::string_view::npos)
            return false;
    }
    return commands == 4 && fields >= 4;
}

CLog::CLog() : CLog(OpenNewFile) {}

CLog::CLog(FileOpener openFile_) : openFile(std::move(openFile_)) {}

CLog::~CLog() = default;

void CLog::Fault(std::string message, std::string words)
{
    ReportError(std::move(message));
    if (problem.empty())
        problem = std::move(words);
}

bool CLog::Create(std::string fileName)
{
    created = false;
    running = false;
    file.reset();

    int error = 0;
    file = openFile(fileName, error);
    created = file != nullptr;
    if (!created) {
        if (error == EEXIST)
            Fault("Error in CLog: log file already exists", "already exists");
        else
            Fault("Error in CLog: unable to create log file",
                  "cannot be created ("
                      + (error == ENOENT ? std::string("its folder does not exist") : SystemErrorWords(error)) + ")");
    }
    return created;
}

bool CLog::Close()
{
    created = false;
    running = false;
    robot = nullptr;
    file.reset();
    filter = nullptr;
    return true;
}

bool CLog::AttachRobot(Fen::NeuralRobot* robot_)
{
    robot = robot_;
    running = false;
    return true;
}

bool CLog::IsReady()
{
    if (robot == nullptr) {
        Fault("Error in CLog: log is not attached to a robot", "there is no robot to record");
        return false;
    }
    if (robot->remoteControl == nullptr) {
        Fault("Error in CLog: remote control is not attached to a robot", "the robot has no control to record");
        return false;
    }
    if (!created) {
        Fault("Error in CLog: log file is not created yet", "is not created yet");
        return false;
    }
    return true;
}

bool CLog::Start()
{
    recordedTime = 0.0;
    recordCount = 0;
    running = IsReady();
    return running;
}

bool CLog::Stop()
{
    running = false;
    return true;
}

void CLog::Write(double dt)
{
    if (!running)
        return;
    if (!IsReady()) {
        running = false; // its message is thus reported once
        return;
    }
    // A NaN frame time would stick in elapsed and silence the log for good.
    if (!std::isnan(dt)) {
        elapsed += dt;
        recordedTime += dt;
    }
    if (!(elapsed > interval))
        return;
    elapsed = 0; // the excess is dropped, not carried over
    if (!filter || filter(*robot))
        WriteRecord();
}

void CLog::WriteRecord()
{
    std::string line;
    for (const auto& sensor : robot->irSensors)
        AppendReading(line, sensor->finalValue);
    Fen::RemoteControl& control = *robot->remoteControl;
    AppendCommand(line, control.isForward());
    AppendCommand(line, control.isBackward());
    AppendCommand(line, control.isLeft());
    AppendCommand(line, control.isRight());
    line += '\n';

    if (file->Append(line)) {
        ++recordCount;
        return;
    }
    // Disk full or similar: the records written so far stay whole; the
    // file is given up so nothing half-written follows them.
    const int error = file->LastError();
    Fault("Error in CLog: unable to write log file",
          "could not be written" + (error != 0 ? " (" + SystemErrorWords(error) + ")" : std::string{})
              + "; it keeps every complete record");
    running = false;
    created = false;
    file.reset();
}

} // namespace Tarn
