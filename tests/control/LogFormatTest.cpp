// The run log's record: one line of padded readings and four commands,
// written when more than 0.1 s of frame time has gathered.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "LogTestSupport.h"

using namespace Tarn;

using namespace LogTest;

namespace {

// A log recording robot.robot into disk, already running.
struct RunningLog {
    RunningLog(KeyboardRobot& robot, MemoryDisk& disk) : log(OpenOn(disk))
    {
        log.Create("run.log");
        log.AttachRobot(&robot.robot);
        EXPECT_TRUE(log.Start()) << log.GetErrorText();
    }
    Tarn::CLog log;
};

// The one record written for these readings, with no key held.
std::string RecordOf(const std::vector<double>& readings)
{
    KeyboardRobot robot(readings);
    MemoryDisk disk;
    RunningLog running(robot, disk);
    running.log.Write(0.2);
    return disk.text;
}

// The C library's %g of value, padded on the left with '0' to 8 characters.
std::string Padded(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    std::string field = text;
    if (field.size() < 8)
        field.insert(0, 8 - field.size(), '0');
    return field;
}

} // namespace

TEST(LogRecord, ReadingsArePaddedOnTheLeftWithZeros)
{
    EXPECT_EQ(RecordOf({0.5}), "000000.5 0.0 0.0 0.0 0.0 \n");
    EXPECT_EQ(RecordOf({1}), "00000001 0.0 0.0 0.0 0.0 \n");
    EXPECT_EQ(RecordOf({0}), "00000000 0.0 0.0 0.0 0.0 \n");
    EXPECT_EQ(RecordOf({1234.5678}), "01234.57 0.0 0.0 0.0 0.0 \n");
    // The padding goes before the sign.
    EXPECT_EQ(RecordOf({-0.25}), "000-0.25 0.0 0.0 0.0 0.0 \n");
}

TEST(LogRecord, ReadingsFollowTheCLibrarysGeneralFormat)
{
    for (double value : {1234567.0, 123456789.0, 1e-5, 0.0001, -3.5e-7, 100000.0, 999999.5, 0.1 + 0.2, -1e300})
        EXPECT_EQ(RecordOf({value}), Padded(value) + " 0.0 0.0 0.0 0.0 \n") << value;
    // Longer than 8 characters: written in full, without padding.
    EXPECT_EQ(Padded(1234567.0).size(), std::string("1.23457e+06").size());
}

TEST(LogRecord, CommandsFollowTheReadingsInTheirOrder)
{
    KeyboardRobot robot({0.5, 1});
    MemoryDisk disk;
    RunningLog running(robot, disk);
    robot.Press(VirtualKey::Up);
    robot.Press(VirtualKey::Right);
    running.log.Write(0.2);
    EXPECT_EQ(disk.text, "000000.5 00000001 1.0 0.0 0.0 1.0 \n");
}

TEST(LogRecord, EachCommandHasItsPlace)
{
    const struct {
        std::uint8_t key;
        const char* commands;
    } cases[] = {
        {VirtualKey::Up, "1.0 0.0 0.0 0.0 \n"},
        {VirtualKey::Down, "0.0 1.0 0.0 0.0 \n"},
        {VirtualKey::Left, "0.0 0.0 1.0 0.0 \n"},
        {VirtualKey::Right, "0.0 0.0 0.0 1.0 \n"},
    };
    for (const auto& c : cases) {
        KeyboardRobot robot(std::vector<double>{});
        MemoryDisk disk;
        RunningLog running(robot, disk);
        robot.Press(c.key);
        running.log.Write(0.2);
        EXPECT_EQ(disk.text, c.commands);
    }
}

TEST(LogRecord, CommandsAreThoseAtTheMomentOfWriting)
{
    KeyboardRobot robot({2});
    MemoryDisk disk;
    RunningLog running(robot, disk);
    robot.Press(VirtualKey::Left);
    running.log.Write(0.0625);
    robot.Release(VirtualKey::Left);
    robot.Press(VirtualKey::Down);
    robot.robot.irSensors[0]->finalValue = 3;
    running.log.Write(0.0625);
    EXPECT_EQ(disk.text, "00000003 0.0 1.0 0.0 0.0 \n");
}

TEST(LogTiming, SixteenthSecondFramesWriteEverySecondFrame)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    RunningLog running(robot, disk);
    std::vector<int> lines;
    for (int frame = 0; frame < 8; ++frame) {
        running.log.Write(1.0 / 16);
        lines.push_back(CountLines(disk.text));
    }
    EXPECT_EQ(lines, (std::vector<int>{0, 1, 1, 2, 2, 3, 3, 4}));
}

TEST(LogTiming, ThirtySecondSecondFramesWriteEveryFourthFrame)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    RunningLog running(robot, disk);
    std::vector<int> lines;
    for (int frame = 0; frame < 8; ++frame) {
        running.log.Write(1.0 / 32);
        lines.push_back(CountLines(disk.text));
    }
    // 3/32 s is not more than 0.1 s; 4/32 s is.
    EXPECT_EQ(lines, (std::vector<int>{0, 0, 0, 1, 1, 1, 1, 2}));
}

TEST(LogTiming, ExactlyTheIntervalIsNotEnough)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    RunningLog running(robot, disk);
    running.log.Write(0.1);
    EXPECT_EQ(CountLines(disk.text), 0);
    running.log.Write(1e-9);
    EXPECT_EQ(CountLines(disk.text), 1);
}

TEST(LogTiming, TheExcessIsDropped)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    RunningLog running(robot, disk);
    std::vector<int> lines;
    // Carried over, 0.08 s would make the third frame write a record too.
    for (int frame = 0; frame < 4; ++frame) {
        running.log.Write(0.09);
        lines.push_back(CountLines(disk.text));
    }
    EXPECT_EQ(lines, (std::vector<int>{0, 1, 1, 2}));
}

TEST(LogTiming, ALongFrameWritesOneRecord)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    RunningLog running(robot, disk);
    running.log.Write(1.0);
    EXPECT_EQ(CountLines(disk.text), 1);
}

TEST(LogTiming, TimeLeftOverCountsTowardsTheNextLog)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    Tarn::CLog log(OpenOn(disk));
    log.Create("first.log");
    log.AttachRobot(&robot.robot);
    log.Start();
    log.Write(1.0 / 16);
    log.Close();
    log.Create("second.log");
    log.AttachRobot(&robot.robot);
    log.Start();
    log.Write(1.0 / 16);
    EXPECT_EQ(CountLines(disk.text), 1);
}

TEST(LogTiming, AFrameTimeThatIsNotANumberIsSkipped)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    RunningLog running(robot, disk);
    running.log.Write(std::nan(""));
    running.log.Write(1.0 / 16);
    running.log.Write(1.0 / 16);
    EXPECT_EQ(CountLines(disk.text), 1);
}

TEST(LogTiming, NothingGathersWhileNotRunning)
{
    KeyboardRobot robot;
    MemoryDisk disk;
    Tarn::CLog log(OpenOn(disk));
    log.Create("run.log");
    log.AttachRobot(&robot.robot);
    log.Write(1.0); // not started
    log.Start();
    log.Write(1.0 / 16);
    EXPECT_EQ(CountLines(disk.text), 0);
    EXPECT_TRUE(log.IsOk());
}

TEST(LogRecord, TheLogCountsItsTimeAndLinesFromEachStartAndTellsItsLinesFromOtherText)
{
    KeyboardRobot robot({0.5, -0.25});
    MemoryDisk disk;
    RunningLog running(robot, disk);
    for (int i = 0; i < 9; ++i)
        running.log.Write(0.05);
    EXPECT_DOUBLE_EQ(running.log.RecordedTime(), 0.45);
    EXPECT_EQ(running.log.RecordCount(), 3);
    disk.appendsBeforeFailure = 0;
    running.log.Write(0.2);
    EXPECT_EQ(running.log.RecordCount(), 3) << "a line that could not be written does not count";
    running.log.Create("again.log");
    running.log.AttachRobot(&robot.robot);
    ASSERT_TRUE(running.log.Start());
    EXPECT_EQ(running.log.RecordCount(), 0);
    EXPECT_EQ(running.log.RecordedTime(), 0.0);

    const std::string line = disk.text.substr(0, disk.text.find('\n'));
    EXPECT_TRUE(IsLogRecord(line)) << line;
    EXPECT_TRUE(IsLogRecord("1.0 0.0 0.0 1.0 ")) << "a robot without infrared sensors";
    EXPECT_FALSE(IsLogRecord(line.substr(0, line.size() - 1))) << "every field ends in a blank";
    EXPECT_FALSE(IsLogRecord("000000.5 1.0 0.0 0.0 ")) << "three commands";
    EXPECT_FALSE(IsLogRecord("1.0 0.0 0.0 1.0 000000.5 "));
    EXPECT_FALSE(IsLogRecord("0.5 1.0 0.0 0.0 1.0 ")) << "a reading is padded to 8 characters";
    EXPECT_FALSE(IsLogRecord("hello wo 1.0 0.0 0.0 1.0 "));
    EXPECT_FALSE(IsLogRecord(""));
}
