#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/CircularCam.h"
#include "engine/NeuralRobot.h"
#include "engine/RemoteControl.h"
#include "io/CFenIOStruct.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "ReadingWorld.h"

namespace {

using Tarn::CFenIOStruct;

// Files that pass every check of the readers with extreme values: they load,
// and the simulation built from them must still step without hanging,
// crashing or producing an infinity.
TEST(HostileValues, ExtremeButValidFilesLoadAndStep)
{
    ReadingWorld world;
    CFenIOStruct scene = CFenIOStruct::FromText(R"(
<world width="1e9" height="1e-9" startX="1e9" startY="1e-9">
  <object x="nan0" y="inf5" r="0x1p4"/>
</world>)");
    world.Read(scene);
    // "nan0", "inf5" and "0x1p4" convert as 0: the obstacle is refused.
    EXPECT_EQ(scene.GetErrorText(), "Error in CFenPhysicalObjectReader: x <= 0.0\n"
                                    "Error in CFenPhysicalObjectIO: unable to read object\n"
                                    "Error in CFenWorldIO: unable to read object\n");

    // Every number at the edge of the range that scene and robot files may
    // use, the bodies overlapping and the robot driving: the simulation stays
    // finite.
    CFenIOStruct good = CFenIOStruct::FromText(R"(
<world width="1e9" height="1e9">
  <object x="5e8" y="5e8" r="2e8" angle="1e9" mass="1e9" height="1e9"
          staticFrictionThreshold="-1e9" viscousFrictionTau="1e9" viscousMomentFrictionTau="1e9"
          collisionAngularFrictionFactor="1e9" color="#FFFFFF"/>
  <object x="6e8" y="5e8" r="1e-9" mass="1e-9" collisionAngularFrictionFactor="-1e9" viscousFrictionTau="1e9"/>
  <object x="4e8" y="6e8" mass="0" angle="-1e9" viscousMomentFrictionTau="1e9">
    <polygone m="3">1e8 0 -1e8 1e8 -1e8 -1e8</polygone>
  </object>
</world>)");
    world.Read(good);
    ASSERT_TRUE(good.IsOk()) << good.GetErrorText();
    ASSERT_EQ(world.GetObjectCount(), 3u);

    Tarn::CFenNeuralRobot& robot = Tarn::CFenNeuralRobot::Create(world);
    CFenIOStruct robotFile = CFenIOStruct::FromText(R"(
<neuralrobot wheelDistance="1e-9" robotSpeed="1e9">
  <object x="5.5e8" y="5e8" r="1e8" angle="1e9" mass="1e-9" viscousFrictionTau="1e9" viscousMomentFrictionTau="1e9"
          collisionAngularFrictionFactor="1e9"/>
  <sensors>
    <irsensor x="1e9" y="-1e9" height="1e-9" orientation="1e9" range="1e9" aperture="-1e9"/>
    <irsensor x="0" y="0" height="1" orientation="0" range="0"/>
    <camera x="-1e9" y="1e9" height="1e-9" orientation="-1e9" fieldOfView="1e9" pixelCount="100000"/>
    <camera x="0" y="0" height="1" orientation="0" fieldOfView="1e-9" pixelCount="1"/>
    <camera x="0" y="0" height="1" orientation="0" fieldOfView="360" pixelCount="2"/>
  </sensors>
</neuralrobot>)");
    robot.Read(robotFile);
    ASSERT_TRUE(robotFile.IsOk()) << robotFile.GetErrorText();
    struct ForwardAndLeft : Fen::RemoteControl {
        bool isForward() override { return true; }
        bool isBackward() override { return false; }
        bool isLeft() override { return true; }
        bool isRight() override { return false; }
        void reset() override {}
        void update() override {}
    } control;
    robot.GetPhysicalObject().setRemoteControl(&control);

    for (int frame = 0; frame < 200; ++frame) {
        world.Step(frame % 3 == 0 ? 1.0 : 0.001);
        for (unsigned i = 0; i < world.GetObjectCount(); ++i) {
            const Fen::PhysicalObject& body = world.GetObject(i).GetPhysicalObject();
            ASSERT_TRUE(std::isfinite(body.pos.x) && std::isfinite(body.pos.y) && std::isfinite(body.angle)
                        && std::isfinite(body.speed.x) && std::isfinite(body.angSpeed))
                << "body " << i << " after frame " << frame;
        }
        const Fen::NeuralRobot& driven = robot.GetPhysicalObject();
        ASSERT_TRUE(std::isfinite(driven.pos.x) && std::isfinite(driven.pos.y) && std::isfinite(driven.angle)
                    && std::isfinite(driven.angSpeed))
            << "the robot after frame " << frame;
    }
    robot.GetPhysicalObject().detachRemoteControl();
}

// One step beyond the range: refused, naming the value.
TEST(HostileValues, NumbersBeyondTheRangeAreRefusedByName)
{
    struct Case {
        const char* xml;
        const char* firstLine;
    };
    const Case cases[] = {
        {"<world width='1e999' height='5'/>", "Error in CFenWorldIO: width out of range"},
        {"<world width='5' height='9e-10'/>", "Error in CFenWorldIO: height out of range"},
        {"<world width='50' height='50'><object x='5' y='5' r='1' mass='1.1e9'/></world>",
         "Error in CFenPhysicalObjectReader: mass out of range"},
        {"<world width='50' height='50'><object x='5' y='5' r='1' viscousFrictionTau='-2e9'/></world>",
         "Error in CFenPhysicalObjectReader: viscousFrictionTau out of range"},
        {"<world width='50' height='50'><object x='5' y='5' r='1e-10'/></world>",
         "Error in CFenPhysicalObjectReader: r out of range"},
        {"<world width='50' height='50'><object x='5' y='5'><polygone m='3'>0 0 1 0 0 2e9</polygone></object>"
         "</world>",
         "Error in CAnPolygoneReader: number out of range"},
        {"<neuralrobot wheelDistance='1e-10' robotSpeed='1'/>", "Error in CFenNeuralRobotIO: wheelDistance out of range"},
        {"<neuralrobot wheelDistance='1' robotSpeed='1e10'/>", "Error in CFenNeuralRobotIO: robotSpeed out of range"},
        {"<neuralrobot wheelDistance='1' robotSpeed='1'><object x='5' y='5' r='1'/><sensors>"
         "<irsensor x='0' y='0' height='1' orientation='0' range='1e10'/></sensors></neuralrobot>",
         "Error in CFenIRSensorReader: range out of range"},
        {"<neuralrobot wheelDistance='1' robotSpeed='1'><object x='5' y='5' r='1'/><sensors>"
         "<camera x='0' y='0' height='1' orientation='0' fieldOfView='1e-10' pixelCount='3'/></sensors></neuralrobot>",
         "Error in CFenCircularCamReader: fieldOfView out of range"},
        {"<neuralrobot wheelDistance='1' robotSpeed='1'><object x='5' y='5' r='1'/><sensors>"
         "<camera x='0' y='-1e10' height='1' orientation='0' fieldOfView='30' pixelCount='3'/></sensors></neuralrobot>",
         "Error in CFenCircularCamReader: y out of range"},
    };
    for (const Case& c : cases) {
        ReadingWorld world;
        CFenIOStruct io = CFenIOStruct::FromText(c.xml);
        if (std::string(c.xml).rfind("<world", 0) == 0)
            world.Read(io);
        else
            Tarn::CFenNeuralRobot::Create(world).Read(io);
        const std::string text = io.GetErrorText();
        EXPECT_EQ(text.substr(0, text.find('\n')), c.firstLine) << c.xml;
    }
}

} // namespace
