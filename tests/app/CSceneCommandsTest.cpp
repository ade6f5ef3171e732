#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "control/CKeyboardRemoteControl.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/NeuralRobot.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "CKorvaleSceneTestFiles.h"
#include "RecordingCommandHost.h"

using namespace Korvale;
using namespace TestSupport;

using namespace SceneTestFiles;

namespace {

using RecordingHost = RecordingCommandHost;

using Calls = std::vector<std::string>;

class SceneCommands : public ::testing::Test {
protected:
    void LoadSceneAndRobot()
    {
        ASSERT_TRUE(commands.LoadScene(folder.Write("scene.xml", sceneWithStart)));
        ASSERT_TRUE(commands.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
        host.Take();
    }
    Fen::RemoteControl* Driver() { return scene.GetRobot()->GetPhysicalObject().remoteControl; }

    TempFolder folder;
    CKeyboard keyboard;
    CKorvaleScene scene{nullptr, &keyboard};
    RecordingHost host;
    CSceneCommands commands{scene, host};
};

TEST_F(SceneCommands, LoadSceneShowsSuccessThenFitsTheViewAndResetsTheButtons)
{
    EXPECT_TRUE(commands.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    EXPECT_EQ(host.Take(), (Calls{"info: Scene was loaded successfully", "reset zoom", "check No Target",
                                  "check Keyboard"}));
    EXPECT_EQ(scene.GetWorld()->GetObjectCount(), 2u);
}

TEST_F(SceneCommands, LoadSceneFailureShowsTheWholeTextOnceAndNoSuccess)
{
    EXPECT_FALSE(commands.LoadScene(folder.File("missing.xml")));
    EXPECT_EQ(host.Take(),
              (Calls{"error: Error in CFenIOStruct: cannot open the file\n"
                     "Scene file '"
                         + folder.File("missing.xml") + "': no such file\n",
                     "reset zoom", "check No Target", "check Keyboard"}));
    EXPECT_TRUE(scene.IsOk()) << "the error check clears what it showed";
}

TEST_F(SceneCommands, EmptyFileNameClearsTheScene)
{
    LoadSceneAndRobot();
    EXPECT_TRUE(commands.LoadScene(""));
    EXPECT_EQ(host.Take(), (Calls{"info: Scene was cleared successfully", "reset zoom", "check No Target",
                                  "check Keyboard"}));
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_EQ(scene.GetWorld()->GetObjectCount(), 0u);
}

TEST_F(SceneCommands, LoadRobotAttachesTheKeyboard)
{
    ASSERT_TRUE(commands.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    host.Take();
    EXPECT_TRUE(commands.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    EXPECT_EQ(host.Take(), (Calls{"info: Robot was loaded successfully", "check Keyboard"}));
    EXPECT_EQ(Driver(), &scene.GetKeyboardControl());
    EXPECT_TRUE(scene.IsKeyboardControl());
}

TEST_F(SceneCommands, LoadRobotFailureAndClear)
{
    LoadSceneAndRobot();
    EXPECT_FALSE(commands.LoadRobot(folder.Write("bad.xml", robotBadCamera)));
    const Calls calls = host.Take();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].rfind("error: Error in CFenCircularCamReader", 0), 0u);
    EXPECT_EQ(calls[1], "check Keyboard");
    EXPECT_EQ(scene.GetRobot(), nullptr);

    EXPECT_TRUE(commands.LoadRobot(""));
    EXPECT_EQ(host.Take(), (Calls{"info: Robot was cleared successfully", "check Keyboard"}));
}

TEST_F(SceneCommands, LoadNetworkSwitchesBackToTheKeyboardWhetherItWorkedOrNot)
{
    LoadSceneAndRobot();
    const std::string network = folder.Write("net.xml", networkTwoInputs);
    ASSERT_TRUE(commands.LoadNetwork(network));
    ASSERT_TRUE(commands.SelectNeuralNetwork());
    ASSERT_TRUE(scene.IsNeuralNetworkControl());
    host.Take();

    EXPECT_TRUE(commands.LoadNetwork(network));
    EXPECT_EQ(host.Take(), (Calls{"info: Neural network was loaded successfully", "check Keyboard"}));
    EXPECT_TRUE(scene.IsKeyboardControl());
    EXPECT_EQ(Driver(), &scene.GetKeyboardControl());

    ASSERT_TRUE(commands.SelectNeuralNetwork());
    host.Take();
    EXPECT_FALSE(commands.LoadNetwork(folder.File("missing.xml")));
    EXPECT_EQ(host.Take(),
              (Calls{"error: Error in CFenIOStruct: cannot open the file\n"
                     "Network file '"
                         + folder.File("missing.xml") + "': no such file\n",
                     "check Keyboard"}));
    EXPECT_EQ(Driver(), &scene.GetKeyboardControl());

    EXPECT_TRUE(commands.LoadNetwork(""));
    EXPECT_EQ(host.Take(), (Calls{"info: Neural network was cleared successfully", "check Keyboard"}));
    EXPECT_EQ(scene.GetNeuralNetworkControl().network.inputDimensions, 0);
}

TEST_F(SceneCommands, NeuralNetworkThatDoesNotFitSaysWhyAtEveryTurnAndTheKeyboardDrives)
{
    LoadSceneAndRobot();
    const std::string net = folder.Write("net.xml", networkThreeInputs);
    const std::string why = "Network file '" + net + "' takes 3 inputs, but the robot has 2 infrared sensors";
    // The load succeeds, as it always has, and says why it cannot drive.
    ASSERT_TRUE(commands.LoadNetwork(net));
    EXPECT_EQ(host.Take(), (Calls{"info: Neural network was loaded successfully", "warning: " + why, "check Keyboard"}));
    EXPECT_FALSE(commands.SelectNeuralNetwork());
    // The radio buttons stay as the user clicked them.
    EXPECT_EQ(host.Take(), (Calls{"error: Inconsistent neural network\n" + why + "\n"}));
    EXPECT_EQ(Driver(), &scene.GetKeyboardControl());

    // A robot that the loaded network does not fit says so too; one it fits
    // says nothing more.
    ASSERT_TRUE(commands.LoadNetwork(folder.Write("two.xml", networkTwoInputs)));
    host.Take();
    const std::string one = folder.Write("one.xml", R"(<neuralrobot wheelDistance="2" robotSpeed="4">
  <object x="20" y="30" r="1.5" mass="1"/>
  <sensors><irsensor x="1" y="0" height="1" orientation="0" range="8"/></sensors>
</neuralrobot>)");
    ASSERT_TRUE(commands.LoadRobot(one));
    EXPECT_EQ(host.Take(), (Calls{"info: Robot was loaded successfully",
                                  "warning: Network file '" + folder.File("two.xml")
                                      + "' takes 2 inputs, but the robot has 1 infrared sensor",
                                  "check Keyboard"}));
    ASSERT_TRUE(commands.LoadRobot(folder.File("robot.xml")));
    EXPECT_EQ(host.Take(), (Calls{"info: Robot was loaded successfully", "check Keyboard"}));
    // Without a network file there is no file to name.
    EXPECT_TRUE(commands.LoadNetwork(""));
    host.Take();
    EXPECT_FALSE(commands.SelectNeuralNetwork());
    EXPECT_EQ(host.Take(), (Calls{"error: Inconsistent neural network\n"}));
}

TEST_F(SceneCommands, ASceneLoadedAfterTheRobotSaysTheRobotAndTheLogWentWithTheOldOne)
{
    LoadSceneAndRobot();
    ASSERT_TRUE(commands.StartLog(folder.File("run.log")));
    host.Take();
    EXPECT_TRUE(commands.LoadScene(folder.File("scene.xml")));
    EXPECT_EQ(host.Take(), (Calls{"info: Scene was loaded successfully",
                                  "warning: The robot '" + folder.File("robot.xml")
                                      + "' was removed with the old scene: load it again with Load Robot",
                                  "warning: The log '" + folder.File("run.log")
                                      + "' was closed: it has no robot to record",
                                  "reset zoom", "check No Target", "check Keyboard"}));
    EXPECT_EQ(scene.GetRobot(), nullptr);
    // With no robot before, nothing more than the specified line; nor when
    // the load fails and keeps the robot.
    EXPECT_TRUE(commands.LoadScene(folder.File("scene.xml")));
    EXPECT_EQ(host.Take()[0], "info: Scene was loaded successfully");
    EXPECT_EQ(host.Take(), Calls{});
    ASSERT_TRUE(commands.LoadRobot(folder.File("robot.xml")));
    host.Take();
    EXPECT_FALSE(commands.LoadScene(folder.File("missing.xml")));
    for (const std::string& call : host.Take())
        EXPECT_EQ(call.rfind("warning", 0), std::string::npos) << call;
    EXPECT_NE(scene.GetRobot(), nullptr);
}

TEST_F(SceneCommands, ControlButtonsWithoutRobotShowNothing)
{
    EXPECT_TRUE(commands.SelectNeuralNetwork());
    EXPECT_TRUE(commands.SelectKeyboard());
    EXPECT_EQ(host.Take(), Calls{});
}

TEST_F(SceneCommands, StartLogWithoutNameAsksForOneAndLeavesTheLogAlone)
{
    LoadSceneAndRobot();
    EXPECT_TRUE(commands.StartLog(""));
    EXPECT_EQ(host.Take(), (Calls{"info: Please enter the name of the log"}));
    EXPECT_FALSE(scene.IsLogging());
}

TEST_F(SceneCommands, ANetworkWhoseOutputsTheControlCannotReadLoadsWithAWarning)
{
    LoadSceneAndRobot();
    const std::string network = folder.Write("two.xml", networkTwoOutputs);
    EXPECT_TRUE(commands.LoadNetwork(network));
    EXPECT_EQ(host.Take(),
              (Calls{"info: Neural network was loaded successfully",
                     "warning: Warning: network file '" + network
                         + "' has 2 outputs, not 4 (forward, backward, left, right): it never changes the robot's "
                           "commands, so a robot at rest stays at rest",
                     "check Keyboard"}));
    // It drives nothing: the robot stays where it stands.
    ASSERT_TRUE(commands.SelectNeuralNetwork());
    const Fen::Point start = scene.GetRobot()->GetPhysicalObject().pos;
    for (int frame = 0; frame < 60; ++frame)
        scene.AdvanceFrame(1.0f / 60.0f);
    EXPECT_EQ(scene.GetRobot()->GetPhysicalObject().pos, start);

    // Said once: the next load of a readable network is quiet.
    EXPECT_TRUE(commands.LoadNetwork(folder.Write("net.xml", networkTwoInputs)));
    EXPECT_EQ(host.Take(), (Calls{"info: Neural network was loaded successfully", "check Keyboard"}));
}

TEST_F(SceneCommands, StartLogWithoutRobotShowsWhy)
{
    EXPECT_FALSE(commands.StartLog(folder.File("run.log")));
    EXPECT_EQ(host.Take(),
              (Calls{"error: Error in CKorvaleScene: robot is not loaded\n"
                     "Log file '"
                     + folder.File("run.log") + "': there is no robot to record\n"}));
}

TEST_F(SceneCommands, StartAndStopLog)
{
    LoadSceneAndRobot();
    EXPECT_TRUE(commands.StartLog(folder.File("run.log")));
    EXPECT_EQ(host.Take(), (Calls{"info: Log was started successfully"}));
    EXPECT_TRUE(scene.IsLogging());

    EXPECT_TRUE(commands.StopLog());
    EXPECT_EQ(host.Take(), (Calls{"info: Log was stopped successfully"}));
    EXPECT_FALSE(scene.IsLogging());
}

TEST_F(SceneCommands, StopLogWithoutRunningLogShowsNothing)
{
    LoadSceneAndRobot();
    EXPECT_TRUE(commands.StopLog());
    EXPECT_EQ(host.Take(), Calls{});
}

TEST_F(SceneCommands, StartLogOnAnExistingFileShowsEveryLine)
{
    LoadSceneAndRobot();
    EXPECT_FALSE(commands.StartLog(folder.Write("run.log", "x")));
    EXPECT_EQ(host.Take(),
              (Calls{"error: Error in CLog: log file already exists\n"
                     "Error in CLog: log file is not created yet\n"
                     "Error in CKorvaleScene: unable to start log\n"
                     "Log file '"
                     + folder.File("run.log") + "': already exists\n"}));
    EXPECT_TRUE(scene.IsOk());
}

} // namespace

TEST_F(SceneCommands, ResetLoadsWhatWasLoadedQuietlyAndLeavesTheCameraAndButtons)
{
    LoadSceneAndRobot();
    ASSERT_TRUE(commands.LoadNetwork(folder.Write("network.xml", networkTwoInputs)));
    host.Take();
    scene.GetRobot()->GetPhysicalObject().pos = {20, 20};
    EXPECT_TRUE(commands.Reset(true));
    EXPECT_EQ(host.Take(), (Calls{"info: Reset"}));
    EXPECT_EQ(scene.GetRobot()->GetPhysicalObject().pos.x, 150) << "back at the start position";
    EXPECT_TRUE(scene.IsNeuralNetworkControl());
    EXPECT_TRUE(commands.Reset(false));
    EXPECT_TRUE(scene.IsKeyboardControl());
    host.Take();

    // A log keeps running across Reset, its filter and its lines kept; the
    // status line says so. Each line is a sample of its own.
    ASSERT_TRUE(commands.StartCorrectionsLog(folder.File("corrections.log")));
    host.Take();
    EXPECT_TRUE(commands.Reset(false));
    EXPECT_EQ(host.Take(), (Calls{"info: Reset; still recording into " + folder.File("corrections.log")}));
    EXPECT_TRUE(scene.IsLogging());
    scene.AdvanceFrame(0.5f);
    EXPECT_EQ(folder.Read("corrections.log"), "") << "the keyboard drives: no correction to keep";
    ASSERT_TRUE(commands.StopLog());
    ASSERT_TRUE(commands.StartLog(folder.File("run.log")));
    scene.AdvanceFrame(0.5f);
    EXPECT_TRUE(commands.Reset(true));
    scene.AdvanceFrame(0.5f);
    EXPECT_EQ(scene.LogLines(), 2);
    const std::string lines = folder.Read("run.log");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
    host.Take();

    // A file that went bad since is reported, and nothing of its kind stays;
    // the log, with no robot left to record, is closed whole.
    folder.Write("robot.xml", robotBadCamera);
    EXPECT_FALSE(commands.Reset(false));
    const Calls calls = host.Take();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("error: Error in ", 0), 0u);
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_FALSE(scene.IsLogging());
    EXPECT_EQ(folder.Read("run.log"), lines);
}
