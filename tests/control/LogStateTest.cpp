// The run log's states (Idle, Open, Logging), what moves between them and
// the message each refusal leaves.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "LogTestSupport.h"

using namespace LogTest;

namespace {

const std::string notAttached = "Error in CLog: log is not attached to a robot\n";
const std::string noControl = "Error in CLog: remote control is not attached to a robot\n";
const std::string notCreated = "Error in CLog: log file is not created yet\n";
const std::string exists = "Error in CLog: log file already exists\n";
const std::string writeFailed = "Error in CLog: unable to write log file\n";

enum class State { Idle, Open, Logging, LoggingWithoutFile };

State StateOf(const Tarn::CLog& log)
{
    if (log.IsLogging())
        return log.IsCreated() ? State::Logging : State::LoggingWithoutFile;
    return log.IsCreated() ? State::Open : State::Idle;
}

class LogStates : public ::testing::Test {
protected:
    void StartLogging()
    {
        log.Create("run.log");
        log.AttachRobot(&robot.robot);
        ASSERT_TRUE(log.Start()) << log.GetErrorText();
    }
    KeyboardRobot robot;
    MemoryDisk disk;
    Tarn::CLog log{OpenOn(disk)};
};

} // namespace

TEST_F(LogStates, ConstructionIsIdleAndOk)
{
    EXPECT_EQ(StateOf(log), State::Idle);
    EXPECT_TRUE(log.IsOk());
    EXPECT_EQ(log.GetErrorText(), "");
}

TEST_F(LogStates, CreateOpensStartLogsStopReturnsToOpen)
{
    EXPECT_TRUE(log.Create("run.log"));
    EXPECT_EQ(StateOf(log), State::Open);
    EXPECT_TRUE(log.AttachRobot(&robot.robot));
    EXPECT_EQ(StateOf(log), State::Open);
    EXPECT_TRUE(log.Start());
    EXPECT_EQ(StateOf(log), State::Logging);
    EXPECT_TRUE(log.Stop());
    EXPECT_EQ(StateOf(log), State::Open);
    EXPECT_TRUE(log.Start());
    EXPECT_EQ(StateOf(log), State::Logging);
    EXPECT_TRUE(log.IsOk());
}

TEST_F(LogStates, CloseGoesIdleFromAnyState)
{
    StartLogging();
    EXPECT_TRUE(log.Close());
    EXPECT_EQ(StateOf(log), State::Idle);
    // The robot is forgotten too.
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), notAttached);
}

TEST_F(LogStates, CloseOfANeverCreatedLogOnlyResetsFlagsAndRobot)
{
    log.AttachRobot(&robot.robot);
    EXPECT_TRUE(log.Close());
    EXPECT_EQ(StateOf(log), State::Idle);
    EXPECT_TRUE(log.IsOk());
    EXPECT_EQ(disk.filesOpened, 0);
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), notAttached);
}

TEST_F(LogStates, AttachRobotStopsRecording)
{
    StartLogging();
    log.AttachRobot(&robot.robot);
    EXPECT_EQ(StateOf(log), State::Open);
}

TEST_F(LogStates, CreateWhileLoggingStartsOverWithANewFile)
{
    StartLogging();
    EXPECT_TRUE(log.Create("next.log"));
    EXPECT_EQ(StateOf(log), State::Open);
    EXPECT_EQ(disk.filesOpened, 2);
}

TEST_F(LogStates, StartChecksRobotThenControlThenFile)
{
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), notAttached);
    log.ClearErrors();

    robot.robot.detachRemoteControl();
    log.AttachRobot(&robot.robot);
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), noControl);
    log.ClearErrors();

    robot.robot.setRemoteControl(&robot.control);
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), notCreated);
    EXPECT_EQ(StateOf(log), State::Idle);
}

TEST_F(LogStates, StartInOpenWithoutControlStaysOpen)
{
    log.Create("run.log");
    robot.robot.detachRemoteControl();
    log.AttachRobot(&robot.robot);
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(StateOf(log), State::Open);
}

TEST_F(LogStates, ExistingFileFailsAndTheStartSequenceAddsNotCreated)
{
    disk.nameTaken = true;
    EXPECT_FALSE(log.Create("run.log"));
    EXPECT_EQ(StateOf(log), State::Idle);
    log.AttachRobot(&robot.robot);
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), exists + notCreated);
}

TEST_F(LogStates, FailedCreateClosesTheFileOpenBefore)
{
    StartLogging();
    disk.nameTaken = true;
    EXPECT_FALSE(log.Create("taken.log"));
    EXPECT_EQ(StateOf(log), State::Idle);
    log.Write(1.0);
    EXPECT_EQ(disk.text, "");
}

TEST_F(LogStates, DetachedControlIsReportedOnceAndStopsTheLog)
{
    StartLogging();
    robot.robot.detachRemoteControl();
    log.Write(0.01);
    EXPECT_EQ(log.GetErrorText(), noControl);
    EXPECT_EQ(StateOf(log), State::Open); // the file stays open until Close
    log.Write(0.01);
    log.Write(1.0);
    EXPECT_EQ(log.GetErrorText(), noControl);
    EXPECT_EQ(disk.text, "");
}

TEST_F(LogStates, RobotDetachedBeforeItIsDeleted)
{
    auto doomed = std::make_unique<KeyboardRobot>();
    log.Create("run.log");
    log.AttachRobot(&doomed->robot);
    ASSERT_TRUE(log.Start());
    log.Write(0.2);
    log.AttachRobot(nullptr);
    doomed.reset();
    EXPECT_EQ(StateOf(log), State::Open);
    log.Write(0.2);
    EXPECT_EQ(CountLines(disk.text), 1);
    EXPECT_TRUE(log.IsOk());
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), notAttached);
}

TEST_F(LogStates, WriteErrorIsReportedOnceAndStopsTheLog)
{
    disk.appendsBeforeFailure = 2;
    StartLogging();
    for (int frame = 0; frame < 10; ++frame)
        log.Write(0.2);
    EXPECT_EQ(CountLines(disk.text), 2); // the records before the failure stay
    EXPECT_EQ(log.GetErrorText(), writeFailed);
    EXPECT_EQ(StateOf(log), State::Idle);
    // The broken file is given up: starting again needs a new one.
    EXPECT_FALSE(log.Start());
    EXPECT_EQ(log.GetErrorText(), writeFailed + notCreated);
}

TEST_F(LogStates, MessagesCollectUntilCleared)
{
    log.Start();
    log.Start();
    EXPECT_FALSE(log.IsOk());
    EXPECT_EQ(log.GetErrorText(), notAttached + notAttached);
    log.ClearErrors();
    EXPECT_TRUE(log.IsOk());
    EXPECT_EQ(log.GetErrorText(), "");
}
