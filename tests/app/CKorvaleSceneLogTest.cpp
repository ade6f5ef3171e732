#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "engine/NeuralRobot.h"
#include "model/CFenNeuralRobot.h"
#include "CKorvaleSceneTestFiles.h"

using namespace Korvale;
using namespace TestSupport;

using namespace SceneTestFiles;

namespace {

class KorvaleSceneLog : public ::testing::Test {
protected:
    // A robot driven by the keyboard, ready to be logged.
    void LoadDrivenRobot()
    {
        ASSERT_TRUE(scene->LoadScene(folder.Write("scene.xml", sceneWithStart)));
        ASSERT_TRUE(scene->LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
        ASSERT_TRUE(scene->SetKeyboardControl());
    }
    // Frames as the window runs them.
    void RunFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            scene->AdvanceFrame(1.0f / 16);
    }
    std::size_t Lines(const std::string& name) const
    {
        const std::string text = folder.Read(name);
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

    TempFolder folder;
    CKeyboard keyboard;
    std::unique_ptr<CKorvaleScene> scene = std::make_unique<CKorvaleScene>(nullptr, &keyboard);
};

TEST_F(KorvaleSceneLog, NeedsARobot)
{
    EXPECT_FALSE(scene->StartLog(folder.File("run.log")));
    EXPECT_EQ(scene->GetErrorText(),
              "Error in CKorvaleScene: robot is not loaded\n"
              "Log file '"
                  + folder.File("run.log") + "': there is no robot to record\n");
    EXPECT_FALSE(scene->IsLogging());
}

TEST_F(KorvaleSceneLog, NeedsAControlOnTheRobot)
{
    ASSERT_TRUE(scene->LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    EXPECT_FALSE(scene->StartLog(folder.File("run.log")));
    EXPECT_EQ(scene->GetErrorText(),
              "Error in CLog: remote control is not attached to a robot\n"
              "Error in CKorvaleScene: unable to start log\n"
              "Log file '"
                  + folder.File("run.log") + "': the robot has no control to record\n");
    EXPECT_FALSE(scene->IsLogging());
}

TEST_F(KorvaleSceneLog, NeverWritesOverAnExistingFile)
{
    LoadDrivenRobot();
    const std::string existing = folder.Write("run.log", "keep me\n");
    EXPECT_FALSE(scene->StartLog(existing));
    EXPECT_EQ(scene->GetErrorText(),
              "Error in CLog: log file already exists\n"
              "Error in CLog: log file is not created yet\n"
              "Error in CKorvaleScene: unable to start log\n"
              "Log file '"
                  + existing + "': already exists\n");
    EXPECT_FALSE(scene->IsLogging());
    EXPECT_EQ(folder.Read("run.log"), "keep me\n");
}

TEST_F(KorvaleSceneLog, ClearingTheErrorsAlsoClearsTheLogsOwnReport)
{
    LoadDrivenRobot();
    EXPECT_FALSE(scene->StartLog(folder.Write("run.log", "")));
    scene->ClearErrors();
    // With the log's old messages still there the next start would count as failed.
    EXPECT_TRUE(scene->StartLog(folder.File("second.log")));
    EXPECT_TRUE(scene->IsOk());
    EXPECT_TRUE(scene->IsLogging());
}

TEST_F(KorvaleSceneLog, RecordsWhileRunningAndStopsOnStopLog)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    RunFrames(8); // a record every second frame of 1/16 s
    EXPECT_TRUE(scene->StopLog());
    EXPECT_FALSE(scene->IsLogging());
    EXPECT_EQ(Lines("run.log"), 4u);
    RunFrames(8);
    EXPECT_EQ(Lines("run.log"), 4u);
}

TEST_F(KorvaleSceneLog, ALogThatStopsOnAFaultSaysSoAfterTheFrame)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    RunFrames(2);
    scene->GetRobot()->GetPhysicalObject().detachRemoteControl();
    RunFrames(2);
    EXPECT_FALSE(scene->IsLogging());
    EXPECT_EQ(scene->GetErrorText(),
              "Error in CLog: remote control is not attached to a robot\n"
              "Log file '"
                  + folder.File("run.log") + "': the robot has no control to record\n");
    // Reported once: the log's own report was emptied into the scene's.
    scene->ClearErrors();
    RunFrames(2);
    EXPECT_TRUE(scene->IsOk());
    EXPECT_EQ(Lines("run.log"), 1u);
}

// A clear or load that deletes the robot stops the log at that moment; the
// log never reads the deleted robot (run under AddressSanitizer).
TEST_F(KorvaleSceneLog, ClearRobotStopsTheLog)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    RunFrames(4);
    scene->ClearRobot();
    EXPECT_FALSE(scene->IsLogging());
    scene->WriteLog(1.0f); // as a window frame would if it still thought so
    RunFrames(8);
    EXPECT_EQ(Lines("run.log"), 2u);
    EXPECT_TRUE(scene->IsOk());
}

TEST_F(KorvaleSceneLog, ClearSceneStopsTheLog)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    scene->ClearScene();
    EXPECT_FALSE(scene->IsLogging());
    scene->WriteLog(1.0f);
    RunFrames(4);
    EXPECT_EQ(Lines("run.log"), 0u);
}

TEST_F(KorvaleSceneLog, LoadingANewRobotStopsTheLogOfTheOldOne)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    ASSERT_TRUE(scene->LoadRobot(folder.File("robot.xml")));
    ASSERT_TRUE(scene->SetKeyboardControl());
    EXPECT_FALSE(scene->IsLogging());
    scene->WriteLog(1.0f);
    RunFrames(4);
    EXPECT_EQ(Lines("run.log"), 0u);
}

TEST_F(KorvaleSceneLog, LoadingASceneStopsTheLog)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    ASSERT_TRUE(scene->LoadScene(folder.File("scene.xml")));
    EXPECT_FALSE(scene->IsLogging());
    scene->WriteLog(1.0f);
}

TEST_F(KorvaleSceneLog, AFailedOpenKeepsTheRobotAndTheLogRunning)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    EXPECT_FALSE(scene->LoadRobot(folder.File("missing.xml")));
    EXPECT_FALSE(scene->LoadScene(folder.File("missing.xml")));
    EXPECT_TRUE(scene->IsLogging());
    RunFrames(4);
    EXPECT_EQ(Lines("run.log"), 2u);
}

TEST_F(KorvaleSceneLog, DestroyingTheSceneWhileLoggingIsSafe)
{
    LoadDrivenRobot();
    ASSERT_TRUE(scene->StartLog(folder.File("run.log")));
    RunFrames(4);
    scene.reset();
    EXPECT_EQ(Lines("run.log"), 2u);
}

} // namespace
