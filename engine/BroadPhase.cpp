// The world's step without the all-pairs loop, and why its result is the same
// to the bit.
//
// The all-pairs step visits the ordered pairs (i, j) of list indices in
// lexicographic order; call each visit an event. With pairOrderFlag set the
// event (i, j) is objects[i]->interactWithObject(objects[j], i < j), without
// it objects[j]->interactWithObject(objects[i], j < i). Events change the
// world, so the order matters, and so does where a body stands when its event
// comes. This step makes the very same calls, in the very same order, and
// leaves out only events that cannot change anything at the moment the
// all-pairs loop would make them. An event left out has nothing to undo, so
// the events made see the state the all-pairs loop gives them, by induction.
//
// What an event can do:
// - A plain body (exactly PhysicalObject) acts only when it is the lower index
//   of the pair: world.collideObjects, which returns at once when the bounding
//   circles, at their current positions, are apart (d.x^2 + d.y^2 > S^2), and
//   does nothing at all when both bodies are immovable.
// - A robot (exactly Robot or NeuralRobot, holding only IRSensor and
//   CircularCam) lets its cameras, then its infrared sensors see the other
//   body, then collides like a plain body unless a sensor out of reach ended
//   the visit. An infrared sensor changes only its own distances and colours,
//   and only for a body whose circle reaches its reach circle; it draws no
//   noise there (the noise comes in finalize). A camera changes only its image.
// - Between two events, bodies move only through contacts: a contact with an
//   immovable partner moves the other body at once.
// Anything else in the list (other kinds of body, sensor or global
// interaction, a body listed twice, coordinates beyond reason) and this step
// declines, and the world takes the all-pairs step.
//
// Which events are made:
// - Every body has a fat circle: its bounding circle grown by a margin, placed
//   in a uniform grid. The step checks every body before the pair phase and
//   places again any that left its fat circle or changed radius or mass sign.
//   A pair is listed when the fat circles meet, with a relative slack of 1e-9
//   and an absolute one far above the rounding of coordinates in the arena.
// - Collisions: the events of listed pairs are made, except that a pair whose
//   two bodies have not moved yet in this step is tested first with the same
//   expression as collideObjects on the same numbers, and left out if apart.
//   An unlisted pair is apart at its event: each body is inside its fat circle
//   (a body that a contact takes out of it is placed again at once, and its
//   new pairs are listed before any of their events come; pairs whose events
//   are already past were apart when they came), and the fat circles are
//   apart by more than the margins and any rounding of the engine's test.
// - Infrared sensors: a robot's events are made for every body whose fat
//   circle meets one of its sensors' reach circles (computed in init, fixed
//   for the step) or that is listed with it; for any other body the sensors'
//   test is false and the collision apart, so the event changes nothing.
//   Each body lists the robots that may see it. A robot's event decides
//   which sensors the visit reaches and whether it collides, as
//   Robot::interactWithObject does, and notes the sensors with where the
//   body stands; they see it after the pair phase, in the events' order.
//   A sensor changes only itself and reads of the body only what stays
//   fixed in the pair phase and its position, so the result is the same.
// - Cameras: while the pair phase runs, a robot's cameras defer drawing; right
//   after it they draw every body in any order with an ordered depth test
//   that gives the image of the in-order drawing (see CircularCam). A disc is
//   drawn where it stood at its camera event: every move a contact makes in
//   the pair phase is noted with its event and the position before it, and
//   a camera takes the position before the first move at or after its own
//   event. The
//   drawing starts with the bodies that moved or whose grid cells may not hold
//   them, then walks the grid's cells outwards from the camera in rings,
//   skipping cells outside the view, and leaves out a body that lies wholly
//   outside the view or farther than everything already shown in every
//   pixel, since the depth test keeps only strictly nearer candidates. When
//   the next ring lies farther than everything shown, nothing beyond can show;
//   before that, only pixels showing nothing nearer than the ring can change,
//   and only cells near their sectors are walked.
// - Threads: sensing, drawing, the robots' init and the search for what
//   their sensors may see are per robot, write only the robot's own sensors
//   and images and read what the pair phase is done with (or has not begun),
//   so they run on any number of threads with the same result. Noise is
//   drawn only in the bodies' own operations, on the calling thread.
//
// The bodies' own operations: a plain body that starts the step at rest (speed
// and angular speed +0, no collision shift, inside the walls, finite values)
// and that no contact changed is a fixed point of initInteractions,
// interactWithWalls, finalizeInteractions and step, to the bit, so they are
// left out; the polygon of every plain body is computed as usual. This relies
// on remote controls only reading the world during the robot's step.
#include "engine/BroadPhase.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <typeinfo>
#include "engine/CircularCam.h"
#include "engine/DepthTest.h"
#include "engine/IRSensor.h"
#include "engine/LocalInteraction.h"
#include "engine/NeuralRobot.h"
#include "engine/PhysicalObject.h"
#include "engine/Robot.h"
#include "engine/World.h"

namespace Fen {

namespace {

constexpr double relativeSlack = 1e-9;

bool sameBits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }
bool sameBits(const Vector& a, const Vector& b) { return sameBits(a.x, b.x) && sameBits(a.y, b.y); }

// The event (i, j) of the all-pairs loop, ordered as the loop goes.
std::uint64_t eventKey(std::uint32_t i, std::uint32_t j) { return (std::uint64_t{i} << 32) | j; }

std::uint64_t bitsOf(double x) { return std::bit_cast<std::uint64_t>(x); }
bool finite(std::uint64_t bits) { return (bits & 0x7ff0000000000000u) != 0x7ff0000000000000u; }

// Whether a plain body's own operations of this step change nothing: speeds
// and shift are +0 (so it stays where it is, adding +0 keeps a finite value
// that is not -0, and the shift is below any threshold), its walls test is
// false, and each friction constant is finite, since 0 times infinity is
// not 0. Inside the walls its coordinates exceed its radius, so are not -0.
bool atRest(const PhysicalObject& body, bool walls, double width, double height)
{
    const std::uint64_t motion = bitsOf(body.speed.x) | bitsOf(body.speed.y) | bitsOf(body.angSpeed)
        | bitsOf(body.collisionShift.x) | bitsOf(body.collisionShift.y);
    const std::uint64_t angle = bitsOf(body.angle);
    if (motion != 0 || !finite(angle) || angle == bitsOf(-0.0) || !finite(bitsOf(body.viscousFrictionTau))
        || !finite(bitsOf(body.viscousMomentFrictionTau)))
        return false;
    const Point& p = body.pos;
    const double r = body.r;
    if (walls)
        return r < p.x && r < p.y && width - p.x > r && height - p.y > r && r >= 0;
    return bitsOf(p.x) != bitsOf(-0.0) && bitsOf(p.y) != bitsOf(-0.0);
}

// Whether a body stands as it stood when its record was made: position,
// radius, angle, mass sign, kind and polygon (setBoundingSurface and every
// new absolute polygon change the version).
bool unchangedSince(const PhysicalObject& body, const Point& at, double r, double angle, bool movable, bool disc,
                    std::uint32_t polygonVersion)
{
    const std::uint64_t differences = (bitsOf(body.pos.x) ^ bitsOf(at.x)) | (bitsOf(body.pos.y) ^ bitsOf(at.y))
        | (bitsOf(body.r) ^ bitsOf(r)) | (bitsOf(body.angle) ^ bitsOf(angle));
    return differences == 0 && !(body.mass < 0) == movable && !body.hasBoundingSurface == disc
        && body.absBoundingSurfaceVersion() == polygonVersion;
}

// Whether a polygon's vertices all lie within its radius of its position,
// with room for the rounding of the rotation.
bool fitsItsCircle(const PhysicalObject& body)
{
    const double limit = body.r * (1 + 1e-12);
    const double limit2 = limit * limit;
    for (const Point& v : body.absBoundingSurface)
        if (!((v - body.pos).norm2() <= limit2))
            return false;
    return true;
}

// Bodies live apart in memory: the pre-pass asks well ahead for the numbers
// it reads of a body at rest (up to its polygon's version, in its first 112
// bytes; its polygons it does not touch unless they changed).
constexpr std::uint32_t prefetchAhead = 16;

void prefetchBody(const PhysicalObject* body)
{
    const char* bytes = reinterpret_cast<const char*>(body);
    __builtin_prefetch(bytes);
    __builtin_prefetch(bytes + 64);
    __builtin_prefetch(bytes + 111);
}

} // namespace

// ---- preparing the step -------------------------------------------------

BroadPhase::Outcome BroadPhase::step(World& world, double dt, const PhysicalObject* decider, std::size_t& at)
{
    if (!prepare(world, dt)) {
        known = false;
        return Outcome::declined;
    }
    pairPhase(world, dt);
    senseAndDraw();
    world.pairOrderFlag = !world.pairOrderFlag;
    const std::size_t none = spots.size();
    return finishStep(world, dt, 0, decider, none, &at) ? Outcome::stopped : Outcome::whole;
}

bool BroadPhase::prepare(World& world, double dt)
{
    const std::size_t n = world.objects.size();
    if (!(dt > 0 && dt < 1e9) || n >= 0x7fffffff)
        return false;
    const double scale = std::max(world.width, world.height);
    if (!(world.width > 0 && world.height > 0 && scale < 1e9))
        return false;
    // Nothing is ever farther from the arena than this: the rounding of any
    // difference of coordinates stays far below the absolute slack.
    reach = 16 * scale + 16;
    absoluteSlack = 1e-10 * reach;

    if (!known || listed.size() != n || !std::equal(listed.begin(), listed.end(), world.objects.begin())
        || width != world.width || height != world.height) {
        listed = world.objects;
        std::vector<PhysicalObject*> sorted = listed;
        std::sort(sorted.begin(), sorted.end());
        duplicates = std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
        width = world.width;
        height = world.height;
        spots.assign(n, Spot{});
        sameSince.assign(n, 0);
        proxies.assign(n, Proxy{});
        flags.assign(n, 0);
        watchers.resize(n);
        for (std::vector<std::uint32_t>& list : watchers)
            list.clear();
        robotBits.assign((n + 63) / 64, 0);
        slotOfBody.assign(n, 0);
        started.assign(n, 0);
        heights.assign(n, 0);
        firstMove.assign(n, 0);
        stamps.assign(n, 0);
        stamp = 0;
        dirty.clear();
        dirty.reserve(n);
        oneByOne.clear();
        oneByOne.reserve(2 * n);
        radii.reserve(n);
        known = false;
    }
    if (duplicates)
        return false;

    // The robots of the last step start theirs on the threads: each one's
    // start touches only itself and its sensors. Robots new to the list
    // start in the loop below.
    std::fill(started.begin(), started.end(), 0);
    if (known && threads.size() > 1 && started.size() == n) {
        threads.run(robotCount, [this](std::size_t k, unsigned) {
            Robot& robot = *robots[k].robot;
            // A sensor given to another robot since is left to the loop.
            for (const LocalInteraction* interaction : robot.localInteractions)
                if (interaction == nullptr || interaction->owner != &robot)
                    return;
            robot.initInteractions();
            robot.postInitHook();
            started[robots[k].index] = 1;
        });
    }
    pairOrder = world.pairOrderFlag;
    // Notes of quiet pairs hold step numbers; they start again with the lists.
    if (stepNumber == 0xffffffffu)
        known = false;
    stepNumber = known ? stepNumber + 1 : 1;
    if (known) {
        for (std::size_t k = 0; k < robotCount; ++k)
            for (const std::uint32_t j : robots[k].candidates)
                watchers[j].clear();
    } else {
        for (std::vector<std::uint32_t>& list : watchers)
            list.clear();
    }
    robotCount = 0;
    cameraRobots.clear();
    dirty.clear();
    oneByOne.clear();
    // Read once: the compiler cannot tell that the bodies' fields are not these.
    const bool walls = world.useWalls;
    const double arenaWidth = world.width;
    const double arenaHeight = world.height;
    for (std::uint32_t i = 0; i < n; ++i) {
        // The bodies live apart in memory: ask for the next ones early.
        if (i + prefetchAhead < n)
            prefetchBody(world.objects[i + prefetchAhead]);
        PhysicalObject& body = *world.objects[i];
        Spot& spot = spots[i];
        heights[i] = body.height;
        std::uint8_t state = 0;
        if (typeid(body) == typeid(PhysicalObject)) {
            // initInteractions; at rest, its clearing of the shift changes nothing.
            if (atRest(body, walls, arenaWidth, arenaHeight)) {
                state = resting;
                // At rest where the last step found it, as it was then: its
                // records stand, it stays placed, and its absolute polygon
                // was computed from this position, angle and polygon.
                if (known && spot.settled
                    && unchangedSince(body, spot.at, spot.r, spot.angle, spot.movable, spot.disc,
                                      spot.polygonVersion)) {
                    flags[i] = resting;
                    if (spot.outsider || spot.misfit)
                        oneByOne.push_back(i);
                    continue;
                }
            } else {
                body.collisionShift = Vector{0, 0};
            }
            body.computeAbsBoundingSurface();
        } else if (typeid(body) == typeid(Robot) || typeid(body) == typeid(NeuralRobot)) {
            Robot& robot = static_cast<Robot&>(body);
            if (!started[i]) {
                body.initInteractions();
                body.postInitHook();
            }
            if (!describeRobot(robot, i))
                return false;
            state = isRobot;
        } else {
            return false;
        }
        const Point p = body.pos;
        const double r = body.r;
        // A body resting strictly inside the walls is within the bounds.
        if (!((state & resting) && walls) && !(within(p) && r >= 0 && r <= reach))
            return false;
        const bool movable = !(body.mass < 0);
        const bool disc = !body.hasBoundingSurface;

        const Point before = spot.at;
        const std::uint32_t polygonVersion = body.absBoundingSurfaceVersion();
        const bool sameShape = known && sameBits(r, spot.r) && disc == spot.disc;
        if (!sameShape || !sameBits(p, before) || polygonVersion != spot.polygonVersion)
            sameSince[i] = stepNumber;
        spot.polygonVersion = polygonVersion;
        flags[i] = state;
        const Vector off = p - spot.centre;
        // A resting body gives back a margin it grew while it moved.
        const bool stays = sameShape && movable == spot.movable && off.norm2() <= spot.room2
            && !((state & resting) && spot.shrinkable);
        spot.at = p;
        spot.r = r;
        spot.angle = body.angle;
        spot.settled = stays && !spot.shrinkable;
        if (!stays) {
            proxies[i].lastMove = (p - before).norm();
            spot.movable = movable;
            spot.disc = disc;
            dirty.push_back(i);
        } else if (spot.outsider || spot.misfit) {
            oneByOne.push_back(i);
        }
    }

    if (!known) {
        rebuild(world);
        reserveLists();
    } else {
        for (const std::uint32_t i : dirty) {
            grid.remove(i);
            pairs.unlinkAll(i);
            const double least = minimumMargin(spots[i].r);
            place(i, std::clamp(3 * proxies[i].lastMove, least, std::max(least, 0.5 * cell)));
        }
        for (const std::uint32_t i : dirty)
            linkPairs(i, false);
    }
    // A polygon set through setBoundingSurface fits its radius, and turning
    // or moving it keeps that; a radius changed by hand makes the body dirty.
    for (const std::uint32_t i : dirty) {
        Spot& spot = spots[i];
        spot.misfit = !spot.disc && !fitsItsCircle(*world.objects[i]);
        if (spot.outsider || spot.misfit)
            oneByOne.push_back(i);
    }
    std::fill(robotBits.begin(), robotBits.end(), 0);
    sensorSpan = 0;
    listCandidates();
    known = true;
    return true;
}

void BroadPhase::nextStamp()
{
    if (++stamp == 0) {
        // Stamps wrap after some billions of queries: start them again.
        std::fill(stamps.begin(), stamps.end(), 0);
        stamp = 1;
    }
}

double BroadPhase::minimumMargin(double r) const { return 0.02 * r + std::max(0.01 * cell, 1000 * absoluteSlack); }

bool BroadPhase::within(const Point& p) const { return std::fabs(p.x) <= reach && std::fabs(p.y) <= reach; }

// A robot of a known kind whose interactions are all known, cameras first.
bool BroadPhase::describeRobot(Robot& robot, std::uint32_t index)
{
    if (!robot.globalInteractions.empty())
        return false;
    if (robotCount == robots.size())
        robots.emplace_back();
    RobotInfo& info = robots[robotCount];
    info.index = index;
    info.robot = &robot;
    info.sensors.clear();
    info.cameras.clear();
    info.sightings.clear();
    for (LocalInteraction* interaction : robot.localInteractions) {
        if (interaction == nullptr)
            return false;
        if (typeid(*interaction) == typeid(CircularCam)) {
            auto* camera = static_cast<CircularCam*>(interaction);
            // A camera sees every body only if nothing before it can end the visit.
            if (!info.sensors.empty() || camera->owner != &robot || camera->r != std::numeric_limits<double>::max()
                || camera->pixelOperation != &DepthTest::instance()
                || std::find(info.cameras.begin(), info.cameras.end(), camera) != info.cameras.end())
                return false;
            info.cameras.push_back(camera);
        } else if (typeid(*interaction) == typeid(IRSensor)) {
            auto* sensor = static_cast<IRSensor*>(interaction);
            // Its own, so that no other robot's sensing, on another thread
            // or in another order, touches it.
            if (sensor->owner != &robot)
                return false;
            if (!(sensor->reachRadius >= 0 && sensor->reachRadius <= reach && within(sensor->absReachCentre)))
                return false;
            info.sensors.push_back(sensor);
        } else {
            return false;
        }
    }
    if (!info.cameras.empty())
        cameraRobots.push_back(static_cast<std::uint32_t>(robotCount));
    slotOfBody[index] = static_cast<std::uint32_t>(robotCount);
    ++robotCount;
    return true;
}

// Room for what a robot usually meets and a body's usual watchers, so that
// steady steps allocate nothing; the room for all robots together is
// bounded, and a robot in a thick crowd grows its lists as it needs.
void BroadPhase::reserveLists()
{
    const std::size_t n = spots.size();
    const std::size_t share = robotCount == 0 ? 0 : std::max<std::size_t>(64, (std::size_t{1} << 18) / robotCount);
    for (std::size_t k = 0; k < robotCount; ++k) {
        robots[k].candidates.reserve(std::min(n, share));
        robots[k].sightings.reserve(std::min(n, share));
    }
    const std::size_t usual = std::min<std::size_t>(robotCount, 8);
    for (std::vector<std::uint32_t>& list : watchers)
        list.reserve(usual);
}

// Lays the grid over the arena (and a border) with cells about four median
// radii wide, and places every body.
void BroadPhase::rebuild(const World& world)
{
    const std::size_t n = spots.size();
    radii.clear();
    for (const Spot& s : spots)
        radii.push_back(s.r);
    double median = 0;
    if (n > 0) {
        std::nth_element(radii.begin(), radii.begin() + n / 2, radii.end());
        median = radii[n / 2];
    }
    const double area = world.width * world.height;
    // No more cells than bodies: the camera's walk visits cells, not bodies.
    const double smallest = std::sqrt(area / (static_cast<double>(n) + 16));
    cell = std::max(4 * median, smallest);
    const double border = cell;
    grid.reset(-border, -border, world.width + border, world.height + border, cell, n);
    pairs.reset(n);
    dirty.clear();
    for (std::uint32_t i = 0; i < n; ++i) {
        proxies[i].lastMove = 0;
        place(i, minimumMargin(spots[i].r));
        dirty.push_back(i);
    }
    for (std::uint32_t i = 0; i < n; ++i)
        linkPairs(i, true);
}

// Puts body i into the grid with a fat circle around its spot.
void BroadPhase::place(std::uint32_t i, double margin)
{
    Spot& spot = spots[i];
    proxies[i].margin = margin;
    const double room = margin - absoluteSlack;
    spot.room2 = room * room;
    spot.shrinkable = margin > 2 * minimumMargin(spot.r);
    spot.settled = false;
    spot.centre = spot.at;
    const double fat = spot.r + margin;
    const Box box{spot.centre.x - fat, spot.centre.y - fat, spot.centre.x + fat, spot.centre.y + fat};
    grid.insert(i, box);
    // The camera's walk needs a body's cells to hold it.
    spot.outsider = !grid.holds(box);
}

// Lists the pairs of body i with every body whose fat circle meets its own
// (both immovable: never, they cannot act on each other); with laterOnly,
// only partners of higher index, for a first placing of all bodies.
void BroadPhase::linkPairs(std::uint32_t i, bool laterOnly)
{
    const Spot& a = spots[i];
    const double fat = a.r + proxies[i].margin;
    const Box box{a.centre.x - fat, a.centre.y - fat, a.centre.x + fat, a.centre.y + fat};
    nextStamp();
    stamps[i] = stamp;
    grid.forEachInBox(box, [&](std::uint32_t j) {
        if (stamps[j] == stamp || (laterOnly && j < i))
            return;
        stamps[j] = stamp;
        const Spot& b = spots[j];
        if (!a.movable && !b.movable)
            return;
        const Vector d = a.centre - b.centre;
        const double meet = (fat + b.r + proxies[j].margin) * (1 + relativeSlack) + absoluteSlack;
        if (d.norm2() <= meet * meet)
            pairs.link(i, j);
    });
}

// Whether body j's fat circle meets a reach circle of one of the robot's
// infrared sensors.
bool BroadPhase::mayBeSeen(const RobotInfo& info, std::uint32_t j) const
{
    if (j == info.index)
        return false;
    const Spot& b = spots[j];
    const double fat = b.r + proxies[j].margin;
    for (const IRSensor* sensor : info.sensors) {
        const Vector d = b.centre - sensor->absReachCentre;
        const double meet = (sensor->reachRadius + fat) * (1 + relativeSlack) + absoluteSlack;
        if (d.norm2() <= meet * meet)
            return true;
    }
    return false;
}

// The bodies a robot's sensors may see, sorted, and how far they reach from
// the centre of its fat circle; reads only the grid and the records.
void BroadPhase::findCandidates(RobotInfo& info, Scratch& own) const
{
    info.candidates.clear();
    info.span = 0;
    if (info.sensors.empty())
        return;
    const Point centre = spots[info.index].centre;
    Box box{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
            std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const IRSensor* sensor : info.sensors) {
        const Point& c = sensor->absReachCentre;
        const double r = sensor->reachRadius;
        box = Box{std::min(box.minX, c.x - r), std::min(box.minY, c.y - r), std::max(box.maxX, c.x + r),
                  std::max(box.maxY, c.y + r)};
        info.span = std::max(info.span, (c - centre).norm() + r);
    }
    // A body's cells hold its fat circle, and a fat circle meeting a reach
    // circle overlaps the box around all of them.
    const std::uint32_t stamp = own.next();
    grid.forEachInBox(box, [&](std::uint32_t j) {
        if (own.stamps[j] == stamp)
            return;
        own.stamps[j] = stamp;
        if (mayBeSeen(info, j))
            info.candidates.push_back(j);
    });
    std::sort(info.candidates.begin(), info.candidates.end());
}

// Every robot's candidates, found on the threads, then its watchers noted in
// list order, so that every body's come sorted.
void BroadPhase::listCandidates()
{
    prepareScratch();
    threads.run(robotCount, [this](std::size_t k, unsigned worker) { findCandidates(robots[k], scratch[worker]); });
    for (std::uint32_t slot = 0; slot < robotCount; ++slot) {
        const RobotInfo& info = robots[slot];
        if (info.sensors.empty())
            continue;
        sensorSpan = std::max(sensorSpan, info.span);
        robotBits[info.index / 64] |= std::uint64_t{1} << (info.index % 64);
        for (const std::uint32_t j : info.candidates) {
            watchers[j].push_back(slot);
            robotBits[j / 64] |= std::uint64_t{1} << (j % 64);
        }
    }
}

void BroadPhase::prepareScratch()
{
    if (scratch.size() < threads.size())
        scratch.resize(threads.size());
    for (Scratch& own : scratch) {
        if (own.stamps.size() != spots.size()) {
            own.stamps.assign(spots.size(), 0);
            own.stamp = 0;
        }
    }
}

std::uint32_t BroadPhase::Scratch::next()
{
    if (++stamp == 0) {
        // Stamps wrap after some billions of queries: start them again.
        std::fill(stamps.begin(), stamps.end(), 0);
        stamp = 1;
    }
    return stamp;
}

// ---- the pair phase -------------------------------------------------------

namespace {

// The first element of a sorted list above `last`, or `none`.
constexpr std::uint64_t none = std::numeric_limits<std::uint64_t>::max();

std::uint64_t nextAfter(std::span<const std::uint32_t> list, std::uint64_t last)
{
    const auto it =
        last == none ? list.begin() : std::upper_bound(list.begin(), list.end(), static_cast<std::uint32_t>(last));
    return it == list.end() ? none : *it;
}

} // namespace

void BroadPhase::pairPhase(World& world, double dt)
{
    exhaustive = false;
    world.visitsLastStep = 0;
    moves.clear();
    for (const std::uint32_t slot : cameraRobots)
        for (CircularCam* camera : robots[slot].cameras)
            camera->deferDrawing = true;

    // Only bodies with pairs, robots and what robots may see have events.
    // The bits are read afresh after every body: a body a contact placed
    // again may have given new pairs to bodies further on.
    const std::vector<std::uint64_t>& paired = pairs.occupied();
    for (std::size_t word = 0; word < paired.size(); ++word) {
        std::uint64_t done = 0;
        for (;;) {
            const std::uint64_t bits = (paired[word] | robotBits[word]) & ~done;
            if (bits == 0)
                break;
            const int bit = std::countr_zero(bits);
            done = bit == 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << bit) - 1;
            const auto i = static_cast<std::uint32_t>(word * 64 + bit);
            if (pairOrder ? eventsAsCaller(world, dt, i) : eventsAsCallee(world, dt, i))
                return;
        }
    }
}

// Events (i, j) with pairOrderFlag set: body i calls on j. A plain body acts
// on its pairs above it; a robot on its pairs and on what it may see. True
// when the rest of the step must make every event.
bool BroadPhase::eventsAsCaller(World& world, double dt, std::uint32_t i)
{
    std::span<const std::uint32_t> partners = pairs.partners(i);
    std::span<const std::uint32_t> notes = pairs.notes(i);
    std::uint64_t version = pairs.version();
    // After an edit of the lists, find the place again after the last partner.
    const auto refresh = [&](std::uint32_t last, std::size_t& k) {
        if (pairs.version() == version)
            return;
        version = pairs.version();
        partners = pairs.partners(i);
        notes = pairs.notes(i);
        k = std::upper_bound(partners.begin(), partners.end(), last) - partners.begin();
    };
    if (!(flags[i] & isRobot)) {
        std::size_t k = std::upper_bound(partners.begin(), partners.end(), i) - partners.begin();
        while (k < partners.size()) {
            const std::uint32_t j = partners[k++];
            visitPlainPair(world, i, j, eventKey(i, j), notes[k - 1]);
            if (exhaustive)
                return visitTheRest(world, dt, i, j), true;
            refresh(j, k);
        }
        return false;
    }
    const RobotInfo& info = robots[slotOf(i)];
    std::size_t k = 0;
    for (std::uint64_t last = none;;) {
        while (k < partners.size() && last != none && partners[k] <= last)
            ++k;
        const std::uint64_t pair = k < partners.size() ? partners[k] : none;
        const std::uint64_t seen = nextAfter(info.candidates, last);
        last = std::min(pair, seen);
        if (last == none)
            return false;
        const auto j = static_cast<std::uint32_t>(last);
        visit(world, dt, i, j, eventKey(i, j));
        if (exhaustive)
            return visitTheRest(world, dt, i, j), true;
        refresh(j, k);
    }
}

// Events (i, j) without pairOrderFlag: body j calls on body i. A plain j acts
// when it is the lower index; a robot j on its pairs and what it may see.
bool BroadPhase::eventsAsCallee(World& world, double dt, std::uint32_t i)
{
    std::span<const std::uint32_t> partners = pairs.partners(i);
    std::span<const std::uint32_t> notes = pairs.notes(i);
    std::uint64_t version = pairs.version();
    std::size_t k = 0;
    for (std::uint64_t last = none;;) {
        if (pairs.version() != version) {
            version = pairs.version();
            partners = pairs.partners(i);
            notes = pairs.notes(i);
            k = std::upper_bound(partners.begin(), partners.end(), static_cast<std::uint32_t>(last)) - partners.begin();
        }
        std::uint64_t next = k < partners.size() ? partners[k] : none;
        // Robots are listed in `robots` in list order: the first watcher
        // after `last` has the lowest index after it.
        const std::vector<std::uint32_t>& watching = watchers[i];
        const auto after = last == none ? watching.begin()
                                        : std::upper_bound(watching.begin(), watching.end(), last,
                                                           [this](std::uint64_t value, std::uint32_t slot) {
                                                               return value < robots[slot].index;
                                                           });
        if (after != watching.end() && robots[*after].index < next)
            next = robots[*after].index;
        if (next == none)
            return false;
        const auto j = static_cast<std::uint32_t>(next);
        const bool listed = k < partners.size() && partners[k] == j;
        const std::uint32_t note = listed ? notes[k] : 0;
        if (listed)
            ++k;
        last = next;
        if (flags[j] & isRobot)
            visit(world, dt, j, i, eventKey(i, j));
        else if (j < i)
            visitPlainPair(world, j, i, eventKey(i, j), note);
        else
            continue;
        if (exhaustive)
            return visitTheRest(world, dt, i, j), true;
    }
}

std::size_t BroadPhase::slotOf(std::uint32_t index) const { return slotOfBody[index]; }

// Every event after (i, j), as the all-pairs loop makes them.
void BroadPhase::visitTheRest(World& world, double dt, std::uint32_t i, std::uint32_t j)
{
    const std::uint32_t n = static_cast<std::uint32_t>(spots.size());
    for (std::uint64_t next = eventKey(i, j) + 1;; ++next) {
        std::uint32_t a = static_cast<std::uint32_t>(next >> 32);
        std::uint32_t b = static_cast<std::uint32_t>(next);
        if (b >= n) {
            ++a;
            b = 0;
            next = eventKey(a, b);
        }
        if (a >= n)
            return;
        if (a == b)
            continue;
        if (pairOrder)
            visit(world, dt, a, b, next);
        else
            visit(world, dt, b, a, next);
    }
}

// The event in which plain body `caller` collides with `callee` above it in
// the list. While neither has moved in this step they stand where the step
// found them. A contact search that found nothing on the same positions,
// radii and polygons (the pair's note is no older than either body's
// sameSince) finds nothing again, in either argument order (disc and polygon
// are searched the same way both ways; two polygons, by the vertices of
// both), and collideObjects' own first test on those numbers tells whether
// their circles are apart, which is such a search too. Two discs whose
// circles meet always touch.
void BroadPhase::visitPlainPair(World& world, std::uint32_t caller, std::uint32_t callee, std::uint64_t key,
                                std::uint32_t quietAt)
{
    const bool still = ((flags[caller] | flags[callee]) & moved) == 0;
    if (still) {
        if (quietAt != 0 && quietAt >= sameSince[caller] && quietAt >= sameSince[callee])
            return;
        const Spot& a = spots[caller];
        const Spot& b = spots[callee];
        const Vector d = a.at - b.at;
        const double sum = a.r + b.r;
        if (d.x * d.x + d.y * d.y > sum * sum) {
            pairs.setNote(caller, callee, stepNumber);
            return;
        }
    }
    const bool found = visit(world, 0, caller, callee, key);
    if (still && !found)
        pairs.setNote(caller, callee, stepNumber);
}

// Makes one event of the all-pairs loop and notes what it changed.
bool BroadPhase::visit(World& world, double dt, std::uint32_t caller, std::uint32_t callee, std::uint64_t key)
{
    PhysicalObject& a = *listed[caller];
    PhysicalObject& b = *listed[callee];
    ++world.visitsLastStep;
    const Before beforeA{a.pos, a.angSpeed, a.collisionShift};
    const Before beforeB{b.pos, b.angSpeed, b.collisionShift};
    bool found = true;
    if (flags[caller] & isRobot)
        robotEvent(world, dt, caller, callee);
    else if (caller < callee) // what PhysicalObject::interactWithObject does
        found = pairOrder ? world.collideObjects(a, b) : world.collideObjects(b, a);
    else
        found = false;
    settle(caller, beforeA, key);
    settle(callee, beforeB, key);
    return found;
}

// Robot::interactWithObject with the sensing put off: its interactions come
// cameras first, then infrared sensors, by decreasing reach, and the first
// out of reach ends the visit, the collision included. The cameras draw
// later anyway; the sensors met are noted with where the body stands now,
// which is all a sensor reads of it that the pair phase may change.
void BroadPhase::robotEvent(World& world, double dt, std::uint32_t caller, std::uint32_t callee)
{
    Robot& robot = *static_cast<Robot*>(listed[caller]);
    PhysicalObject& other = *listed[callee];
    RobotInfo& info = robots[slotOfBody[caller]];
    const Vector d = robot.pos - other.pos;
    const double d2 = d.x * d.x + d.y * d.y;
    std::uint32_t met = 0;
    bool collides = true;
    for (const LocalInteraction* interaction : robot.localInteractions) {
        const double reach = interaction->r + other.r;
        if (!(reach * reach > d2)) {
            collides = false;
            break;
        }
        ++met;
    }
    const auto cameras = static_cast<std::uint32_t>(info.cameras.size());
    if (met > cameras)
        info.sightings.push_back(Sighting{callee, met - cameras, other.pos});
    if (collides)
        robot.PhysicalObject::interactWithObject(world, other, dt, caller < callee);
}

void BroadPhase::settle(std::uint32_t i, const Before& before, std::uint64_t key)
{
    const PhysicalObject& body = *listed[i];
    if (!sameBits(body.pos, before.pos)) {
        // The cameras draw it where it stood at their events.
        if (!cameraRobots.empty())
            moves.push_back(Move{i, key, before.pos});
        if (!(flags[i] & moved))
            oneByOne.push_back(i);
        flags[i] |= moved | touched;
        const Vector off = body.pos - spots[i].centre;
        if (!exhaustive && !(off.norm2() <= spots[i].room2))
            escape(i);
    } else if (!sameBits(body.angSpeed, before.angSpeed) || !sameBits(body.collisionShift, before.collisionShift)) {
        flags[i] |= touched;
    }
}

// A contact took body i out of its fat circle during the pair phase: place it
// again where it stands with a wider margin, list its new pairs, and let
// robots that may now see it visit it. Events already made were right to
// leave it out; the walks of the pair phase look up their next partner afresh
// after every event, so they meet the new pairs.
void BroadPhase::escape(std::uint32_t i)
{
    const Point p = listed[i]->pos;
    if (!within(p)) {
        // Beyond the bounds the slack covers: no more leaving out.
        exhaustive = true;
        return;
    }
    grid.remove(i);
    pairs.unlinkAll(i);
    const double least = minimumMargin(spots[i].r);
    const double wanted = std::max(2 * proxies[i].margin, 3 * (p - spots[i].at).norm());
    // Placed around where it stands; spots[i].at keeps the start of the step.
    const Point start = spots[i].at;
    spots[i].at = p;
    place(i, std::clamp(wanted, least, std::max(least, 0.5 * cell)));
    spots[i].at = start;
    linkPairs(i, false);
    if (flags[i] & isRobot) {
        // Its sensors stay where the step began; its cells moved.
        for (const IRSensor* sensor : robots[slotOfBody[i]].sensors)
            sensorSpan = std::max(sensorSpan, (sensor->absReachCentre - spots[i].centre).norm() + sensor->reachRadius);
    }
    if (robotCount == 0 || !(sensorSpan > 0))
        return;
    // A robot whose sensors may now see it has the centre of its fat circle,
    // which its cells hold, within sensorSpan of its fat circle.
    const Spot& spot = spots[i];
    const double grow = spot.r + proxies[i].margin + sensorSpan * (1 + 1e-6) + 4 * absoluteSlack;
    const Box box{spot.centre.x - grow, spot.centre.y - grow, spot.centre.x + grow, spot.centre.y + grow};
    nextStamp();
    grid.forEachInBox(box, [&](std::uint32_t j) {
        if (stamps[j] == stamp)
            return;
        stamps[j] = stamp;
        if (!(flags[j] & isRobot))
            return;
        const std::uint32_t slot = slotOfBody[j];
        RobotInfo& info = robots[slot];
        std::vector<std::uint32_t>& watching = watchers[i];
        const auto at = std::lower_bound(watching.begin(), watching.end(), slot);
        if ((at != watching.end() && *at == slot) || !mayBeSeen(info, i))
            return;
        watching.insert(at, slot);
        info.candidates.insert(std::upper_bound(info.candidates.begin(), info.candidates.end(), i), i);
        robotBits[i / 64] |= std::uint64_t{1} << (i % 64);
    });
}

// ---- the cameras ----------------------------------------------------------

// After the pair phase: every robot's sensors see what they met, in the
// order they met it, and its cameras draw. Each robot writes only its own
// sensors and images, and reads bodies the pair phase is done with, so the
// threads may share the robots out as they like.
void BroadPhase::senseAndDraw()
{
    if (robotCount == 0)
        return;
    // Each moved body's moves together, in event order.
    if (!cameraRobots.empty()) {
        // A body moves at most once an event: (body, event) orders them all.
        std::sort(moves.begin(), moves.end(), [](const Move& a, const Move& b) {
            return a.body != b.body ? a.body < b.body : a.key < b.key;
        });
        for (std::size_t m = moves.size(); m-- > 0;)
            firstMove[moves[m].body] = static_cast<std::uint32_t>(m);
        for (const std::uint32_t slot : cameraRobots)
            for (CircularCam* camera : robots[slot].cameras)
                camera->deferDrawing = false;
    }
    prepareScratch();
    threads.run(robotCount, [this](std::size_t k, unsigned worker) {
        const RobotInfo& info = robots[k];
        for (const Sighting& sighting : info.sightings) {
            const PhysicalObject& body = *listed[sighting.body];
            for (std::uint32_t s = 0; s < sighting.sensors; ++s)
                info.sensors[s]->seeBodyAt(body, sighting.at);
        }
        if (info.cameras.empty())
            return;
        for (CircularCam* camera : info.cameras)
            drawCamera(*camera, info.index, scratch[worker]);
    });
}

// Where a body stood at the owner's camera event: before the first contact
// that moved it in or after that event, or where it stands now.
Point BroadPhase::seenPosition(std::uint32_t body, std::uint32_t owner) const
{
    if (!(flags[body] & moved))
        return listed[body]->pos;
    const std::uint64_t seen = pairOrder ? eventKey(owner, body) : eventKey(body, owner);
    for (std::size_t m = firstMove[body]; m < moves.size() && moves[m].body == body; ++m)
        if (moves[m].key >= seen)
            return moves[m].before;
    return listed[body]->pos;
}

// Whether body i, untouched by contacts, can be left out: it lies outside the
// view, or every pixel already shows something strictly nearer.
bool BroadPhase::cull(const CircularCam& camera, std::uint32_t i) const
{
    // From the records, not the bodies, which lie apart in memory: a body
    // no contact moved stands where the step found it. Lower than the
    // camera, drawing leaves it out anyway.
    if (heights[i] < camera.height)
        return true;
    const Spot& spot = spots[i];
    if (spot.disc) {
        const Point& p = spot.at;
        if (!camera.mayShow(p, spot.r))
            return true;
        // The disc's depth, computed as its drawing does.
        const double d = (p - camera.absPos).norm();
        return d * d > camera.farthestDepth();
    }
    const double radius = spot.r * (1 + 2e-12);
    return !camera.mayShow(spot.at, radius) || camera.nearestDepth(spot.at, radius) > camera.farthestDepth();
}

void BroadPhase::drawCamera(CircularCam& camera, std::uint32_t owner, Scratch& own) const
{
    camera.beginDrawingInOrder();
    std::vector<std::uint32_t>& stamps = own.stamps;
    const std::uint32_t stamp = own.next();
    stamps[owner] = stamp;
    for (const std::uint32_t i : oneByOne) {
        if (stamps[i] == stamp)
            continue;
        stamps[i] = stamp;
        camera.drawInOrder(*listed[i], seenPosition(i, owner), i);
    }
    if (exhaustive) {
        for (std::uint32_t i = 0; i < listed.size(); ++i)
            if (stamps[i] != stamp)
                camera.drawInOrder(*listed[i], seenPosition(i, owner), i);
        return;
    }

    const Point eye = camera.absPos;
    const double s = grid.cellSize();
    const int columns = grid.columns();
    const int rows = grid.rows();
    const bool inside = eye.x >= grid.left() && eye.y >= grid.bottom() && eye.x <= grid.left() + columns * s
        && eye.y <= grid.bottom() + rows * s;
    const int cx = grid.column(eye.x);
    const int cy = grid.row(eye.y);
    const int rings = std::max(std::max(cx, columns - 1 - cx), std::max(cy, rows - 1 - cy));
    // A cell may hold a point in view if its centre comes within half its
    // diagonal of the view. Cell centres are reached from the camera's cell
    // by whole steps of rotated cell sides. Once a ring's distance bound
    // holds, only pixels showing nothing nearer than it can still change:
    // the walk looks only into the sectors of those pixels, as drawing
    // reaches a pixel only from within a pixel's angle of its line.
    const CircularCam::ViewCone cone = camera.viewCone();
    const Point eyeCell{grid.left() + (cx + 0.5) * s, grid.bottom() + (cy + 0.5) * s};
    struct Sector {
        CircularCam::ViewCone cone;
        Vector base;
        Vector stepX;
        Vector stepY;
    };
    constexpr std::size_t mostSectors = 4;
    std::array<Sector, mostSectors> sectors;
    std::size_t sectorCount = 1;
    const auto setSector = [&](std::size_t k, const CircularCam::ViewCone& view) {
        sectors[k] = Sector{view, view.toView(eyeCell - eye), view.toView(Vector{s, 0}), view.toView(Vector{0, s})};
    };
    setSector(0, cone);
    // The runs of pixels that may still change (depth at least `near`
    // squared); false when none may.
    const auto openSectors = [&](double near) {
        const std::vector<double>& depths = camera.zBuffer;
        const double bound = near * near;
        std::array<std::pair<std::size_t, std::size_t>, mostSectors> runs;
        std::size_t count = 0;
        for (std::size_t k = 0; k < depths.size(); ++k) {
            if (!(depths[k] >= bound))
                continue;
            // Runs a few pixels apart share a sector; past the most
            // sectors, the last one takes in the rest.
            if (count > 0 && (k <= runs[count - 1].second + 3 || count == mostSectors))
                runs[count - 1].second = k;
            else
                runs[count++] = {k, k};
        }
        for (std::size_t r = 0; r < count; ++r)
            setSector(r, camera.pixelCone(runs[r].first, runs[r].second));
        sectorCount = count;
        return count > 0;
    };
    const double eyeSize = std::fabs(eye.x) + std::fabs(eye.y);
    double room = 0;
    const auto visitCell = [&](int x, int y) {
        if (cone.culls) {
            bool near = false;
            for (std::size_t r = 0; r < sectorCount && !near; ++r) {
                const Sector& sector = sectors[r];
                near = sector.cone.near(sector.base + sector.stepX * (x - cx) + sector.stepY * (y - cy), room);
            }
            if (!near)
                return;
        }
        grid.forEachInCell(x, y, [&](std::uint32_t i) {
            if (stamps[i] == stamp)
                return;
            stamps[i] = stamp;
            if (cull(camera, i))
                return;
            camera.drawInOrder(*listed[i], listed[i]->pos, i);
        });
    };
    for (int k = 0; k <= rings; ++k) {
        if (inside && k >= 1) {
            // Every point not met yet lies at least (k - 1) cells away.
            const double near = (k - 1) * s * (1 - 1e-9) - 1e-9 * (1 + std::fabs(eye.x) + std::fabs(eye.y));
            if (near > 0 && near * near > camera.farthestDepth())
                break;
            if (near > 0 && cone.culls && !openSectors(near))
                break;
        }
        // Centres of ring k lie within (k + 1/2) diagonals of the camera.
        room = cone.room(s * 0.7072, (k + 1) * s * 1.4143, 2 * eyeSize + 2 * (k + 2) * s);
        const int x0 = cx - k;
        const int x1 = cx + k;
        const int y0 = cy - k;
        const int y1 = cy + k;
        // A side of the ring: cells from..to along one row or column. Only
        // the part the sectors' intervals reach (widened by a cell against
        // rounding) is tested cell by cell.
        const auto side = [&](int fixed, int from, int to, bool row) {
            if (from > to)
                return;
            if (cone.culls) {
                double low = std::numeric_limits<double>::infinity();
                double high = -std::numeric_limits<double>::infinity();
                for (std::size_t r = 0; r < sectorCount; ++r) {
                    const Sector& sector = sectors[r];
                    const Vector start = row ? sector.base + sector.stepX * (from - cx) + sector.stepY * (fixed - cy)
                                             : sector.base + sector.stepX * (fixed - cx) + sector.stepY * (from - cy);
                    const auto [a, b] = sector.cone.span(start, row ? sector.stepX : sector.stepY, room);
                    if (a <= b) {
                        low = std::min(low, a);
                        high = std::max(high, b);
                    }
                }
                if (!(low <= high))
                    return;
                const double first = std::max(std::floor(low) - 1, 0.0);
                const double last = std::min(std::ceil(high) + 1, static_cast<double>(to - from));
                if (first > last)
                    return;
                to = from + static_cast<int>(last);
                from += static_cast<int>(first);
            }
            for (int t = from; t <= to; ++t) {
                if (row)
                    visitCell(t, fixed);
                else
                    visitCell(fixed, t);
            }
        };
        const int left = std::max(x0, 0);
        const int right = std::min(x1, columns - 1);
        if (y0 >= 0)
            side(y0, left, right, true);
        if (k > 0 && y1 < rows)
            side(y1, left, right, true);
        const int lowest = std::max(y0 + 1, 0);
        const int highest = std::min(y1 - 1, rows - 1);
        if (x0 >= 0)
            side(x0, lowest, highest, false);
        if (k > 0 && x1 < columns)
            side(x1, lowest, highest, false);
    }
}

// ---- the bodies' own operations ----------------------------------------------

void BroadPhase::appendChanged(std::vector<std::uint32_t>& out) const
{
    // As finishStep tells them: a body at rest that no contact touched had
    // its operations left out, being their fixed point.
    for (std::uint32_t i = 0; i < flags.size(); ++i)
        if ((flags[i] & (resting | touched)) != resting)
            out.push_back(i);
}

bool BroadPhase::finishStep(World& world, double dt, std::size_t from, const PhysicalObject* decider,
                            std::size_t prepared, std::size_t* at)
{
    const std::size_t n = spots.size();
    for (std::size_t i = from; i < n; ++i) {
        const std::uint8_t state = flags[i];
        if ((state & (resting | touched)) == resting)
            continue;
        PhysicalObject& body = *listed[i];
        if (state & isRobot) {
            if (i != prepared) {
                if (world.useWalls)
                    body.interactWithWalls(world);
                body.doGlobalInteractions(world, dt);
                body.finalizeInteractions(dt);
                body.preStepHook();
                if (&body == decider) {
                    *at = i;
                    return true;
                }
            }
            body.step(dt);
            continue;
        }
        if (world.useWalls)
            body.PhysicalObject::interactWithWalls(world);
        body.PhysicalObject::finalizeInteractions(dt);
        body.PhysicalObject::step(dt);
    }
    return false;
}

} // namespace Fen
