#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/RemoteControl.h"
#include "io/CFenCircularCamReader.h"
#include "io/CFenIOStruct.h"
#include "OpenAtNode.h"
#include "io/CFenIRSensorReader.h"
#include "io/CFenNeuralRobotIO.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenWorld.h"
#include "ReadingWorld.h"

namespace {

using Tarn::CFenIOStruct;
using Tarn::CFenNeuralRobot;
using Tarn::CFenWorld;

constexpr double degree = 3.141592653589793 / 180;

// Who reads the node: the robot adapter (the path of a robot load) or one
// reader called directly, for the faults a robot load cannot reach.
enum class Target { Robot, Sensors, IRSensor, Camera };

struct FaultCase {
    std::string name;
    Target target;
    std::string xml;
    std::vector<std::size_t> path;  // from the root to the node handed over
    std::string expected;
};

std::string readRobotFault(const FaultCase& c)
{
    CFenIOStruct io = OpenAtNode(c.xml, c.path);
    ReadingWorld world;
    CFenNeuralRobot& robot = CFenNeuralRobot::Create(world);
    switch (c.target) {
    case Target::Robot:
        robot.Read(io);
        break;
    case Target::Sensors:
        Tarn::CFenNeuralRobotIO(&robot).ReadSensors(io);
        break;
    case Target::IRSensor: {
        Fen::SensorResponseFunctor* const response[] = {&Fen::NeuralRobotIRSensorModel::instance()};
        Fen::IRSensor sensor(1, response);
        Tarn::CFenIRSensorReader().Read(io, sensor);
        break;
    }
    case Target::Camera: {
        Fen::CircularCam camera;
        Tarn::CFenCircularCamReader().Read(io, camera);
        break;
    }
    }
    EXPECT_FALSE(io.IsOk());
    if (c.target == Target::Robot) {
        // Every failed read leaves a cleared robot.
        const Fen::NeuralRobot& body = robot.GetPhysicalObject();
        EXPECT_TRUE(body.irSensors.empty());
        EXPECT_TRUE(body.cameras.empty());
        EXPECT_TRUE(body.localInteractions.empty());
        EXPECT_EQ(body.robotSpeed, 1.0);
        EXPECT_EQ(body.wheelDistance, 1.0);
    }
    return io.GetErrorText();
}

const std::string body = "<object x='10' y='10' r='1'/>";

std::string robotWith(const std::string& children)
{
    return "<neuralrobot wheelDistance='2' robotSpeed='3'>" + body + children + "</neuralrobot>";
}

std::string sensorsWith(const std::string& children) { return robotWith("<sensors>" + children + "</sensors>"); }

std::string robotLine(const std::string& description) { return "Error in CFenNeuralRobotIO: " + description + "\n"; }

const std::string sensorsLines = robotLine("unable to read sensors");

std::string irLine(const std::string& description)
{
    return "Error in CFenIRSensorReader: " + description + "\n" + robotLine("unable to read irsensor") + sensorsLines;
}

std::string cameraLine(const std::string& description)
{
    return "Error in CFenCircularCamReader: " + description + "\n" + robotLine("unable to read camera") +
           sensorsLines;
}

const std::string ir = "x='1' y='0' height='2' orientation='0' range='5'";
const std::string camera = "x='1' y='0' height='2' orientation='0' fieldOfView='45' pixelCount='10'";

class RobotFault : public testing::TestWithParam<FaultCase> {};

TEST_P(RobotFault, ReportsEveryLineInnermostFirst)
{
    EXPECT_EQ(readRobotFault(GetParam()), GetParam().expected);
}

std::vector<FaultCase> robotFaults()
{
    std::vector<FaultCase> cases = {
        {"RobotGivenAComment", Target::Robot, robotWith("<!-- c -->"), {1},
         robotLine("nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT")},
        {"RootIsWorld", Target::Robot, "<world width='10' height='10'/>", {}, robotLine("bad nodeName")},
        {"WheelDistanceZero", Target::Robot, "<neuralrobot wheelDistance='0' robotSpeed='1'>" + body + "</neuralrobot>",
         {}, robotLine("wheelDistance <= 0.0")},
        {"WheelDistanceNan", Target::Robot, "<neuralrobot wheelDistance='NaN' robotSpeed='1'/>", {},
         robotLine("wheelDistance <= 0.0")},
        {"DoubleWheelDistance", Target::Robot, "<neuralrobot wheelDistance='1' wheelDistance='1' robotSpeed='1'/>",
         {}, robotLine("double definition of wheelDistance")},
        {"RobotSpeedLetters", Target::Robot, "<neuralrobot wheelDistance='1' robotSpeed='fast'/>", {},
         robotLine("robotSpeed <= 0.0")},
        // A second robotSpeed is reported with the same line as a bad one.
        {"DoubleRobotSpeed", Target::Robot, "<neuralrobot robotSpeed='1' wheelDistance='1' robotSpeed='1'/>", {},
         robotLine("robotSpeed <= 0.0")},
        {"NoRobotSpeed", Target::Robot, "<neuralrobot wheelDistance='1'>" + body + "</neuralrobot>", {},
         robotLine("incomplete definition of neuralrobot")},
        {"NoObject", Target::Robot, "<neuralrobot wheelDistance='1' robotSpeed='1'><sensors/></neuralrobot>", {},
         robotLine("incomplete definition of neuralrobot")},
        {"BodyAtZero", Target::Robot,
         "<neuralrobot wheelDistance='1' robotSpeed='1'><object x='0' y='5' r='1'/></neuralrobot>", {},
         "Error in CFenPhysicalObjectReader: x <= 0.0\n" + robotLine("unable to read object")},
        {"BodyWithoutSurface", Target::Robot,
         "<neuralrobot wheelDistance='1' robotSpeed='1'><object x='5' y='5'/></neuralrobot>", {},
         "Error in CFenPhysicalObjectReader: unable to read boundingSurface\n" + robotLine("unable to read object")},
        {"TwoObjects", Target::Robot, robotWith(body), {}, robotLine("double definition of object")},
        {"TwoSensors", Target::Robot, robotWith("<sensors/><sensors/>"), {}, robotLine("double definition of sensors")},
        {"TextInRobot", Target::Robot, robotWith("text"), {},
         robotLine("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT")},
        {"CommentInSensors", Target::Robot, sensorsWith("<!-- c -->"), {},
         robotLine("subnodePtr->GetnodeType() != MSXML2::NODE_ELEMENT") + sensorsLines},
        {"SensorsGivenText", Target::Sensors, "<sensors>text</sensors>", {0},
         robotLine("nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT")},
        {"SensorsBadName", Target::Sensors, "<sensor/>", {}, robotLine("bad nodeName")},

        {"IRGivenText", Target::IRSensor, "<irsensor>t</irsensor>", {0},
         "Error in CFenIRSensorReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT\n"},
        {"IRBadName", Target::IRSensor, "<camera " + ir + "/>", {}, "Error in CFenIRSensorReader: bad nodeName\n"},
        {"IRHeightZero", Target::Robot,
         sensorsWith("<irsensor x='1' y='0' height='0' orientation='0' range='5'/>"), {}, irLine("height <= 0.0")},
        {"IRHeightNegative", Target::Robot,
         sensorsWith("<irsensor x='1' y='0' height='-2' orientation='0' range='5'/>"), {}, irLine("height <= 0.0")},
        {"IRNoRange", Target::Robot, sensorsWith("<irsensor x='1' y='0' height='2' orientation='0'/>"), {},
         irLine("incomplete definition of irsensor")},
        {"IRNoX", Target::Robot, sensorsWith("<irsensor y='0' height='2' orientation='0' range='1'/>"), {},
         irLine("incomplete definition of irsensor")},

        {"CameraGivenText", Target::Camera, "<camera>t</camera>", {0},
         "Error in CFenCircularCamReader: nodePtr->GetnodeType() != MSXML2::NODE_ELEMENT\n"},
        {"CameraBadName", Target::Camera, "<irsensor " + camera + "/>", {},
         "Error in CFenCircularCamReader: bad nodeName\n"},
        {"CameraHeightZero", Target::Robot,
         sensorsWith("<camera x='1' y='0' height='0' orientation='0' fieldOfView='45' pixelCount='10'/>"), {},
         cameraLine("height <= 0.0")},
        {"FieldOfViewZero", Target::Robot,
         sensorsWith("<camera x='1' y='0' height='1' orientation='0' fieldOfView='0' pixelCount='10'/>"), {},
         cameraLine("fieldOfView <= 0.0")},
        {"FieldOfViewLetters", Target::Robot,
         sensorsWith("<camera x='1' y='0' height='1' orientation='0' fieldOfView='wide' pixelCount='10'/>"), {},
         cameraLine("fieldOfView <= 0.0")},
        {"FieldOfViewVanishing", Target::Robot,
         sensorsWith("<camera x='1' y='0' height='1' orientation='0' fieldOfView='1e-323' pixelCount='10'/>"), {},
         cameraLine("fieldOfView <= 0.0")},
        {"PixelCountZero", Target::Robot,
         sensorsWith("<camera x='1' y='0' height='1' orientation='0' fieldOfView='45' pixelCount='0.9'/>"), {},
         cameraLine("pixelCount <= 0")},
        {"PixelCountHuge", Target::Robot,
         sensorsWith("<camera x='1' y='0' height='1' orientation='0' fieldOfView='45' pixelCount='99999999999'/>"),
         {}, cameraLine("pixelCount too large")},
        {"CameraNoPixelCount", Target::Robot,
         sensorsWith("<irsensor " + ir + "/><camera x='1' y='0' height='1' orientation='0' fieldOfView='45'/>"), {},
         cameraLine("incomplete definition of camera")},
        {"ManyLargeCameras", Target::Robot, "", {},
         robotLine("too many camera pixels") + sensorsLines},
        {"TooManySensors", Target::Robot, "", {}, robotLine("too many sensors") + sensorsLines},
        {"ClockwiseBody", Target::Robot,
         "<neuralrobot wheelDistance='1' robotSpeed='1'><object x='3' y='4'>"
         "<polygone m='4'>-1 -1 -1 1 1 1 1 -1</polygone></object></neuralrobot>", {},
         "Error in CFenPhysicalObjectReader: polygone of the object at (3, 4) is not convex and counter-clockwise\n"
             + robotLine("unable to read object")},
    };
    // One sensor more than a robot may carry, the last of them a camera.
    std::string sensors;
    for (std::size_t i = 1; i < Tarn::CFenNeuralRobotIO::maxSensors; ++i)
        sensors += "<irsensor " + ir + "/>";
    sensors += "<camera " + camera + "/><camera " + camera + "/>";
    const auto named = [&cases](const std::string& name) -> FaultCase& {
        return *std::find_if(cases.begin(), cases.end(), [&name](const FaultCase& c) { return c.name == name; });
    };
    named("TooManySensors").xml = sensorsWith(sensors);
    // One camera more than the robot's pixel budget allows.
    std::string cameras;
    for (int i = 0; i <= Tarn::CFenNeuralRobotIO::maxCameraPixels / Tarn::CFenCircularCamReader::maxPixelCount; ++i)
        cameras += "<camera x='1' y='0' height='1' orientation='0' fieldOfView='45' pixelCount='100000'/>";
    named("ManyLargeCameras").xml = sensorsWith(cameras);

    // Every attribute of a sensor, given twice.

    for (const char* attribute : {"x", "y", "height", "orientation", "range", "aperture"})
        cases.push_back({std::string("DoubleIR_") + attribute, Target::Robot,
                         sensorsWith("<irsensor " + ir + " aperture='0' " + attribute + "='1'/>"), {},
                         irLine(std::string("double definition of ") + attribute)});
    for (const char* attribute : {"x", "y", "height", "orientation", "fieldOfView", "pixelCount"})
        cases.push_back({std::string("DoubleCamera_") + attribute, Target::Robot,
                         sensorsWith("<camera " + camera + " " + attribute + "='1'/>"), {},
                         cameraLine(std::string("double definition of ") + attribute)});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(RobotFile, RobotFault, testing::ValuesIn(robotFaults()),
                         [](const testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

struct LoadedRobot {
    ReadingWorld world;
    CFenNeuralRobot& robot = CFenNeuralRobot::Create(world);
    Fen::NeuralRobot& body = robot.GetPhysicalObject();
};

void readRobot(LoadedRobot& loaded, const std::string& xml, bool expectOk = true)
{
    CFenIOStruct io = CFenIOStruct::FromText(xml);
    loaded.robot.Read(io);
    EXPECT_EQ(io.IsOk(), expectOk) << io.GetErrorText();
}

TEST(RobotFile, BodyAndDriveWithoutSensors)
{
    LoadedRobot loaded;
    readRobot(loaded, R"(<?xml version="1.0"?>
<neuralrobot wheelDistance="2.5" robotSpeed="4" name="r1">
  <object x="12" y="13" r="1.5" color="blue" angle="180"/>
  <extra/>
</neuralrobot>)");
    EXPECT_EQ(loaded.body.wheelDistance, 2.5);
    EXPECT_EQ(loaded.body.robotSpeed, 4);
    EXPECT_EQ(loaded.body.pos, (Fen::Point{12, 13}));
    EXPECT_EQ(loaded.body.r, 1.5);
    EXPECT_EQ(loaded.body.angle, 180 * degree);
    EXPECT_EQ(loaded.body.color, (Fen::Color{0, 0, 1, 1}));
    EXPECT_TRUE(loaded.body.irSensors.empty());
    EXPECT_TRUE(loaded.body.cameras.empty());
}

TEST(RobotFile, SensorsInFileOrderWithinEachKind)
{
    LoadedRobot loaded;
    readRobot(loaded, robotWith(R"(
  <sensors>
    <irsensor x="1" y="0.5" height="2" orientation="90" range="6" aperture="0.5"/>
    <camera x="0" y="0" height="3" orientation="-90" fieldOfView="30" pixelCount="2.9"/>
    <other/>
    <irsensor x="-1" y="0" height="1" orientation="0" range="4"/>
  </sensors>)"));
    Fen::NeuralRobot& body = loaded.body;
    ASSERT_EQ(body.irSensors.size(), 2u);
    ASSERT_EQ(body.cameras.size(), 1u);

    const Fen::IRSensor& first = *body.irSensors[0];
    EXPECT_EQ(first.pos, (Fen::Point{1, 0.5}));
    EXPECT_EQ(first.height, 2);
    EXPECT_EQ(first.orientation, 90 * degree);
    EXPECT_EQ(first.range, 6);
    EXPECT_EQ(first.aperture, 0.5);
    EXPECT_EQ(first.rayCount, 1u);
    ASSERT_EQ(first.rayResponseFunctors.size(), 1u);
    EXPECT_EQ(first.rayResponseFunctors[0], &Fen::NeuralRobotIRSensorModel::instance());
    EXPECT_EQ(first.owner, &body);
    EXPECT_EQ(body.irSensors[1]->pos, (Fen::Point{-1, 0}));
    EXPECT_EQ(body.irSensors[1]->aperture, 0);

    const Fen::CircularCam& cam = *body.cameras[0];
    EXPECT_EQ(cam.pixelCount(), 2u);
    EXPECT_EQ(cam.fieldOfView, 30 * degree);
    EXPECT_EQ(cam.orientation, -90 * degree);
    EXPECT_EQ(cam.height, 3);
    EXPECT_EQ(cam.owner, &body);

    // Each sensor is one of the robot's interactions, exactly once.
    ASSERT_EQ(body.localInteractions.size(), 3u);
    for (const Fen::LocalInteraction* attached :
         {static_cast<const Fen::LocalInteraction*>(body.irSensors[0].get()),
          static_cast<const Fen::LocalInteraction*>(body.irSensors[1].get()),
          static_cast<const Fen::LocalInteraction*>(body.cameras[0].get())})
        EXPECT_EQ(std::count(body.localInteractions.begin(), body.localInteractions.end(), attached), 1);
}

TEST(RobotFile, InteractionsComeByDecreasingRadiusWithTiesInFileOrder)
{
    LoadedRobot loaded;
    readRobot(loaded, robotWith(R"(<sensors>
    <irsensor x="0" y="0" height="1" orientation="0" range="4"/>
    <irsensor x="0" y="0" height="1" orientation="90" range="6"/>
    <irsensor x="0" y="0" height="1" orientation="180" range="4"/>
    <camera x="0" y="0" height="1" orientation="0" fieldOfView="30" pixelCount="5"/>
  </sensors>)"));
    const Fen::NeuralRobot& body = loaded.body;
    const std::vector<const Fen::LocalInteraction*> expected{body.cameras[0].get(), body.irSensors[1].get(),
                                                             body.irSensors[0].get(), body.irSensors[2].get()};
    EXPECT_EQ(std::vector<const Fen::LocalInteraction*>(body.localInteractions.begin(),
                                                        body.localInteractions.end()),
              expected);
}

TEST(RobotFile, RereadingReplacesTheSensors)
{
    LoadedRobot loaded;
    readRobot(loaded, sensorsWith("<irsensor " + ir + "/><irsensor " + ir + "/><camera " + camera + "/>"));
    readRobot(loaded, sensorsWith("<irsensor " + ir + "/>"));
    EXPECT_EQ(loaded.body.irSensors.size(), 1u);
    EXPECT_TRUE(loaded.body.cameras.empty());
    EXPECT_EQ(loaded.body.localInteractions.size(), 1u);
}

TEST(RobotFile, FailureAfterGoodSensorsDropsThemAll)
{
    LoadedRobot loaded;
    readRobot(loaded, sensorsWith("<irsensor " + ir + "/><camera " + camera + "/>"));
    readRobot(loaded,
              robotWith("<sensors><irsensor " + ir + "/><camera " + camera + "/></sensors><sensors/>"), false);
    EXPECT_TRUE(loaded.body.irSensors.empty());
    EXPECT_TRUE(loaded.body.cameras.empty());
    EXPECT_TRUE(loaded.body.localInteractions.empty());
}

TEST(RobotFile, ClearingDetachesTheControl)
{
    struct Idle : Fen::RemoteControl {
        bool isForward() override { return false; }
        bool isBackward() override { return false; }
        bool isLeft() override { return false; }
        bool isRight() override { return false; }
        void reset() override {}
        void update() override {}
    } control;
    LoadedRobot loaded;
    readRobot(loaded, robotWith(""));
    loaded.body.setRemoteControl(&control);
    readRobot(loaded, "<world/>", false);
    EXPECT_EQ(control.robot, nullptr);
    EXPECT_EQ(loaded.body.remoteControl, nullptr);
}

} // namespace
