// Scene robots running together: they see each other, meet as bodies, stay
// inside the walls, and a run repeats to the bit.
#include <gtest/gtest.h>

#include <bit>
#include <fstream>
#include <iterator>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "engine/World.h"
#include "io/CFenIOStruct.h"
#include "model/CFenNeuralRobot.h"
#include "ReadingWorld.h"
#include "tests/support/TempFolder.h"

namespace {

using Tarn::CFenIOStruct;

const std::string examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

// Loads a scene written into the examples' company (so Robot.xml and the
// networks are found beside it).
struct ExampleScene {
    TestSupport::TempFolder folder;
    ReadingWorld world;
    explicit ExampleScene(const std::string& inside, int side = 100)
    {
        for (const char* name : {"Robot.xml", "AvoidObstacles.xml", "DriveForward.xml"})
            folder.Write(name, ReadText(examples + name));
        const std::string size = std::to_string(side);
        CFenIOStruct io(folder.Write("Scene.xml", "<world width=\"" + size + "\" height=\"" + size + "\">\n" + inside
                                                      + "</world>\n"));
        world.Read(io);
        EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    }
    static std::string ReadText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    Fen::NeuralRobot& Robot(unsigned i) { return world.GetSceneRobot(i).GetPhysicalObject(); }
};

TEST(SwarmRun, RobotsSeeEachOtherByInfraredAndCamera)
{
    // Face to face, 12 apart between centres: 6 between the bodies.
    ExampleScene scene(R"(  <robot file="Robot.xml" x="40" y="50" angle="0"/>
  <robot file="Robot.xml" x="52" y="50" angle="180"/>
)");
    ASSERT_EQ(scene.world.GetSceneRobotCount(), 2u);
    scene.world.Step(0.01);
    for (unsigned who : {0u, 1u}) {
        const Fen::NeuralRobot& robot = scene.Robot(who);
        // ir2 and ir3 look ahead; ir0 and ir5 sideways see nothing in the empty arena's middle.
        EXPECT_GT(robot.irSensors[2]->finalValue, 0) << who;
        EXPECT_GT(robot.irSensors[3]->finalValue, 0) << who;
        EXPECT_EQ(robot.irSensors[0]->finalValue, 0) << who;
        const Fen::CircularCam& camera = *robot.cameras[0];
        const Fen::Color seen = camera.image[camera.image.size() / 2];
        EXPECT_EQ(seen, scene.Robot(1 - who).color) << who;
    }
    // Without a network neither moves.
    EXPECT_EQ(scene.Robot(0).pos, (Fen::Point{40, 50}));
    EXPECT_EQ(scene.Robot(1).pos, (Fen::Point{52, 50}));
}

TEST(SwarmRun, RobotsOnOnePointOrOnABodySeparateAndNeverLeaveTheWalls)
{
    // Ten driven robots on one point by a corner, two on a movable body.
    std::string inside = "  <object x=\"70\" y=\"70\" r=\"5\" mass=\"1\"/>\n";
    for (int i = 0; i < 10; ++i)
        inside += "  <robot file=\"Robot.xml\" x=\"4\" y=\"4\" angle=\"" + std::to_string(i * 36)
            + "\" network=\"AvoidObstacles.xml\"/>\n";
    inside += "  <robot file=\"Robot.xml\" x=\"70\" y=\"70\" network=\"DriveForward.xml\"/>\n";
    inside += "  <robot file=\"Robot.xml\" x=\"70\" y=\"71\" network=\"AvoidObstacles.xml\"/>\n";
    ExampleScene scene(inside);
    ASSERT_EQ(scene.world.GetSceneRobotCount(), 12u);
    const unsigned n = scene.world.GetSceneRobotCount();
    for (int frame = 0; frame < 1000; ++frame) {
        scene.world.Step(0.02);
        for (unsigned i = 0; i < n; ++i) {
            const Fen::Point p = scene.Robot(i).pos;
            ASSERT_TRUE(p.x >= 0 && p.y >= 0 && p.x <= 100 && p.y <= 100) << "robot " << i << " frame " << frame;
        }
    }
    // Apart by now: no two robots' bodies overlap by more than a contact's depth.
    for (unsigned i = 0; i < n; ++i)
        for (unsigned j = 0; j < i; ++j)
            EXPECT_GT((scene.Robot(i).pos - scene.Robot(j).pos).norm(), 5.0) << i << " " << j;
}

std::vector<std::uint64_t> RunSwarm(std::uint32_t noise)
{
    ReadingWorld world;
    CFenIOStruct io(examples + "Swarm.xml");
    world.Read(io);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    Fen::setRandomState(noise);
    for (int frame = 0; frame < 300; ++frame)
        world.Step(0.02);
    std::vector<std::uint64_t> bits;
    for (unsigned i = 0; i < world.GetSceneRobotCount(); ++i) {
        const Fen::NeuralRobot& robot = world.GetSceneRobot(i).GetPhysicalObject();
        for (const double x : {robot.pos.x, robot.pos.y, robot.angle})
            bits.push_back(std::bit_cast<std::uint64_t>(x));
    }
    return bits;
}

TEST(SwarmRun, TheSameFilesAndNoiseGiveTheSameRunToTheBit)
{
    const std::vector<std::uint64_t> first = RunSwarm(7);
    EXPECT_EQ(first.size(), 60u);
    EXPECT_EQ(RunSwarm(7), first);
    EXPECT_NE(RunSwarm(8), first) << "the wheels' noise reaches every robot";
}

} // namespace
