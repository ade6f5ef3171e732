#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/CircularCam.h"
#include "engine/NeuralRobot.h"
#include "io/CFenIOStruct.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "ReadingWorld.h"

namespace {

using Tarn::CFenIOStruct;

// Files that pass every check of the readers with extreme values: they load,
// and the simulation built from them must still step without hanging,
// crashing or producing an infinity from the file itself.
TEST(HostileValues, ExtremeButValidFilesLoadAndStep)
{
    ReadingWorld world;
    CFenIOStruct scene = CFenIOStruct::FromText(R"(
<world width="1e999" height="1e-300" startX="1e308" startY="1e-310">
  <object x="nan0" y="inf5" r="0x1p4"/>
</world>)");
    world.Read(scene);
    // "nan0", "inf5" and "0x1p4" convert as 0: the obstacle is refused.
    EXPECT_EQ(scene.GetErrorText(), "Error in CFenPhysicalObjectReader: x <= 0.0\n"
                                    "Error in CFenPhysicalObjectIO: unable to read object\n"
                                    "Error in CFenWorldIO: unable to read object\n");

    CFenIOStruct good = CFenIOStruct::FromText(R"(
<world width="1e308" height="1e308">
  <object x="5e307" y="5e307" r="1e307" angle="1e308" mass="-1e999" height="1e999"
          staticFrictionThreshold="-5" viscousFrictionTau="1e308" viscousMomentFrictionTau="-1e308"
          collisionAngularFrictionFactor="1e308" color="#FFFFFF"/>
  <object x="2e150" y="2e150" mass="0" angle="-1e300">
    <polygone m="3">1e150 0 -1e150 1e150 0 -1e-320</polygone>
  </object>
</world>)");
    world.Read(good);
    ASSERT_TRUE(good.IsOk()) << good.GetErrorText();
    ASSERT_EQ(world.GetObjectCount(), 2u);
    // What the readers store is finite (the engine derives a polygon's
    // radius from its vertices itself).
    for (unsigned i = 0; i < world.GetObjectCount(); ++i) {
        const Fen::PhysicalObject& body = world.GetObject(i).GetPhysicalObject();
        EXPECT_TRUE(std::isfinite(body.pos.x) && std::isfinite(body.mass) && std::isfinite(body.angle)) << i;
        EXPECT_TRUE(body.hasBoundingSurface || std::isfinite(body.r)) << i;
    }

    Tarn::CFenNeuralRobot& robot = Tarn::CFenNeuralRobot::Create(world);
    CFenIOStruct robotFile = CFenIOStruct::FromText(R"(
<neuralrobot wheelDistance="1e-320" robotSpeed="1e308">
  <object x="1e300" y="2" r="1e-300" angle="1e308"/>
  <sensors>
    <irsensor x="1e308" y="-1e308" height="1e-320" orientation="1e308" range="1e308" aperture="-1e308"/>
    <irsensor x="0" y="0" height="1" orientation="0" range="0"/>
    <camera x="-1e308" y="1e308" height="1e308" orientation="-1e308" fieldOfView="1e308" pixelCount="100000"/>
    <camera x="0" y="0" height="1" orientation="0" fieldOfView="1e-300" pixelCount="1"/>
    <camera x="0" y="0" height="1" orientation="0" fieldOfView="360" pixelCount="2"/>
  </sensors>
</neuralrobot>)");
    robot.Read(robotFile);
    ASSERT_TRUE(robotFile.IsOk()) << robotFile.GetErrorText();
    const Fen::NeuralRobot& body = robot.GetPhysicalObject();
    ASSERT_EQ(body.cameras.size(), 3u);
    EXPECT_TRUE(std::isfinite(body.angle));
    EXPECT_TRUE(std::isfinite(body.cameras[0]->orientation));
    EXPECT_TRUE(std::isfinite(body.cameras[0]->fieldOfView));

    for (double dt : {1.0, 0.5, 0.001, 1.0})
        world.Step(dt);
}

} // namespace
