#include "engine/RunMetrics.h"

#include <algorithm>
#include <cmath>
#include "base/StateArchive.h"
#include "engine/FrameCount.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/World.h"

namespace Fen {

void RunMetrics::start(const NeuralRobot& robot, double frameTime)
{
    frameCount = 0;
    path = 0;
    lastPos = robot.pos;
    side = robot.r > 0 ? 2 * robot.r : 1;
    cells.clear();
    cells.insert(cellOf(robot.pos));
    contacts = 0;
    avoidSum = 0;
    // At least one frame; a frame time too small to count (no run takes
    // one) still gives a window, one that no run fills.
    const FrameCount count = framesIn(stuckSeconds, frameTime);
    window = count.fault == FrameCount::Fault::none ? std::max<std::int64_t>(1, count.frames) : std::int64_t{1} << 50;
    // Grows with the run, so a short run of a tiny frame time stays small.
    history.assign(1, robot.pos);
    stuckFrames = 0;
    windowFrames = 0;
    last = Frame{};
    placesKnown = false;
}

CoverageCell RunMetrics::cellOf(const Point& p) const { return CoverageCell::Of(p.x, p.y, side); }

void RunMetrics::addDistance(const NeuralRobot& robot)
{
    ++frameCount;
    // Each frame's straight line, in order.
    last.distance = (robot.pos - lastPos).norm();
    path += last.distance;
    lastPos = robot.pos;
}

void RunMetrics::addFrame(World& world, const NeuralRobot& robot)
{
    updatePlaces(world, robot);
    addFrame(robot, touches(world, robot));
}

void RunMetrics::addFrame(const NeuralRobot& robot, bool contact)
{
    const Point pos = robot.pos;
    addDistance(robot);
    last.newCell = cells.insert(cellOf(pos)).second;
    last.contact = contact;
    if (last.contact)
        ++contacts;
    last.avoid = avoidValue(robot);
    avoidSum += last.avoid;

    const auto slot = static_cast<std::size_t>(frameCount % window);
    if (frameCount >= window) {
        const Point& before = history[slot];
        const double dx = pos.x - before.x;
        const double dy = pos.y - before.y;
        ++windowFrames;
        if (std::sqrt(dx * dx + dy * dy) < stuckDistance)
            ++stuckFrames;
        history[slot] = pos;
    } else {
        history.push_back(pos);
    }
}

double RunMetrics::stuck() const
{
    return windowFrames == 0 ? 0.0 : static_cast<double>(stuckFrames) / static_cast<double>(windowFrames);
}

double RunMetrics::avoidValue(const NeuralRobot& robot)
{
    double speed = 0;
    double turn = 0;
    if (robot.robotSpeed > 0) {
        // The speeds' magnitudes, as the fitness was published: driving
        // backward counts as driving. A robot rocking to and fro in place
        // scores too; the stuck share is the measure that tells it apart.
        const double top = 2 * robot.robotSpeed;
        speed = (std::fabs(robot.leftSpeed) + std::fabs(robot.rightSpeed)) / 2 / top;
        turn = std::fabs(robot.leftSpeed - robot.rightSpeed) / robot.robotSpeed;
        speed = std::min(speed, 1.0);
        turn = std::min(turn, 1.0);
    }
    double highest = 0;
    for (const auto& sensor : robot.irSensors)
        highest = std::max(highest, sensor->finalValue);
    const double near = std::min(highest / topReading, 1.0);
    return speed * (1 - std::sqrt(turn)) * (1 - near);
}

bool RunMetrics::touchesWall(const World& world, const PhysicalObject& body)
{
    if (!world.useWalls)
        return false;
    const double w = world.width;
    const double h = world.height;
    if (!body.hasBoundingSurface) {
        const Point& p = body.pos;
        const double r = body.r;
        return !(r < p.x && r < p.y && w - p.x > r && h - p.y > r);
    }
    for (const Point& v : body.absBoundingSurface)
        if (v.x <= 0 || v.y <= 0 || v.x >= w || v.y >= h)
            return true;
    return false;
}

void RunMetrics::copyShape(const PhysicalObject& from, PhysicalObject& to)
{
    to.pos = from.pos;
    to.angle = from.angle;
    to.r = from.r;
    to.mass = from.mass;
    to.hasBoundingSurface = from.hasBoundingSurface;
    if (from.hasBoundingSurface) {
        to.boundingSurface = from.boundingSurface;
        to.forgetAbsBoundingSurface();
        to.computeAbsBoundingSurface();
    }
}

void RunMetrics::place(const World& world, std::uint32_t i)
{
    const PhysicalObject& body = *world.objects[i];
    if (&body == placedRobot)
        return; // it moves every frame and is never its own contact
    places.insert(i, Box{body.pos.x - body.r, body.pos.y - body.r, body.pos.x + body.r, body.pos.y + body.r});
}

void RunMetrics::updatePlaces(const World& world, const NeuralRobot& robot)
{
    const std::size_t n = world.objects.size();
    if (placesKnown && placedBodies == n) {
        world.bodiesChangedInLastStep(changed);
        for (const std::uint32_t i : changed) {
            places.remove(i);
            place(world, i);
        }
        return;
    }
    placedRobot = &robot;
    // Cells about twice the robot's width, and never so many that a small
    // robot in a vast arena fills the memory.
    const double extent = std::max(world.width, world.height);
    const double cell = std::max({4 * robot.r, extent / 1024, 1e-6});
    places.reset(0, 0, world.width, world.height, cell, n);
    for (std::uint32_t i = 0; i < n; ++i)
        place(world, i);
    stamps.assign(n, 0);
    stamp = 0;
    placedBodies = n;
    placesKnown = true;
}

bool RunMetrics::contact(World& world, const PhysicalObject& a, const PhysicalObject& b, PhysicalObject& copyA,
                         PhysicalObject& copyB)
{
    // The contact test's own first comparison, before any copying.
    const Vector d = a.pos - b.pos;
    const double sum = a.r + b.r;
    if (d.x * d.x + d.y * d.y > sum * sum)
        return false;
    copyShape(a, copyA);
    copyShape(b, copyB);
    return world.collideObjects(copyA, copyB);
}

const PhysicalObject* RunMetrics::bodyTouched(World& world, const PhysicalObject& body, const PhysicalObject* self)
{
    PhysicalObject copyA;
    PhysicalObject copyB;
    for (const PhysicalObject* other : world.objects)
        if (other != self && other != &body && contact(world, body, *other, copyA, copyB))
            return other;
    return nullptr;
}

bool RunMetrics::touches(World& world, const NeuralRobot& robot)
{
    copyShape(robot, robotCopy);
    if (touchesWall(world, robotCopy))
        return true;
    // Every body whose circle meets the robot's has a box that meets this
    // one, grown beyond the rounding of the circles' test.
    const double slack = 1e-9 * (std::fabs(robot.pos.x) + std::fabs(robot.pos.y) + robot.r) + 1e-12;
    const double reach = robot.r + slack;
    near.clear();
    if (++stamp == 0) {
        std::fill(stamps.begin(), stamps.end(), 0);
        stamp = 1;
    }
    places.forEachInBox(Box{robot.pos.x - reach, robot.pos.y - reach, robot.pos.x + reach, robot.pos.y + reach},
                        [&](std::uint32_t i) {
                            if (stamps[i] != stamp) {
                                stamps[i] = stamp;
                                near.push_back(i);
                            }
                        });
    for (const std::uint32_t i : near) {
        const PhysicalObject* body = world.objects[i];
        if (body != &robot && contact(world, robot, *body, robotCopy, bodyCopy))
            return true;
    }
    return false;
}

void RunMetrics::archive(Tarn::StateArchive& a)
{
    // Read into a copy and judged before it is taken: damaged bytes must not
    // leave the window and its history out of step.
    RunMetrics copy;
    copy.frameCount = frameCount;
    copy.path = path;
    copy.lastPos = lastPos;
    copy.side = side;
    copy.contacts = contacts;
    copy.avoidSum = avoidSum;
    copy.window = window;
    copy.history = history;
    copy.stuckFrames = stuckFrames;
    copy.windowFrames = windowFrames;
    copy.last = last;
    std::vector<CoverageCell> visited;
    if (a.GetMode() == Tarn::StateArchive::Mode::Save)
        visited = SortedCells(cells);
    a.Local(copy.frameCount);
    a.Local(copy.path);
    a.Local(copy.lastPos);
    a.Local(copy.side);
    a.LocalSequence(visited);
    a.Local(copy.contacts);
    a.Local(copy.avoidSum);
    a.Local(copy.window);
    a.LocalSequence(copy.history);
    a.Local(copy.stuckFrames);
    a.Local(copy.windowFrames);
    a.Local(copy.last.distance);
    a.Local(copy.last.avoid);
    a.Local(copy.last.newCell);
    a.Local(copy.last.contact);
    const auto expected = static_cast<std::uint64_t>(std::min(copy.frameCount + 1, copy.window));
    if (copy.frameCount < 0 || copy.window < 1 || copy.history.size() != expected)
        throw Tarn::StateMismatch("the state's run measures are damaged");
    if (!a.Loading())
        return;
    placesKnown = false; // the bodies were set from outside
    frameCount = copy.frameCount;
    path = copy.path;
    lastPos = copy.lastPos;
    side = copy.side;
    cells = CoverageCells(visited.begin(), visited.end());
    contacts = copy.contacts;
    avoidSum = copy.avoidSum;
    window = copy.window;
    history = std::move(copy.history);
    stuckFrames = copy.stuckFrames;
    windowFrames = copy.windowFrames;
    last = copy.last;
}

} // namespace Fen
