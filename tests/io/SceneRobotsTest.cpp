// Robots in scene files: the "robot" and "robots" elements, their places,
// their networks and every fault they can give.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <tuple>
#include <string>
#include <vector>

#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "engine/World.h"
#include "io/CFenIOStruct.h"
#include "io/ModelFileFault.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "ReadingWorld.h"
#include "tests/support/TempFolder.h"

namespace {

using Tarn::CFenIOStruct;

const std::string examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

// A small robot of radius 3 with two infrared sensors.
const std::string smallRobot = R"(<neuralrobot wheelDistance="5" robotSpeed="8">
  <object x="50" y="50" r="3" height="4" color="red" mass="1"/>
  <sensors>
    <irsensor x="2.9" y="0.5" height="2" orientation="10" range="10"/>
    <irsensor x="2.9" y="-0.5" height="2" orientation="-10" range="10"/>
  </sensors>
</neuralrobot>
)";

// Drives forward whatever it reads; two inputs.
const std::string forwardNetwork = R"(<network inputDimensions="2" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer from="0" to="1"><matrix m="4" n="2">0 0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>
</network>
)";

std::string ZeroMatrix(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += i == 0 ? "0" : " 0";
    return text;
}

// A folder with the robot and network files beside the scene.
struct SceneFolder {
    TestSupport::TempFolder folder;
    SceneFolder()
    {
        std::filesystem::create_directory(folder.File("robots"));
        folder.Write("robots/Small.xml", smallRobot);
        folder.Write("Forward.xml", forwardNetwork);
    }
    // Reads the scene into the world; its faults in `faults`, the last line's words in `words`.
    bool Load(ReadingWorld& world, const std::string& scene, std::string* words = nullptr)
    {
        CFenIOStruct io(folder.Write("Scene.xml", scene));
        world.Read(io);
        if (words != nullptr)
            *words = io.IsOk() ? "" : Tarn::ModelFaultWords(io, Tarn::ModelFileKind::Scene);
        return io.IsOk();
    }
};

std::string World(const std::string& inside, const std::string& size = R"(width="100" height="100")")
{
    return "<world " + size + ">\n" + inside + "</world>\n";
}

TEST(SceneRobots, PlacedRobotsStandApartFromTheUsersRobotAndFromEachOther)
{
    SceneFolder files;
    ReadingWorld world;
    const std::string scene = World(
        R"(  <robot file="robots/Small.xml" x="20" y="30" angle="90" network="Forward.xml"/>
  <robots file="robots/Small.xml" count="40" seed="7"/>
  <object x="50" y="50" r="20"/>
  <object x="80" y="20" angle="30"><polygone m="4">-8 -8 8 -8 8 8 -8 8</polygone></object>
)");
    ASSERT_TRUE(files.Load(world, scene));
    EXPECT_EQ(world.GetRobotCount(), 0u) << "scene robots are not the user's robot";
    ASSERT_EQ(world.GetSceneRobotCount(), 41u);
    const Fen::NeuralRobot& first = world.GetSceneRobot(0).GetPhysicalObject();
    EXPECT_EQ(first.pos, (Fen::Point{20, 30}));
    EXPECT_DOUBLE_EQ(first.angle, 3.141592653589793 / 2);
    ASSERT_NE(world.GetSceneRobotControl(0), nullptr);
    EXPECT_EQ(first.remoteControl, world.GetSceneRobotControl(0));
    EXPECT_EQ(world.GetSceneRobotControl(1), nullptr) << "a robot without network stands still";

    // Bodies first, in file order, then the group: 2 objects and 41 robots.
    const Fen::World& fen = world.GetFenWorld();
    ASSERT_EQ(fen.objects.size(), 43u);
    EXPECT_EQ(fen.objects[0], &first);
    EXPECT_EQ(fen.objects[3], &world.GetSceneRobot(1).GetPhysicalObject());

    // Inside the walls, off the disc and the square (placed after the group in
    // the file), and off each other.
    for (unsigned i = 1; i < world.GetSceneRobotCount(); ++i) {
        const Fen::Point p = world.GetSceneRobot(i).GetPhysicalObject().pos;
        EXPECT_TRUE(p.x >= 3 && p.y >= 3 && p.x <= 97 && p.y <= 97) << i;
        EXPECT_GE((p - Fen::Point{50, 50}).norm(), 23) << i;
        EXPECT_FALSE(p.x > 80 - 11.3 - 3 + 0.5 && p.x < 80 + 11.3 + 3 - 0.5 && std::abs(p.y - 20) < 3)
            << "a robot inside the square's reach along its axis: " << i;
        for (unsigned j = 0; j < i; ++j)
            EXPECT_GE((p - world.GetSceneRobot(j).GetPhysicalObject().pos).norm(), 6) << i << " " << j;
    }
}

TEST(SceneRobots, PlacesComeFromTheSeedAloneAndLeaveTheEnginesNoiseAlone)
{
    SceneFolder files;
    const auto places = [&](const std::string& seed) {
        ReadingWorld world;
        Fen::setRandomState(12345);
        EXPECT_TRUE(files.Load(world, World(R"(  <robots file="robots/Small.xml" count="10" seed=")" + seed + "\"/>\n")));
        EXPECT_EQ(Fen::randomState(), 12345u) << "placing robots draws no engine noise";
        std::vector<double> numbers;
        for (unsigned i = 0; i < world.GetSceneRobotCount(); ++i) {
            const Fen::NeuralRobot& robot = world.GetSceneRobot(i).GetPhysicalObject();
            numbers.insert(numbers.end(), {robot.pos.x, robot.pos.y, robot.angle});
        }
        return numbers;
    };
    EXPECT_EQ(places("3"), places("3"));
    EXPECT_NE(places("3"), places("4"));
    EXPECT_EQ(places("18446744073709551615").size(), 30u);
}

// The words of the scene's last line for each bad robot element.
TEST(SceneRobots, EveryFaultIsOneLineNamingTheElementsLine)
{
    SceneFolder files;
    files.folder.Write("Heavy.xml", std::string(smallRobot).replace(smallRobot.find("mass=\"1\""), 8, "mass=\"1e12\""));
    files.folder.Write("Big.xml", std::string(smallRobot).replace(smallRobot.find("r=\"3\""), 5, "r=\"60\""));
    // Seven inputs: it cannot drive a robot with two sensors.
    const std::string seven = R"(<network inputDimensions="7" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer from="0" to="1"><matrix m="4" n="7">)" + ZeroMatrix(28) + R"(</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>
</network>
)";
    files.folder.Write("Seven.xml", seven);
    struct Case {
        std::string element;
        std::string words;
    };
    const std::vector<Case> cases{
        {R"(<robot file="Nope.xml" x="5" y="5"/>)",
         "robot file 'Nope.xml' of the robot element at line 3: no such file"},
        {R"(<robot file="Heavy.xml" x="5" y="5"/>)",
         "robot file 'Heavy.xml' of the robot element at line 3: mass out of range"},
        {R"(<robots file="Big.xml" count="2"/>)",
         "robot file 'Big.xml' of the robots element at line 3: the robot does not fit in the arena"},
        {R"(<robot file="robots/Small.xml" x="5" y="5" network="Seven.xml"/>)",
         "network file 'Seven.xml' of the robot element at line 3: takes 7 inputs, but the robot has 2 infrared sensors"},
        {R"(<robots file="robots/Small.xml" count="3" network="Forward.xml/"/>)",
         "network file 'Forward.xml/' of the robots element at line 3: a part of its path is not a folder"},
        {R"(<robot x="5" y="5"/>)", "robot element at line 3: the robot file is not named (file=\"...\")"},
        {R"(<robot file="robots/Small.xml" x="5"/>)",
         "robot element at line 3: the robot's place is not given (x=\"...\" y=\"...\")"},
        {R"(<robot file="robots/Small.xml" x="-5" y="5"/>)", "robot element at line 3: x must be a number greater than 0"},
        {R"(<robot file="robots/Small.xml" x="5" y="5" angle="1e10"/>)", "robot element at line 3: angle out of range"},
        {R"(<robots file="robots/Small.xml" count="0"/>)",
         "robots element at line 3: count must be a whole number from 1 to 100,000"},
        {R"(<robots file="robots/Small.xml" count="-4"/>)",
         "robots element at line 3: count must be a whole number from 1 to 100,000"},
        {R"(<robots file="robots/Small.xml" count="100001"/>)",
         "robots element at line 3: count must be a whole number from 1 to 100,000"},
        {R"(<robots file="robots/Small.xml" count="1e3"/>)",
         "robots element at line 3: count must be a whole number from 1 to 100,000"},
        {R"(<robots file="robots/Small.xml" count="5" seed="-1"/>)",
         "robots element at line 3: seed must be a whole number from 0 to 18446744073709551615"},
        {R"(<robots file="robots/Small.xml" count="60000"/><robots file="robots/Small.xml" count="40001"/>)",
         "more than 100,000 robots in the scene"},
        {R"(<robots file="robots/Small.xml" count="2" count="3"/>)", "count is given twice"},
    };
    for (const Case& c : cases) {
        ReadingWorld world;
        std::string words;
        // The element stands on the third line of the file.
        EXPECT_FALSE(files.Load(world, "<world width=\"100\" height=\"100\">\n\n  " + c.element + "\n</world>\n", &words))
            << c.element;
        EXPECT_EQ(words, c.words) << c.element;
        EXPECT_EQ(world.GetSceneRobotCount(), 0u) << "a failed scene keeps no robot: " << c.element;
        EXPECT_EQ(world.GetFenWorld().objects.size(), 0u) << c.element;
    }
}

TEST(SceneRobots, APlacementThatCannotBeMadeSaysHowManyFitted)
{
    SceneFolder files;
    ReadingWorld world;
    std::string words;
    ASSERT_FALSE(files.Load(world, World(R"(  <robots file="robots/Small.xml" count="100" seed="2"/>)" "\n",
                                         R"(width="30" height="30")"),
                            &words));
    std::smatch match;
    ASSERT_TRUE(std::regex_match(words, match, std::regex("room for ([0-9]+) of 100 robots"))) << words;
    const int fitted = std::stoi(match[1]);
    // Discs of diameter 6 in a 24 x 24 square of centres: at least a loose
    // packing fits, never more than the area allows.
    EXPECT_GE(fitted, 9);
    EXPECT_LE(fitted, 30);
    EXPECT_EQ(world.GetSceneRobotCount(), 0u);

    // As many as fitted do fit, from the same seed.
    ReadingWorld again;
    EXPECT_TRUE(files.Load(again, World("  <robots file=\"robots/Small.xml\" count=\"" + std::to_string(fitted)
                                            + "\" seed=\"2\"/>\n",
                                        R"(width="30" height="30")")));
}

TEST(SceneRobots, LinesOfADocumentHeldInMemoryAndOfAFile)
{
    const std::string text = "<world width=\"10\" height=\"10\">\n<object x=\"1\" y=\"1\" r=\"1\"/>\n\n<robot/>\n</world>";
    CFenIOStruct io = CFenIOStruct::FromText(text);
    const Tarn::CXmlNodeList children = io.GetNode().GetChildNodes();
    ASSERT_EQ(children.GetLength(), 2u);
    EXPECT_EQ(io.GetNode().GetLine(), 1u);
    EXPECT_EQ(children.GetItem(0).GetLine(), 2u);
    EXPECT_EQ(children.GetItem(1).GetLine(), 4u);
    TestSupport::TempFile file(text);
    CFenIOStruct fromFile(file.Name());
    EXPECT_EQ(fromFile.GetNode().GetChildNodes().GetItem(1).GetLine(), 4u);
}

TEST(SceneRobots, TheSwarmExamplesLoad)
{
    for (const auto& [name, robots, bodies] :
         {std::tuple{"Swarm.xml", 20u, 16u}, std::tuple{"Swarm1000.xml", 1000u, 784u}}) {
        ReadingWorld world;
        CFenIOStruct io(examples + name);
        world.Read(io);
        ASSERT_TRUE(io.IsOk()) << name << ": " << io.GetErrorText();
        EXPECT_EQ(world.GetSceneRobotCount(), robots) << name;
        EXPECT_EQ(world.GetObjectCount(), bodies) << name;
        for (unsigned i = 0; i < robots; ++i) {
            const Tarn::CNeuralNetworkRemoteControl* control = world.GetSceneRobotControl(i);
            ASSERT_NE(control, nullptr) << name << " robot " << i;
            EXPECT_EQ(control->network.inputDimensions, 8) << name;
        }
    }
}

} // namespace
