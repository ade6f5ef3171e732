#include "run/SwarmRunMetrics.h"

#include <algorithm>
#include <cmath>

#include "base/StateArchive.h"
#include "engine/NeuralRobot.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/IWorld.h"

namespace Korvale::Run {

namespace {

const Fen::NeuralRobot& RobotOf(const Tarn::IWorld& world, std::size_t index)
{
    return world.GetSwarmRobot(static_cast<unsigned>(index)).GetPhysicalObject();
}

} // namespace

void SwarmRunMetrics::Start(const Tarn::IWorld& world, double frameTime)
{
    others.clear();
    placesKnown = false;
    const std::size_t n = world.GetSwarmSize();
    if (n < 2)
        return;
    others.resize(n - 1);
    largestRadius = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Fen::NeuralRobot& robot = RobotOf(world, i);
        if (i > 0)
            others[i - 1].start(robot, frameTime);
        largestRadius = std::max(largestRadius, robot.r);
    }
    const double r = RobotOf(world, 0).r;
    cells.Start(r > 0 ? 2 * r : 1);
    for (std::size_t i = 0; i < n; ++i)
        cells.Add(RobotOf(world, i).pos.x, RobotOf(world, i).pos.y);
}

void SwarmRunMetrics::AddFrame(const Tarn::IWorld& robots, Fen::World& world, bool distanceOnly)
{
    if (others.empty())
        return;
    if (!distanceOnly)
        UpdatePlaces(world);
    for (std::size_t i = 1; i <= others.size(); ++i) {
        const Fen::NeuralRobot& robot = RobotOf(robots, i);
        if (distanceOnly)
            others[i - 1].addDistance(robot);
        else
            others[i - 1].addFrame(robot, Touches(world, robot));
    }
    for (std::size_t i = 0; i <= others.size(); ++i)
        cells.Add(RobotOf(robots, i).pos.x, RobotOf(robots, i).pos.y);
}

void SwarmRunMetrics::RobotPlaced(const Tarn::IWorld& world, std::size_t index, double frameTime)
{
    if (others.empty())
        return;
    const Fen::NeuralRobot& robot = RobotOf(world, index);
    if (index > 0)
        others.at(index - 1).start(robot, frameTime);
    cells.Add(robot.pos.x, robot.pos.y);
    placesKnown = false;
}

void SwarmRunMetrics::Place(const Fen::World& world, std::uint32_t i)
{
    const Fen::PhysicalObject& body = *world.objects[i];
    places.insert(i, Fen::Box{body.pos.x - body.r, body.pos.y - body.r, body.pos.x + body.r, body.pos.y + body.r});
}

void SwarmRunMetrics::UpdatePlaces(const Fen::World& world)
{
    const std::size_t n = world.objects.size();
    if (placesKnown && placedBodies == n) {
        world.bodiesChangedInLastStep(changed);
        for (const std::uint32_t i : changed) {
            places.remove(i);
            Place(world, i);
        }
        return;
    }
    // As a lone robot's grid: cells about twice the widest robot, and never
    // so many that small robots in a vast arena fill the memory.
    const double extent = std::max(world.width, world.height);
    const double cell = std::max({4 * largestRadius, extent / 1024, 1e-6});
    places.reset(0, 0, world.width, world.height, cell, n);
    for (std::uint32_t i = 0; i < n; ++i)
        Place(world, i);
    stamps.assign(n, 0);
    stamp = 0;
    placedBodies = n;
    placesKnown = true;
}

bool SwarmRunMetrics::Touches(Fen::World& world, const Fen::NeuralRobot& robot)
{
    // The lone robot's test (Fen::RunMetrics), on the shared grid.
    Fen::RunMetrics::copyShape(robot, robotCopy);
    if (Fen::RunMetrics::touchesWall(world, robotCopy))
        return true;
    const double slack = 1e-9 * (std::fabs(robot.pos.x) + std::fabs(robot.pos.y) + robot.r) + 1e-12;
    const double reach = robot.r + slack;
    near.clear();
    if (++stamp == 0) {
        std::fill(stamps.begin(), stamps.end(), 0);
        stamp = 1;
    }
    places.forEachInBox(
        Fen::Box{robot.pos.x - reach, robot.pos.y - reach, robot.pos.x + reach, robot.pos.y + reach},
        [&](std::uint32_t i) {
            if (stamps[i] != stamp) {
                stamps[i] = stamp;
                near.push_back(i);
            }
        });
    for (const std::uint32_t i : near) {
        const Fen::PhysicalObject* body = world.objects[i];
        if (body != &robot && Fen::RunMetrics::contact(world, robot, *body, robotCopy, bodyCopy))
            return true;
    }
    return false;
}

void SwarmRunMetrics::Archive(Tarn::StateArchive& archive)
{
    archive.Fixed(static_cast<std::uint64_t>(others.size()), "the numbers of robots");
    for (Fen::RunMetrics& metrics : others)
        metrics.archive(archive);
    cells.Archive(archive);
    if (archive.Loading())
        placesKnown = false; // the bodies were set from outside
}

} // namespace Korvale::Run
