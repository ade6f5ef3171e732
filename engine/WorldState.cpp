#include "engine/WorldState.h"

#include <cstdint>
#include "base/StateArchive.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/World.h"

namespace Fen {

namespace {

void archive(Tarn::StateArchive& a, Vector& v)
{
    a.Value(v.x);
    a.Value(v.y);
}

void archiveSensor(Tarn::StateArchive& a, IRSensor& sensor)
{
    a.Fixed(sensor.rayCount, "the infrared sensors' rays");
    archive(a, sensor.absPos);
    a.Value(sensor.absOrientation);
    archive(a, sensor.absReachCentre);
    a.Values(sensor.rayDistances, "the infrared sensors' rays");
    // Kept from step to step for rays that hit nothing.
    a.Values(sensor.rayColors, "the infrared sensors' rays");
    a.Values(sensor.rayAbsAngles, "the infrared sensors' rays");
    a.Value(sensor.finalValue);
    a.Values(sensor.finalRayDistances, "the infrared sensors' rays");
    a.Values(sensor.finalRayColors, "the infrared sensors' rays");
    a.Values(sensor.rayHitPoints, "the infrared sensors' rays");
}

void archiveCamera(Tarn::StateArchive& a, CircularCam& camera)
{
    archive(a, camera.absPos);
    a.Value(camera.absOrientation);
    a.Values(camera.zBuffer, "the cameras' pixels");
    a.Values(camera.image, "the cameras' pixels");
}

void archiveRobot(Tarn::StateArchive& a, NeuralRobot& robot)
{
    a.Value(robot.leftSpeed);
    a.Value(robot.rightSpeed);
    a.Fixed(static_cast<std::uint64_t>(robot.irSensors.size()), "the infrared sensors");
    for (auto& sensor : robot.irSensors)
        archiveSensor(a, *sensor);
    a.Fixed(static_cast<std::uint64_t>(robot.cameras.size()), "the cameras");
    for (auto& camera : robot.cameras)
        archiveCamera(a, *camera);
}

void archiveBody(Tarn::StateArchive& a, PhysicalObject& body)
{
    NeuralRobot* robot = dynamic_cast<NeuralRobot*>(&body);
    a.Fixed(robot != nullptr, "the robots");
    a.Fixed(body.hasBoundingSurface, "the bodies' shapes");
    a.Fixed(static_cast<std::uint64_t>(body.boundingSurface.size()), "the bodies' shapes");
    a.Fixed(body.r, "the bodies' sizes");
    a.Fixed(body.mass, "the bodies' masses");
    archive(a, body.pos);
    a.Value(body.angle);
    archive(a, body.speed);
    a.Value(body.angSpeed);
    archive(a, body.collisionShift);
    // As the last step placed it: drawing between steps reads it.
    a.Sequence(body.absBoundingSurface);
    if (a.Loading())
        body.forgetAbsBoundingSurface();
    if (robot != nullptr)
        archiveRobot(a, *robot);
}

} // namespace

void archiveWorldState(Tarn::StateArchive& a, World& world)
{
    a.Fixed(world.width, "the arenas");
    a.Fixed(world.height, "the arenas");
    a.Fixed(world.useWalls, "the walls");
    a.Value(world.pairOrderFlag);
    a.Fixed(static_cast<std::uint64_t>(world.objects.size()), "the numbers of bodies");
    for (PhysicalObject* body : world.objects)
        archiveBody(a, *body);
    if (a.Loading())
        world.forgetPairCaches();
}

} // namespace Fen
