#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "io/CFenIOStruct.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "ReadingWorld.h"

namespace {

std::string example(const char* name) { return std::string(KORVALE_SOURCE_DIR) + "/examples/" + name; }

TEST(ExampleFiles, ScenesLoadWithoutMessage)
{
    for (const char* name : {"Default.xml", "Crowded.xml", "OpenArena.xml", "Rooms.xml"}) {
        ReadingWorld world;
        Tarn::CFenIOStruct io(example(name));
        world.Read(io);
        EXPECT_EQ(io.GetErrorText(), "") << name;
        EXPECT_GT(world.GetFenWorld().width, 0) << name;
    }
}

TEST(ExampleFiles, CrowdedScenesLoadWithTheirBodyCounts)
{
    for (const auto& [name, bodies] : {std::pair{"Crowded1000.xml", 1000u}, std::pair{"Crowded10000.xml", 10000u}}) {
        ReadingWorld world;
        Tarn::CFenIOStruct io(example(name));
        world.Read(io);
        EXPECT_EQ(io.GetErrorText(), "") << name;
        EXPECT_EQ(world.GetObjectCount(), bodies) << name;
    }
}

TEST(ExampleFiles, RobotLoadsWithoutMessage)
{
    ReadingWorld world;
    Tarn::CFenNeuralRobot& robot = Tarn::CFenNeuralRobot::Create(world);
    Tarn::CFenIOStruct io(example("Robot.xml"));
    robot.Read(io);
    EXPECT_EQ(io.GetErrorText(), "");
    EXPECT_FALSE(robot.GetPhysicalObject().irSensors.empty());
}

} // namespace
