#pragma once
// Shared pieces of the run-log tests: a robot with infrared readings driven
// by the keyboard control, and a log file kept in memory that can be told
// to fail.
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "HeldKeys.h"
#include "base/WindowMessages.h"
#include "control/CKeyboardRemoteControl.h"
#include "control/CLog.h"
#include "control/ILogFile.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"

namespace LogTest {

// What the log wrote, shared between the test and the files it opened.
struct MemoryDisk {
    std::string text;
    int appendsBeforeFailure = -1; // negative: never fails
    int filesOpened = 0;
    bool nameTaken = false;        // the next open fails as if the file existed
};

class MemoryFile : public Tarn::ILogFile {
public:
    explicit MemoryFile(MemoryDisk& disk) : disk(disk) {}
    bool Append(std::string_view text) override
    {
        if (disk.appendsBeforeFailure == 0)
            return false;
        if (disk.appendsBeforeFailure > 0)
            --disk.appendsBeforeFailure;
        disk.text.append(text);
        return true;
    }

private:
    MemoryDisk& disk;
};

inline Tarn::CLog::FileOpener OpenOn(MemoryDisk& disk)
{
    return [&disk](const std::string&, int& error) -> std::unique_ptr<Tarn::ILogFile> {
        if (disk.nameTaken) {
            error = EEXIST;
            return nullptr;
        }
        ++disk.filesOpened;
        error = 0;
        return std::make_unique<MemoryFile>(disk);
    };
}

// A robot with the given readings, driven by the keyboard.
struct KeyboardRobot {
    explicit KeyboardRobot(const std::vector<double>& readings = {0.5, 1})
    {
        for (double reading : readings) {
            robot.irSensors.push_back(std::make_unique<Fen::IRSensor>(0u, nullptr));
            robot.irSensors.back()->finalValue = reading;
        }
        robot.setRemoteControl(&control);
    }
    void Press(std::uint8_t key) { keyboard.Press(key); }
    void Release(std::uint8_t key) { keyboard.Release(key); }

    HeldKeys keyboard;
    Tarn::CKeyboardRemoteControl control{&keyboard};
    Fen::NeuralRobot robot;
};

inline int CountLines(const std::string& text)
{
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

} // namespace LogTest
