#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "engine/PhysicalObject.h"
#include "engine/World.h"
#include "io/CAnPolygoneReader.h"
#include "io/CFenIOStruct.h"
#include "OpenAtNode.h"
#include "io/CFenPhysicalObjectReader.h"
#include "io/ColorFromName.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "ReadingWorld.h"

namespace {

using Tarn::CFenIOStruct;
using Tarn::CFenWorld;

// Who reads the node: the world adapter (the path of a scene load) or one
// element reader called directly, for the faults a scene load cannot reach.
enum class Target { World, ObjectReader, PolygonReader };

struct FaultCase {
    std::string name;
    Target target;
    std::string xml;
    std::vector<std::size_t> path;  // from the root to the node handed over
    std::string expected;
};

std::string readSceneFault(const FaultCase& c)
{
    CFenIOStruct io = OpenAtNode(c.xml, c.path);
    ReadingWorld world;
    switch (c.target) {
    case Target::World:
        world.Read(io);
        break;
    case Target::ObjectReader: {
        Fen::PhysicalObject body;
        Tarn::CFenPhysicalObjectReader().Read(io, body);
        break;
    }
    case Target::PolygonReader: {
        Fen::Polygone polygon;
        Tarn::CAnPolygoneReader().Read(io, polygon);
        break;
    }
    }
    EXPECT_FALSE(io.IsOk());
    return io.GetErrorText();
}

// The lines every failed obstacle of a scene ends with.
const std::string objectLines =
    "Error in CFenPhysicalObjectIO: unable to read object\nError in CFenWorldIO: unable to read object\n";
const std::string surfaceLines = "Error in CFenPhysicalObjectReader: unable to read boundingSurface\n" + objectLines;

std::string sceneWith(const std::string& children) { return "<world width='50' height='40'>" + children + "</world>"; }

std::string worldLine(const char* description) { return std::string("Error in CFenWorldIO: ") + description + "\n"; }

std::string objectLine(const char* description)
{
    return std::string("Error in CFenPhysicalObjectReader: ") + description + "\n" + objectLines;
}

std::string polygonLine(const char* description)
{
    return std::string("Error in CAnPolygoneReader: ") + description + "\n" + surfaceLines;
}

std::string doubleObjectAttribute(const std::string& attribute, const std::string& value)
{
    return sceneWith("<object x='1' y='1' r='1' " + attribute + "='" + value + "' " + attribute + "='" + value + "'/>");
}

class SceneFault : public testing::TestWithParam<FaultCase> {};

TEST_P(SceneFault, ReportsEveryLineInnermostFirst)
{
    EXPECT_EQ(readSceneFault(GetParam()), GetParam().expected);
}

std::vector<FaultCase> sceneFaults()
{
    const std::string triangle = "<polygone m='3'>0 0 1 0 0 1</polygone>";
    std::vector<FaultCase> cases = {
        {"WorldGivenAComment", Target::World, "<world width='1' height='1'><!-- c --></world>", {0},
         worldLine("nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT")},
        {"WorldBadName", Target::World, "<scene width='10' height='10'/>", {}, worldLine("bad nodeName")},
        {"WorldNameCase", Target::World, "<World width='10' height='10'/>", {}, worldLine("bad nodeName")},
        {"WidthZero", Target::World, "<world width='0' height='10'/>", {}, worldLine("width <= 0.0")},
        {"WidthLetters", Target::World, "<world width='wide' height='10'/>", {}, worldLine("width <= 0.0")},
        {"WidthNan", Target::World, "<world width='nan' height='10'/>", {}, worldLine("width <= 0.0")},
        {"WidthHex", Target::World, "<world width='0x40' height='10'/>", {}, worldLine("width <= 0.0")},
        {"HeightNegative", Target::World, "<world width='10' height='-5'/>", {}, worldLine("height <= 0.0")},
        {"StartXZero", Target::World, "<world width='10' height='10' startX='0' startY='5'/>", {},
         worldLine("startX <= 0.0")},
        {"StartYLetters", Target::World, "<world width='10' height='10' startX='5' startY='y'/>", {},
         worldLine("startY <= 0.0")},
        {"DoubleWidth", Target::World, "<world width='10' width='10' height='10'/>", {},
         worldLine("double definition of width")},
        {"DoubleHeight", Target::World, "<world height='1' width='10' height='10'/>", {},
         worldLine("double definition of height")},
        {"DoubleStartX", Target::World, "<world startX='1' startX='1' width='10' height='10'/>", {},
         worldLine("double definition of startX")},
        {"DoubleStartY", Target::World, "<world startY='1' startY='1' width='10' height='10'/>", {},
         worldLine("double definition of startY")},
        {"DoubleStartAngle", Target::World, "<world startAngle='1' startAngle='x' width='10' height='10'/>", {},
         worldLine("double definition of startAngle")},
        {"FirstFaultWins", Target::World, "<world width='0' width='10' height='10'/>", {},
         worldLine("width <= 0.0")},
        {"NoHeight", Target::World, "<world width='10' startX='1' startY='1'/>", {},
         worldLine("incomplete definition of world")},
        {"CommentAmongObjects", Target::World, sceneWith("<object x='1' y='1' r='1'/><!-- c -->"), {},
         worldLine("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT")},
        {"TextInWorld", Target::World, sceneWith("stray"), {},
         worldLine("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT")},
        {"InstructionInWorld", Target::World, sceneWith("<?app x?>"), {},
         worldLine("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT")},

        {"ObjectGivenText", Target::ObjectReader, "<object x='1' y='1' r='1'>text</object>", {0},
         "Error in CFenPhysicalObjectReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT\n"},
        {"ObjectBadName", Target::ObjectReader, "<obstacle x='1' y='1' r='1'/>", {},
         "Error in CFenPhysicalObjectReader: bad nodeName\n"},
        {"XZero", Target::World, sceneWith("<object x='0' y='1' r='1'/>"), {}, objectLine("x <= 0.0")},
        {"YNegative", Target::World, sceneWith("<object x='1' y='-1' r='1'/>"), {}, objectLine("y <= 0.0")},
        {"RLetters", Target::World, sceneWith("<object x='1' y='1' r='big'/>"), {}, objectLine("r <= 0.0")},
        {"RInfinite", Target::World, sceneWith("<object x='1' y='1' r='-inf'/>"), {}, objectLine("r <= 0.0")},
        {"HeightZero", Target::World, sceneWith("<object x='1' y='1' r='1' height='0.0'/>"), {},
         objectLine("height <= 0.0")},
        {"NoX", Target::World, sceneWith("<object y='1' r='1'/>"), {}, objectLine("incomplete definition of object")},
        {"NoY", Target::World, sceneWith("<object x='1' r='1'/>"), {}, objectLine("incomplete definition of object")},
        {"NoPolygon", Target::World, sceneWith("<object x='1' y='1'/>"), {}, surfaceLines},
        {"CommentBeforePolygon", Target::World, sceneWith("<object x='1' y='1'><!-- c -->" + triangle + "</object>"),
         {}, surfaceLines},
        {"TextBesidePolygon", Target::World, sceneWith("<object x='1' y='1'>" + triangle + "t</object>"), {},
         surfaceLines},
        {"TwoPolygons", Target::World, sceneWith("<object x='1' y='1'>" + triangle + triangle + "</object>"), {},
         surfaceLines},
        {"SecondObjectFails", Target::World, sceneWith("<object x='1' y='1' r='1'/><object x='1' y='1'/>"), {},
         surfaceLines},

        {"PolygonGivenText", Target::PolygonReader, "<polygone m='1'>0 0</polygone>", {0},
         "Error in CAnPolygoneReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT\n"},
        {"PolygonBadName", Target::PolygonReader, "<polygon m='1'>0 0</polygon>", {},
         "Error in CAnPolygoneReader: bad nodeName\n"},
        {"MZero", Target::World, sceneWith("<object x='1' y='1'><polygone m='0'></polygone></object>"), {},
         polygonLine("m <= 0.0")},
        {"MLetters", Target::World, sceneWith("<object x='1' y='1'><polygone m='three'>0 0</polygone></object>"), {},
         polygonLine("m <= 0.0")},
        {"DoubleM", Target::World, sceneWith("<object x='1' y='1'><polygone m='1' m='1'>0 0</polygone></object>"),
         {}, polygonLine("double definition of m")},
        {"CommentInPolygon", Target::World,
         sceneWith("<object x='1' y='1'><polygone m='1'>0 0<!-- c --></polygone></object>"), {},
         polygonLine("subnodePtr->GetnodeType() != MSXML2::NODE_TEXT")},
        {"ElementInPolygon", Target::World,
         sceneWith("<object x='1' y='1'><polygone m='1'><v>0 0</v></polygone></object>"), {},
         polygonLine("subnodePtr->GetnodeType() != MSXML2::NODE_TEXT")},
        {"TwoTexts", Target::World,
         sceneWith("<object x='1' y='1'><polygone m='2'>0 0 <![CDATA[1 1]]></polygone></object>"), {},
         polygonLine("double definition of text")},
        {"NoM", Target::World, sceneWith("<object x='1' y='1'><polygone>0 0</polygone></object>"), {},
         polygonLine("incomplete definition of polygone")},
        {"NoText", Target::World, sceneWith("<object x='1' y='1'><polygone m='1'>  \n </polygone></object>"), {},
         polygonLine("incomplete definition of polygone")},
        {"FiveNumbersForThree", Target::World,
         sceneWith("<object x='1' y='1'><polygone m='3'>0 0 1 0 0</polygone></object>"), {},
         polygonLine("unable to parse the text")},
        {"SevenNumbersForThree", Target::World,
         sceneWith("<object x='1' y='1'><polygone m='3'>0 0 1 0 0 1 7</polygone></object>"), {},
         polygonLine("unable to parse the text")},
        {"CommaSeparated", Target::World,
         sceneWith("<object x='1' y='1'><polygone m='1'>0,0</polygone></object>"), {},
         polygonLine("unable to parse the text")},
        {"NanVertex", Target::World, sceneWith("<object x='1' y='1'><polygone m='1'>nan 0</polygone></object>"), {},
         polygonLine("unable to parse the text")},
        {"HugeMFewNumbers", Target::World,
         sceneWith("<object x='1' y='1'><polygone m='2147483647'>0 0</polygone></object>"), {},
         polygonLine("unable to parse the text")},

        // Shapes the contact code cannot work with, and bodies the walls cannot hold.
        {"ClockwiseTriangle", Target::World,
         sceneWith("<object x='10' y='12.5'><polygone m='3'>0 0 0 1 1 0</polygone></object>"), {},
         objectLine("polygone of the object at (10, 12.5) is not convex and counter-clockwise")},
        {"ConcaveArrow", Target::World,
         sceneWith("<object x='1' y='1' r='1'/><object x='20' y='20'>"
                   "<polygone m='4'>0 0 4 -3 1 0 4 3</polygone></object>"), {},
         objectLine("polygone of the object at (20, 20) is not convex and counter-clockwise")},
        {"SegmentPolygon", Target::World,
         sceneWith("<object x='5' y='5'><polygone m='2'>0 0 1 1</polygone></object>"), {},
         objectLine("polygone of the object at (5, 5) is not convex and counter-clockwise")},
        {"DiscWiderThanTheArenaIsHigh", Target::World,
         "<world width='100' height='50' startX='12' startY='12'>"
         "<object x='45' y='45' r='35' mass='4'/><object x='60' y='45' r='6'/></world>", {},
         worldLine("object at (45, 45) does not fit in the arena")},
        {"FixedBarLongerThanTheArena", Target::World,
         sceneWith("<object x='25' y='20'><polygone m='4'>-26 -1 26 -1 26 1 -26 1</polygone></object>"), {},
         worldLine("object at (25, 20) does not fit in the arena")},
        {"MovableBarThatCouldTurnOutOfTheArena", Target::World,
         sceneWith("<object x='25' y='20' mass='1'><polygone m='4'>-21 -1 21 -1 21 1 -21 1</polygone></object>"),
         {}, worldLine("object at (25, 20) does not fit in the arena")},
    };
    // Every attribute of an obstacle, given twice.
    for (const char* attribute : {"x", "y", "r", "height", "color", "angle", "mass", "staticFrictionThreshold",
                                  "viscousFrictionTau", "viscousMomentFrictionTau",
                                  "collisionAngularFrictionFactor"}) {
        cases.push_back({std::string("DoubleObject_") + attribute, Target::World,
                         doubleObjectAttribute(attribute, "2"), {},
                         objectLine(("double definition of " + std::string(attribute)).c_str())});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(SceneFile, SceneFault, testing::ValuesIn(sceneFaults()),
                         [](const testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

// The world after a failed read: empty, 100 by 100, no start point.
void expectEmptyDefaultWorld(CFenWorld& world)
{
    EXPECT_EQ(world.GetObjectCount(), 0u);
    EXPECT_EQ(world.GetRobotCount(), 0u);
    EXPECT_EQ(world.GetStartPointCount(), 0u);
    EXPECT_TRUE(world.GetFenWorld().objects.empty());
    EXPECT_EQ(world.GetFenWorld().width, 100);
    EXPECT_EQ(world.GetFenWorld().height, 100);
}

CFenIOStruct readScene(CFenWorld& world, const std::string& xml)
{
    CFenIOStruct io = CFenIOStruct::FromText(xml);
    world.Read(io);
    return io;
}

TEST(SceneFile, FailedReadLeavesEmptyDefaultWorld)
{
    ReadingWorld world;
    for (const char* xml : {"<world width='30' height='20' startX='1' startY='1'><object x='1' y='1' r='1'/>"
                            "<object x='2' y='2'/></world>",
                            "<world width='30' height='20' startX='1' startY='1'><object x='1' y='1' r='1'/>"
                            "<!-- c --></world>",
                            "<world width='30'/>", "<scene/>"}) {
        const CFenIOStruct io = readScene(world, xml);
        EXPECT_FALSE(io.IsOk()) << xml;
        expectEmptyDefaultWorld(world);
    }
}

TEST(SceneFile, ReadingDeletesTheRobot)
{
    ReadingWorld world;
    Tarn::CFenNeuralRobot::Create(world);
    const CFenIOStruct io = readScene(world, "<world width='30' height='20'/>");
    EXPECT_TRUE(io.IsOk());
    EXPECT_EQ(world.GetRobotCount(), 0u);
    EXPECT_TRUE(world.GetFenWorld().objects.empty());
}

TEST(SceneFile, IndentedFileWithDeclarationLoadsObjectsInOrder)
{
    ReadingWorld world;
    const CFenIOStruct io = readScene(world, R"(<?xml version="1.0" encoding="UTF-8"?>
<world width="200" height="150" startX="20" startY="30" startAngle="45" author="me">
    <object x="10" y="20" r="3" color="Red"/>
    <note>ignored</note>
    <object x="50" y="60" angle="90" color="#00ff80" mass="2.5" height="4">
        <label/>
        <polygone m="4">
            -1 -1   1 -1
             1  1  -1  1
        </polygone>
    </object>
</world>
)");
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(world.GetFenWorld().width, 200);
    EXPECT_EQ(world.GetFenWorld().height, 150);
    ASSERT_EQ(world.GetStartPointCount(), 1u);
    EXPECT_EQ(world.GetStartPoint(0), (Fen::Point{20, 30}));
    ASSERT_EQ(world.GetObjectCount(), 2u);
    ASSERT_EQ(world.GetFenWorld().objects.size(), 2u);
    EXPECT_EQ(world.GetFenWorld().objects[0], &world.GetObject(0).GetPhysicalObject());
    EXPECT_EQ(world.GetFenWorld().objects[1], &world.GetObject(1).GetPhysicalObject());

    const Fen::PhysicalObject& polygon = world.GetObject(1).GetPhysicalObject();
    EXPECT_TRUE(polygon.hasBoundingSurface);
    EXPECT_EQ(polygon.boundingSurface, (Fen::Polygone{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}));
    EXPECT_DOUBLE_EQ(polygon.r, std::sqrt(2.0));
    EXPECT_EQ(polygon.angle, 90 * 3.141592653589793 / 180);
    EXPECT_EQ(polygon.mass, 2.5);
    EXPECT_EQ(polygon.height, 4);
    const Fen::Color green{0, 255 / 255.0, 128 / 255.0, 1};
    EXPECT_EQ(polygon.color, green);
    ASSERT_EQ(polygon.textures.size(), 4u);
    EXPECT_EQ(polygon.textures[3], (Fen::Texture{green}));
    // initInteractions ran: the world polygon is known before the first step.
    EXPECT_EQ(polygon.absBoundingSurface.size(), 4u);
}

TEST(SceneFile, DiscTakesDefaultsAndIgnoresItsChildren)
{
    ReadingWorld world;
    const CFenIOStruct io = readScene(world, sceneWith("<object x='5' y='6' r='2' unknown='1'>"
                                                   "<polygone m='9'>broken</polygone><!-- c --></object>"));
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    ASSERT_EQ(world.GetObjectCount(), 1u);
    const Fen::PhysicalObject& disc = world.GetObject(0).GetPhysicalObject();
    EXPECT_FALSE(disc.hasBoundingSurface);
    EXPECT_EQ(disc.pos, (Fen::Point{5, 6}));
    EXPECT_EQ(disc.r, 2);
    EXPECT_EQ(disc.height, 10);
    EXPECT_EQ(disc.color, (Fen::Color{0, 0, 0, 1}));
    EXPECT_EQ(disc.angle, 0);
    EXPECT_EQ(disc.mass, -1);
    EXPECT_EQ(disc.staticFrictionThreshold, 0.1);
    EXPECT_EQ(disc.viscousFrictionTau, 0.1);
    EXPECT_EQ(disc.viscousMomentFrictionTau, 0);
    EXPECT_EQ(disc.collisionAngularFrictionFactor, 0.01);
    EXPECT_EQ(world.GetStartPointCount(), 0u);
}

TEST(SceneFile, AttributeValuesConvertAsDecimalPrefixes)
{
    ReadingWorld world;
    const CFenIOStruct io = readScene(
        world, sceneWith("<object x=' 3.5e1' y='7;3' r='2' height='1e3x' mass='heavy' angle='540' viscousFrictionTau=''"
                     " staticFrictionThreshold='nan' viscousMomentFrictionTau='-inf'"
                     " collisionAngularFrictionFactor='0x10'/>"));
    ASSERT_TRUE(io.IsOk()) << io.GetErrorText();
    const Fen::PhysicalObject& disc = world.GetObject(0).GetPhysicalObject();
    EXPECT_EQ(disc.pos, (Fen::Point{35, 7}));
    EXPECT_EQ(disc.height, 1000);
    EXPECT_EQ(disc.mass, 0);
    EXPECT_EQ(disc.angle, 540 * 3.141592653589793 / 180);
    EXPECT_EQ(disc.viscousFrictionTau, 0);
    EXPECT_EQ(disc.staticFrictionThreshold, 0);
    EXPECT_EQ(disc.viscousMomentFrictionTau, 0);
    EXPECT_EQ(disc.collisionAngularFrictionFactor, 0);
}

TEST(SceneFile, StartPositionOnlyInsideTheArenaAndWithBothCoordinates)
{
    struct Case {
        const char* attributes;
        unsigned expectedCount;
    };
    for (const Case& c : {Case{"startX='50' startY='5'", 0}, Case{"startX='5' startY='40'", 0},
                          Case{"startX='5'", 0}, Case{"startY='5'", 0}, Case{"startX='49.5' startY='39.5'", 1}}) {
        ReadingWorld world;
        const CFenIOStruct io = readScene(world, std::string("<world width='50' height='40' ") + c.attributes + "/>");
        EXPECT_TRUE(io.IsOk()) << c.attributes;
        EXPECT_EQ(world.GetStartPointCount(), c.expectedCount) << c.attributes;
    }
}

TEST(SceneFile, BodiesThatOverlapOrReachPastAWallLoadWhereTheyAreWritten)
{
    // Squares turned by 30 degrees side by side, the second one's position
    // rounded to four decimals (4 cos 30 = 3.4641016...); a disc resting on a
    // fixed square; two fixed bars crossing; a movable disc deep in a fixed
    // one and two movable squares overlapping, which the contacts separate;
    // a disc and a triangle across the walls, which the walls take in.
    const std::string square = "<polygone m='4'>-2 -2 2 -2 2 2 -2 2</polygone>";
    const std::string xml = sceneWith(
        "<object x='10' y='10' angle='30' mass='1'>" + square + "</object>"
        "<object x='13.4641' y='12' angle='30' mass='1'>" + square + "</object>"
        "<object x='30' y='10'>" + square + "</object><object x='30' y='13' r='1' mass='1'/>"
        "<object x='20' y='30'><polygone m='4'>-8 -1 8 -1 8 1 -8 1</polygone></object>"
        "<object x='20' y='30'><polygone m='4'>-1 -8 1 -8 1 8 -1 8</polygone></object>"
        "<object x='20' y='20' r='3'/><object x='24' y='20' r='2' mass='1'/>"
        "<object x='10' y='30' angle='45' mass='1'>" + square + "</object>"
        "<object x='14.5' y='30' angle='45' mass='1'>" + square + "</object>"
        "<object x='48' y='20' r='3'/>"
        "<object x='10' y='39.5' mass='1'><polygone m='3'>0 0 1 0 0 1</polygone></object>");
    ReadingWorld world;
    const CFenIOStruct io = readScene(world, xml);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    ASSERT_EQ(world.GetObjectCount(), 12u);
    const auto& bodies = world.GetFenWorld().objects;
    EXPECT_EQ(bodies[7]->pos, (Fen::Point{24, 20}));
    EXPECT_EQ(bodies[10]->pos, (Fen::Point{48, 20}));
    EXPECT_EQ(bodies[11]->pos, (Fen::Point{10, 39.5}));
}

TEST(SceneFile, FailedPolygonLeavesTheTargetAsItWas)
{
    const Fen::Polygone before{{1, 2}, {3, 4}};
    for (const char* xml : {"<polygone m='3'>0 0 1 0 0</polygone>", "<polygone m='2'>0 0 <!-- --> 1 1</polygone>",
                            "<polygone m='0'>0 0</polygone>"}) {
        CFenIOStruct io = CFenIOStruct::FromText(xml);
        Fen::Polygone polygon = before;
        Tarn::CAnPolygoneReader().Read(io, polygon);
        EXPECT_FALSE(io.IsOk()) << xml;
        EXPECT_EQ(polygon, before) << xml;
    }
}

TEST(SceneFile, PolygonFromCDataSection)
{
    CFenIOStruct io = CFenIOStruct::FromText("<polygone m='3'><![CDATA[0 0 1 0 0 1]]></polygone>");
    Fen::Polygone polygon;
    Tarn::CAnPolygoneReader().Read(io, polygon);
    EXPECT_TRUE(io.IsOk()) << io.GetErrorText();
    EXPECT_EQ(polygon, (Fen::Polygone{{0, 0}, {1, 0}, {0, 1}}));
}

TEST(SceneFile, SubReaderLeavesItsNodeCurrent)
{
    ReadingWorld world;
    CFenIOStruct io = CFenIOStruct::FromText(sceneWith("<object x='1' y='1' r='1'/><object x='2' y='2' r='1'/>"));
    world.Read(io);
    ASSERT_TRUE(io.IsOk());
    EXPECT_EQ(io.GetNode().GetNodeName(), "object");
    EXPECT_EQ(io.GetNode().GetAttributes().NextNode().GetText(), "2");
}

struct ColorCase {
    const char* text;
    Fen::Color expected;
};

class ColorName : public testing::TestWithParam<ColorCase> {};

TEST_P(ColorName, GivesItsColour)
{
    EXPECT_EQ(Tarn::ColorFromName(GetParam().text), GetParam().expected) << GetParam().text;
}

constexpr Fen::Color rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1}; }

INSTANTIATE_TEST_SUITE_P(
    ColorFromName, ColorName,
    testing::Values(ColorCase{"red", rgb(255, 0, 0)}, ColorCase{"Red", rgb(255, 0, 0)},
                    ColorCase{"RED", rgb(255, 0, 0)}, ColorCase{"aqua", rgb(0, 255, 255)},
                    ColorCase{"cyan", rgb(0, 255, 255)}, ColorCase{"grey", rgb(128, 128, 128)},
                    ColorCase{"DarkGray", rgb(169, 169, 169)}, ColorCase{"lightgrey", rgb(211, 211, 211)},
                    ColorCase{"green", rgb(0, 128, 0)}, ColorCase{"lime", rgb(0, 255, 0)},
                    ColorCase{"brown", rgb(165, 42, 42)}, ColorCase{"yellowgreen", rgb(154, 205, 50)},
                    ColorCase{"darkolivegreen", rgb(85, 107, 47)}, ColorCase{"#A0b1C2", rgb(160, 177, 194)},
                    ColorCase{"#ffffff", rgb(255, 255, 255)}, ColorCase{"#fffff", rgb(0, 0, 0)},
                    ColorCase{"#fffffg", rgb(0, 0, 0)}, ColorCase{" red", rgb(0, 0, 0)},
                    ColorCase{"purple ", rgb(0, 0, 0)}, ColorCase{"rebeccapurple", rgb(0, 0, 0)},
                    ColorCase{"", rgb(0, 0, 0)}, ColorCase{"#", rgb(0, 0, 0)}));

} // namespace
