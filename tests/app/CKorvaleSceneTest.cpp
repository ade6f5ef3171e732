#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "base/WindowMessages.h"
#include "control/CKeyboardRemoteControl.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "CKorvaleSceneTestFiles.h"

using namespace Korvale;
using namespace Tarn;
using namespace TestSupport;

using namespace SceneTestFiles;

namespace {

class KorvaleScene : public ::testing::Test {
protected:
    Fen::NeuralRobot& Robot() { return scene.GetRobot()->GetPhysicalObject(); }
    Fen::World& EngineWorld() { return scene.GetWorld()->GetFenWorld(); }
    void Press(std::uint8_t key) { keyboard.OnMsg(nullptr, WindowMessage::KeyDown, key, 0); }

    TempFolder folder;
    CKeyboard keyboard;
    CKorvaleScene scene{nullptr, &keyboard};
};

constexpr const char* cannotOpen = "Error in CFenIOStruct: cannot open the file\n";

// The line that ends a failed command's report and names its file.
std::string FileLine(const std::string& kind, const std::string& path, const std::string& words)
{
    return kind + " file '" + path + "': " + words + "\n";
}

TEST_F(KorvaleScene, StartsEmptyWithTheKeyboardSelectedAndNothingReported)
{
    EXPECT_TRUE(scene.IsOk());
    EXPECT_EQ(scene.GetErrorText(), "");
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_TRUE(scene.IsKeyboardControl());
    EXPECT_FALSE(scene.IsNeuralNetworkControl());
    EXPECT_FALSE(scene.IsLogging());
    EXPECT_EQ(scene.GetWorld()->GetObjectCount(), 0u);
    EXPECT_EQ(EngineWorld().width, 100);
    EXPECT_EQ(EngineWorld().height, 100);
}

TEST_F(KorvaleScene, ReportsLineByLineAndClearsItsReport)
{
    scene.ReportError("first");
    scene.ReportError("second");
    EXPECT_FALSE(scene.IsOk());
    EXPECT_EQ(scene.GetErrorText(), "first\nsecond\n");
    scene.ClearErrors();
    EXPECT_TRUE(scene.IsOk());
    EXPECT_EQ(scene.GetErrorText(), "");
}

// ---- scenes

TEST_F(KorvaleScene, LoadSceneReadsArenaObjectsAndStartPosition)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    EXPECT_TRUE(scene.IsOk());
    EXPECT_EQ(EngineWorld().width, 200);
    EXPECT_EQ(EngineWorld().height, 100);
    EXPECT_EQ(scene.GetWorld()->GetObjectCount(), 2u);
    ASSERT_EQ(scene.GetWorld()->GetStartPointCount(), 1u);
    EXPECT_EQ(scene.GetWorld()->GetStartPoint(0), Fen::Point(150, 60));
}

TEST_F(KorvaleScene, SceneThatCannotBeOpenedKeepsWorldAndRobot)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    Tarn::CFenNeuralRobot* robot = scene.GetRobot();

    EXPECT_FALSE(scene.LoadScene(folder.File("missing.xml")));
    // The document's lines, one fault a line, then the file's.
    EXPECT_EQ(scene.GetErrorText(), cannotOpen + FileLine("Scene", folder.File("missing.xml"), "no such file"));
    EXPECT_EQ(scene.GetRobot(), robot);
    EXPECT_EQ(scene.GetWorld()->GetObjectCount(), 2u);
    EXPECT_EQ(EngineWorld().width, 200);
}

TEST_F(KorvaleScene, SceneWithABadThirdObjectLeavesAnEmptyDefaultWorldAndNoRobot)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));

    EXPECT_FALSE(scene.LoadScene(folder.Write("bad.xml", sceneBadThirdObject)));
    EXPECT_EQ(scene.GetErrorText(),
              "Error in CFenPhysicalObjectReader: incomplete definition of object\n"
              "Error in CFenPhysicalObjectIO: unable to read object\n"
              "Error in CFenWorldIO: unable to read object\n"
                  + FileLine("Scene", folder.File("bad.xml"),
                             "the object lacks a part it needs (a required attribute or element)"));
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_EQ(scene.GetWorld()->GetObjectCount(), 0u);
    EXPECT_EQ(scene.GetWorld()->GetRobotCount(), 0u);
    EXPECT_EQ(scene.GetWorld()->GetStartPointCount(), 0u);
    EXPECT_EQ(EngineWorld().width, 100);
    EXPECT_EQ(EngineWorld().height, 100);
    EXPECT_TRUE(EngineWorld().objects.empty());
}

TEST_F(KorvaleScene, LoadingASceneDeletesTheRobot)
{
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithoutStart)));
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_EQ(scene.GetWorld()->GetRobotCount(), 0u);
    EXPECT_EQ(EngineWorld().objects.size(), 1u);
}

TEST_F(KorvaleScene, ClearSceneEmptiesEverything)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    scene.ClearScene();
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_EQ(scene.GetWorld()->GetObjectCount(), 0u);
    EXPECT_EQ(scene.GetWorld()->GetStartPointCount(), 0u);
    EXPECT_EQ(EngineWorld().width, 100);
    EXPECT_TRUE(scene.IsOk());
}

// ---- robots

TEST_F(KorvaleScene, RobotGoesToTheFirstStartPositionWhateverItsFileSays)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    EXPECT_EQ(Robot().pos, Fen::Point(150, 60));
    EXPECT_EQ(Robot().irSensors.size(), 2u);
    EXPECT_EQ(scene.GetWorld()->GetRobotCount(), 1u);
}

TEST_F(KorvaleScene, WithoutStartPositionsTheRobotStaysWhereItsFilePutIt)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithoutStart)));
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    EXPECT_EQ(Robot().pos, Fen::Point(20, 30));
}

TEST_F(KorvaleScene, LoadingASecondRobotReplacesTheFirst)
{
    const std::string file = folder.Write("robot.xml", robotTwoSensors);
    ASSERT_TRUE(scene.LoadRobot(file));
    ASSERT_TRUE(scene.LoadRobot(file));
    EXPECT_EQ(scene.GetWorld()->GetRobotCount(), 1u);
    EXPECT_EQ(EngineWorld().objects.size(), 1u);
    EXPECT_EQ(&scene.GetWorld()->GetRobot(0), scene.GetRobot());
}

TEST_F(KorvaleScene, RobotThatCannotBeOpenedStays)
{
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    Tarn::CFenNeuralRobot* robot = scene.GetRobot();
    EXPECT_FALSE(scene.LoadRobot(folder.File("missing.xml")));
    EXPECT_EQ(scene.GetErrorText(), cannotOpen + FileLine("Robot", folder.File("missing.xml"), "no such file"));
    EXPECT_EQ(scene.GetRobot(), robot);
}

TEST_F(KorvaleScene, RobotWithAReadErrorLeavesNoRobot)
{
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    EXPECT_FALSE(scene.LoadRobot(folder.Write("bad.xml", robotBadCamera)));
    EXPECT_EQ(scene.GetErrorText(),
              "Error in CFenCircularCamReader: incomplete definition of camera\n"
              "Error in CFenNeuralRobotIO: unable to read camera\n"
              "Error in CFenNeuralRobotIO: unable to read sensors\n"
                  + FileLine("Robot", folder.File("bad.xml"),
                             "the camera lacks a part it needs (a required attribute or element)"));
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_EQ(scene.GetWorld()->GetRobotCount(), 0u);
    EXPECT_TRUE(EngineWorld().objects.empty());
}

TEST_F(KorvaleScene, ARobotWiderThanTheArenaIsNotPlaced)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("narrow.xml", R"(<world width="100" height="2.9" startX="50" startY="1"/>)")));
    // A diameter of 3 in an arena 2.9 high: the walls could never hold it.
    EXPECT_FALSE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    EXPECT_EQ(scene.GetErrorText(),
              "Error in CKorvaleScene: robot does not fit in the arena\n"
                  + FileLine("Robot", folder.File("robot.xml"), "the robot does not fit in the arena of this scene"));
    EXPECT_EQ(scene.GetRobot(), nullptr);
    EXPECT_TRUE(EngineWorld().objects.empty());

    scene.ClearErrors();
    ASSERT_TRUE(scene.LoadScene(folder.Write("snug.xml", R"(<world width="100" height="3"/>)")));
    EXPECT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors))) << scene.GetErrorText();
}

TEST_F(KorvaleScene, ARobotStartingInsideABodyIsPlacedThereAndPushedOutUpToTheWallNotThroughIt)
{
    // The start point puts the robot (radius 1.5) 3.5 deep into a heavy
    // disc: the contact would share the overlap out by mass, nearly all of it
    // to the robot, and throw it 2 past the wall at x 0.
    ASSERT_TRUE(scene.LoadScene(folder.Write(
        "scene.xml",
        R"(<world width="100" height="100" startX="3" startY="50"><object x="6" y="50" r="5" mass="100"/></world>)")));
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors))) << scene.GetErrorText();
    EXPECT_EQ(Robot().pos, (Fen::Point{3, 50}));
    const Fen::PhysicalObject& disc = *EngineWorld().objects.front();
    for (int frame = 1; frame <= 600; ++frame) {
        scene.AdvanceFrame(1.0f / 60.0f);
        ASSERT_GE(Robot().pos.x, 1.5) << "frame " << frame;
    }
    // The disc took its share every frame, until the overlap left was too
    // small for its share to overcome its static friction (0.1 units/s).
    EXPECT_GT(disc.pos.x - Robot().pos.x, 6.3);
}

TEST_F(KorvaleScene, ClearRobotWithoutRobotDoesNothing)
{
    ASSERT_TRUE(scene.LoadScene(folder.Write("scene.xml", sceneWithStart)));
    scene.ClearRobot();
    EXPECT_EQ(EngineWorld().objects.size(), 2u);
    EXPECT_TRUE(scene.IsOk());
}

// ---- networks and controls

TEST_F(KorvaleScene, NetworkThatFitsTheSensorsTakesOver)
{
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    ASSERT_TRUE(scene.LoadNetwork(folder.Write("net.xml", networkTwoInputs)));
    EXPECT_TRUE(scene.SetNeuralNetworkControl());
    EXPECT_TRUE(scene.IsNeuralNetworkControl());
    EXPECT_FALSE(scene.IsKeyboardControl());
    EXPECT_EQ(Robot().remoteControl, &scene.GetNeuralNetworkControl());
    EXPECT_TRUE(scene.IsOk());

    EXPECT_TRUE(scene.SetKeyboardControl());
    EXPECT_TRUE(scene.IsKeyboardControl());
    EXPECT_EQ(Robot().remoteControl, &scene.GetKeyboardControl());
    EXPECT_EQ(scene.GetNeuralNetworkControl().robot, nullptr);
}

TEST_F(KorvaleScene, InconsistentNetworkLeavesTheKeyboardDriving)
{
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    ASSERT_TRUE(scene.LoadNetwork(folder.Write("net.xml", networkThreeInputs)));
    EXPECT_FALSE(scene.SetNeuralNetworkControl());
    EXPECT_EQ(scene.GetErrorText(), "Inconsistent neural network\nNetwork file '" + folder.File("net.xml")
                                        + "' takes 3 inputs, but the robot has 2 infrared sensors\n");
    EXPECT_TRUE(scene.IsKeyboardControl());
    EXPECT_EQ(Robot().remoteControl, &scene.GetKeyboardControl());
}

TEST_F(KorvaleScene, SelectingAControlWithoutRobotChangesNothing)
{
    ASSERT_TRUE(scene.LoadNetwork(folder.Write("net.xml", networkTwoInputs)));
    EXPECT_FALSE(scene.SetNeuralNetworkControl());
    EXPECT_FALSE(scene.SetKeyboardControl());
    EXPECT_TRUE(scene.IsKeyboardControl());
    EXPECT_TRUE(scene.IsOk());
    EXPECT_EQ(scene.GetNeuralNetworkControl().robot, nullptr);
}

TEST_F(KorvaleScene, NetworkWithAReadErrorIsLeftEmpty)
{
    ASSERT_TRUE(scene.LoadNetwork(folder.Write("net.xml", networkTwoInputs)));
    EXPECT_FALSE(scene.LoadNetwork(folder.Write("bad.xml", networkWithoutBiases)));
    EXPECT_EQ(scene.GetErrorText(),
              "Error in CFeedForwardReader: unable to read network\n"
              "Error in CFeedForwardReader: inconsistent network\n"
                  + FileLine("Network", folder.File("bad.xml"),
                             "the sizes of its inputs, layers, weights and biases do not fit together"));
    EXPECT_EQ(scene.GetNeuralNetworkControl().network.inputDimensions, 0);
    EXPECT_EQ(scene.GetNeuralNetworkControl().network.numLayers, 0);
}

TEST_F(KorvaleScene, NetworkThatCannotBeOpenedStays)
{
    ASSERT_TRUE(scene.LoadNetwork(folder.Write("net.xml", networkTwoInputs)));
    EXPECT_FALSE(scene.LoadNetwork(folder.File("missing.xml")));
    EXPECT_EQ(scene.GetErrorText(), cannotOpen + FileLine("Network", folder.File("missing.xml"), "no such file"));
    EXPECT_EQ(scene.GetNeuralNetworkControl().network.inputDimensions, 2);
}

TEST_F(KorvaleScene, ClearNetworkEmptiesIt)
{
    ASSERT_TRUE(scene.LoadNetwork(folder.Write("net.xml", networkTwoInputs)));
    scene.ClearNetwork();
    EXPECT_EQ(scene.GetNeuralNetworkControl().network.inputDimensions, 0);
}

// ---- time

TEST_F(KorvaleScene, ALongFrameAdvancesOneSecondAtMostAndAnEmptyOneAMillisecond)
{
    ASSERT_TRUE(scene.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
    ASSERT_TRUE(scene.SetKeyboardControl());
    Press(VirtualKey::Up);
    const double speed = Robot().robotSpeed;

    const Fen::Point start = Robot().pos;
    scene.Step(5.0);
    const double longStep = (Robot().pos - start).norm();
    EXPECT_GE(longStep, speed * 0.95 * 1.0);
    EXPECT_LE(longStep, speed * 1.05 * 1.0);

    const Fen::Point before = Robot().pos;
    scene.Step(0.0);
    const double emptyStep = (Robot().pos - before).norm();
    EXPECT_GE(emptyStep, speed * 0.95 * 0.001);
    EXPECT_LE(emptyStep, speed * 1.05 * 0.001);
}

// Writes down the frame's parts in the order they run, with the time each gets.
class FrameJournal : public CKorvaleScene {
public:
    FrameJournal() : CKorvaleScene(nullptr, nullptr) {}
    void Step(double elapsed) override { journal.push_back("step " + std::to_string(elapsed)); }
    void WriteLog(float elapsed) override { journal.push_back("log " + std::to_string(elapsed)); }
    bool IsLogging() const override { return logging; }

    bool logging = false;
    std::vector<std::string> journal;
};

TEST(KorvaleSceneFrame, AFrameStepsByTheHostsTimeThenHandsTheSameTimeToARunningLog)
{
    FrameJournal scene;
    scene.AdvanceFrame(5.0f); // the world adapter, not the frame, keeps a step within 1 s
    EXPECT_EQ(scene.journal, std::vector<std::string>{"step 5.000000"});

    scene.journal.clear();
    scene.logging = true;
    scene.AdvanceFrame(0.0625f);
    EXPECT_EQ(scene.journal, (std::vector<std::string>{"step 0.062500", "log 0.062500"}));
}

} // namespace

TEST_F(KorvaleScene, RemembersTheFilesOfWhatIsLoadedAndForgetsWhatIsCleared)
{
    const std::string sceneFile = folder.Write("scene.xml", sceneWithStart);
    const std::string robotFile = folder.Write("robot.xml", robotTwoSensors);
    const std::string networkFile = folder.Write("network.xml", networkTwoInputs);
    ASSERT_TRUE(scene.LoadScene(sceneFile));
    ASSERT_TRUE(scene.LoadRobot(robotFile));
    ASSERT_TRUE(scene.LoadNetwork(networkFile));
    EXPECT_EQ(scene.SceneFile(), sceneFile);
    EXPECT_EQ(scene.RobotFile(), robotFile);
    EXPECT_EQ(scene.NetworkFile(), networkFile);

    // A file that cannot be opened changes nothing; one that fails to read
    // leaves nothing of its kind.
    EXPECT_FALSE(scene.LoadRobot(folder.File("missing.xml")));
    EXPECT_EQ(scene.RobotFile(), robotFile);
    EXPECT_FALSE(scene.LoadNetwork(folder.Write("bad.xml", networkWithoutBiases)));
    EXPECT_EQ(scene.NetworkFile(), "");
    EXPECT_FALSE(scene.LoadRobot(folder.Write("badrobot.xml", robotBadCamera)));
    EXPECT_EQ(scene.RobotFile(), "");
    ASSERT_TRUE(scene.LoadRobot(robotFile));
    ASSERT_TRUE(scene.LoadScene(sceneFile)); // a scene deletes the robot
    EXPECT_EQ(scene.RobotFile(), "");
    EXPECT_FALSE(scene.LoadScene(folder.Write("badscene.xml", sceneBadThirdObject)));
    EXPECT_EQ(scene.SceneFile(), "");
}

namespace {

// The bodies' places, angles and speeds and the robot's readings after
// `frames` frames pressing Up and Left, each frame whole or in two halves.
std::vector<double> RunHalvedOrWhole(const std::string& sceneFile, const std::string& robotFile, bool halved)
{
    CKeyboard keyboard;
    CKorvaleScene scene{nullptr, &keyboard};
    EXPECT_TRUE(scene.LoadScene(sceneFile));
    EXPECT_TRUE(scene.LoadRobot(robotFile)) << scene.GetErrorText();
    keyboard.OnMsg(nullptr, WindowMessage::KeyDown, VirtualKey::Up, 0);
    keyboard.OnMsg(nullptr, WindowMessage::KeyDown, VirtualKey::Left, 0);
    Fen::setRandomState(7);
    for (int frame = 0; frame < 400; ++frame) {
        if (!halved) {
            scene.AdvanceFrame(1.0f / 60.0f);
            continue;
        }
        EXPECT_TRUE(scene.BeginFrame(1.0f / 60.0f));
        EXPECT_TRUE(scene.FrameBegun());
        scene.FinishFrame(1.0f / 60.0f);
        EXPECT_FALSE(scene.FrameBegun());
    }
    std::vector<double> out;
    for (const Fen::PhysicalObject* body : scene.GetWorld()->GetFenWorld().objects)
        out.insert(out.end(), {body->pos.x, body->pos.y, body->angle, body->speed.x, body->speed.y, body->angSpeed});
    for (const auto& sensor : scene.GetRobot()->GetPhysicalObject().irSensors)
        out.push_back(sensor->finalValue);
    return out;
}

} // namespace

TEST_F(KorvaleScene, AFrameInTwoHalvesIsTheWholeFrameBitForBit)
{
    // Two discs: every pair visited; sixteen: the broad phase takes the step.
    for (const int discs : {2, 16}) {
        std::string world = R"(<world width="60" height="60" startX="30" startY="30">)";
        for (int i = 0; i < discs; ++i)
            world += "<object x=\"" + std::to_string(6 + (i % 4) * 14) + "\" y=\"" + std::to_string(6 + (i / 4) * 14)
                + "\" r=\"2\" mass=\"1\"/>";
        world += "</world>";
        const std::string sceneFile = folder.Write("scene" + std::to_string(discs) + ".xml", world);
        const std::string robotFile = folder.Write("robot.xml", robotTwoSensors);
        const std::vector<double> whole = RunHalvedOrWhole(sceneFile, robotFile, false);
        const std::vector<double> halved = RunHalvedOrWhole(sceneFile, robotFile, true);
        ASSERT_EQ(whole.size(), halved.size());
        for (std::size_t k = 0; k < whole.size(); ++k)
            EXPECT_EQ(whole[k], halved[k]) << discs << " discs, value " << k;
    }
}
