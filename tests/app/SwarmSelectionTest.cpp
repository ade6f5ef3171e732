#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/RobotSelection.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/RemoteControl.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "CKorvaleSceneTestFiles.h"

using namespace Korvale;
using namespace TestSupport;
using namespace SceneTestFiles;

namespace {

// Three scene robots: two driven forward by a network, the third without one.
constexpr const char* swarmScene = R"(<world width="100" height="100" startX="50" startY="50">
  <robot file="robot.xml" x="20" y="20" angle="0" network="forward.xml"/>
  <robot file="robot.xml" x="20" y="80" angle="0" network="forward.xml"/>
  <robot file="robot.xml" x="80" y="80" angle="0"/>
</world>)";

TEST(RobotSelection, NumbersWrapAndName)
{
    EXPECT_EQ(NextRobot(0, 3, false), 1u);
    EXPECT_EQ(NextRobot(2, 3, false), 0u);
    EXPECT_EQ(NextRobot(0, 3, true), 2u);
    EXPECT_EQ(NextRobot(1, 3, true), 0u);
    EXPECT_EQ(NextRobot(0, 0, false), 0u);
    EXPECT_EQ(NextRobot(7, 3, true), 0u) << "a number past the end starts again";
    EXPECT_EQ(RobotNumberText(2, 20), "Robot 3 of 20");
    EXPECT_EQ(RestingStatusText("Ready", 2, 20), "Ready - Robot 3 of 20");
    EXPECT_EQ(RestingStatusText("Paused", 0, 1), "Paused") << "one robot: the status line as it always was";
    EXPECT_EQ(RestingStatusText("Ready", 0, 0), "Ready");
}

class SwarmSelection : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.Write("robot.xml", robotTwoSensors);
        folder.Write("forward.xml", networkTwoInputs);
        ASSERT_TRUE(scene->LoadScene(folder.Write("swarm.xml", swarmScene))) << scene->GetErrorText();
        scene->SetKeysFollowSelection(true);
    }
    void LoadUsersRobot()
    {
        ASSERT_TRUE(scene->LoadRobot(folder.Write("user.xml", robotTwoSensors)));
        ASSERT_TRUE(scene->SetKeyboardControl());
    }
    void RunFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            scene->AdvanceFrame(1.0f / 16);
    }
    void Hold(std::uint8_t key, bool down) { keyboard.Keys()[key] = down; }
    Fen::NeuralRobot& SceneRobot(unsigned index) const
    {
        return scene->GetWorld()->GetSceneRobot(index).GetPhysicalObject();
    }
    // Forward, backward, left, right, as a robot's control gives them now.
    static std::string Commands(Fen::NeuralRobot& robot)
    {
        Fen::RemoteControl* control = robot.remoteControl;
        if (control == nullptr)
            return "none";
        return std::string(control->isForward() ? "F" : "-") + (control->isBackward() ? "B" : "-")
            + (control->isLeft() ? "L" : "-") + (control->isRight() ? "R" : "-");
    }

    TempFolder folder;
    CKeyboard keyboard;
    std::unique_ptr<CKorvaleScene> scene = std::make_unique<CKorvaleScene>(nullptr, &keyboard);
};

TEST_F(SwarmSelection, EveryLoadSelectsTheFirstRobotAgainInTheSwarmsOrder)
{
    ASSERT_EQ(scene->RobotCount(), 3u);
    EXPECT_EQ(scene->SelectedIndex(), 0u);
    EXPECT_EQ(scene->GetSelectedRobot(), &scene->GetWorld()->GetSceneRobot(0));
    EXPECT_TRUE(scene->SelectRobot(2));
    EXPECT_FALSE(scene->SelectRobot(3));
    EXPECT_EQ(scene->SelectedIndex(), 2u) << "a number past the end changes nothing";

    LoadUsersRobot();
    ASSERT_EQ(scene->RobotCount(), 4u);
    EXPECT_EQ(scene->SelectedIndex(), 0u);
    EXPECT_EQ(scene->GetSelectedRobot(), scene->GetRobot()) << "the user's robot comes first";
    ASSERT_TRUE(scene->SelectRobot(3));
    EXPECT_EQ(scene->GetSelectedRobot(), &scene->GetWorld()->GetSceneRobot(2));

    scene->ReloadFiles();
    EXPECT_EQ(scene->SelectedIndex(), 0u) << "Reset";
    ASSERT_TRUE(scene->SelectRobot(2));
    scene->ClearRobot();
    EXPECT_EQ(scene->SelectedIndex(), 0u);
    EXPECT_EQ(scene->RobotCount(), 3u);
    scene->ClearScene();
    EXPECT_EQ(scene->RobotCount(), 0u);
    EXPECT_EQ(scene->GetSelectedRobot(), nullptr);
    EXPECT_FALSE(scene->SelectRobot(0));
}

TEST_F(SwarmSelection, ClickPicksTheNearestRobotWithinReach)
{
    const Tarn::IFenWorld& world = *scene->GetWorld();
    EXPECT_EQ(RobotAt(world, 20.5, 80.5, 0), std::optional<unsigned>(1u)) << "on its body";
    EXPECT_EQ(RobotAt(world, 83, 80, 2), std::optional<unsigned>(2u)) << "1.5 off its rim, within reach";
    EXPECT_EQ(RobotAt(world, 83, 80, 1), std::nullopt);
    EXPECT_EQ(RobotAt(world, 50, 50, 5), std::nullopt);
}

TEST_F(SwarmSelection, ArrowKeysTakeOverTheSelectedSceneRobotAlone)
{
    LoadUsersRobot();
    ASSERT_TRUE(scene->SelectRobot(2)); // scene robot 1, driven forward by its network
    Hold(Tarn::VirtualKey::Left, true);
    RunFrames(2);
    EXPECT_EQ(Commands(SceneRobot(1)), "--L-") << "the keys win while held";
    EXPECT_TRUE(scene->IsTakenOver());
    EXPECT_EQ(Commands(SceneRobot(0)), "F---") << "the others go on with their networks";
    EXPECT_EQ(Commands(scene->GetRobot()->GetPhysicalObject()), "----") << "the user's robot is not selected";

    Hold(Tarn::VirtualKey::Left, false);
    RunFrames(1);
    EXPECT_EQ(Commands(SceneRobot(1)), "F---") << "released: its network drives again";
    EXPECT_FALSE(scene->IsTakenOver());

    // A scene robot without a network: the keys drive it, released it stands.
    ASSERT_TRUE(scene->SelectRobot(3));
    const Fen::Point start = SceneRobot(2).pos;
    Hold(Tarn::VirtualKey::Up, true);
    RunFrames(4);
    EXPECT_EQ(Commands(SceneRobot(1)), "F---") << "the keys left the robot selected before";
    EXPECT_EQ(Commands(SceneRobot(2)), "F---");
    EXPECT_GT(SceneRobot(2).pos.x, start.x + 0.1);
    Hold(Tarn::VirtualKey::Up, false);
    ASSERT_TRUE(scene->SelectRobot(0));
    Hold(Tarn::VirtualKey::Right, true);
    RunFrames(1);
    EXPECT_EQ(Commands(SceneRobot(2)), "----") << "without its keys it stands";
    EXPECT_EQ(Commands(scene->GetRobot()->GetPhysicalObject()), "---R") << "the user's robot has them back";
}

TEST_F(SwarmSelection, WithoutFollowingTheSelectionTheKeysReachOnlyTheUsersRobot)
{
    scene->SetKeysFollowSelection(false);
    ASSERT_TRUE(scene->SelectRobot(1));
    Hold(Tarn::VirtualKey::Left, true);
    RunFrames(2);
    EXPECT_EQ(Commands(SceneRobot(1)), "F---");
    EXPECT_EQ(SceneRobot(2).remoteControl, nullptr) << "untouched: still no control";
}

// The command columns of each log line: the last four numbers.
std::vector<std::string> CommandColumns(const std::string& log)
{
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> numbers;
        for (std::string word; words >> word;)
            numbers.push_back(word);
        std::string commands;
        for (std::size_t i = numbers.size() >= 4 ? numbers.size() - 4 : 0; i < numbers.size(); ++i)
            commands += numbers[i] == "1.0" ? "1" : "0";
        lines.push_back(commands);
    }
    return lines;
}

TEST_F(SwarmSelection, TheLogRecordsTheRobotSelectedAtItsStartWhateverIsSelectedLater)
{
    LoadUsersRobot();
    ASSERT_TRUE(scene->SelectRobot(2));
    Hold(Tarn::VirtualKey::Left, true);
    ASSERT_TRUE(scene->StartLog(folder.File("robot3.log"))) << scene->GetErrorText();
    EXPECT_EQ(scene->GetLoggedRobot(), &scene->GetWorld()->GetSceneRobot(1));
    RunFrames(4); // two lines, the keys driving
    ASSERT_TRUE(scene->SelectRobot(0));
    RunFrames(4); // two more: the keys drive the user's robot now
    EXPECT_EQ(scene->GetLoggedRobot(), &scene->GetWorld()->GetSceneRobot(1));

    // Reset goes on with the scene's robot of the same number; a new robot
    // of the user's leaves it alone.
    scene->ReloadFiles();
    ASSERT_TRUE(scene->IsLogging());
    EXPECT_EQ(scene->GetLoggedRobot(), &scene->GetWorld()->GetSceneRobot(1));
    LoadUsersRobot();
    ASSERT_TRUE(scene->IsLogging());
    RunFrames(2);
    scene->StopLog();
    EXPECT_EQ(scene->GetLoggedRobot(), nullptr);
    const std::vector<std::string> expected{"0010", "0010", "1000", "1000", "1000"};
    EXPECT_EQ(CommandColumns(folder.Read("robot3.log")), expected);

    // A scene robot without a network is recorded standing once the keys
    // leave it, and a new scene closes the log.
    ASSERT_TRUE(scene->SelectRobot(3));
    ASSERT_TRUE(scene->StartLog(folder.File("robot4.log")));
    ASSERT_TRUE(scene->SelectRobot(1));
    RunFrames(2);
    EXPECT_TRUE(scene->IsLogging()) << scene->GetErrorText();
    EXPECT_TRUE(scene->LoadScene(folder.File("swarm.xml")));
    EXPECT_FALSE(scene->IsLogging());
    EXPECT_EQ(CommandColumns(folder.Read("robot4.log")), std::vector<std::string>{"0000"});
}

TEST_F(SwarmSelection, CorrectionsLogKeepsTheLinesTheKeysDroveTheSelectedRobot)
{
    ASSERT_TRUE(scene->SelectRobot(1));
    ASSERT_TRUE(scene->StartCorrectionsLog(folder.File("corrections.log")));
    RunFrames(4); // the network drives: nothing kept
    Hold(Tarn::VirtualKey::Right, true);
    RunFrames(4);
    scene->StopLog();
    EXPECT_EQ(CommandColumns(folder.Read("corrections.log")), (std::vector<std::string>{"0001", "0001"}));
}

} // namespace
