#include "engine/World.h"

#include <algorithm>
#include <utility>
#include <cmath>
#include "engine/BroadPhase.h"
#include "engine/PhysicalObject.h"

namespace Fen {

World::World(double width_, double height_) : width(width_), height(height_), broadPhase(std::make_unique<BroadPhase>())
{
}

World::~World()
{
    // A body listed twice is destroyed once.
    std::vector<PhysicalObject*> bodies = objects;
    std::sort(bodies.begin(), bodies.end());
    bodies.erase(std::unique(bodies.begin(), bodies.end()), bodies.end());
    for (PhysicalObject* body : bodies)
        delete body;
}

void World::addObject(PhysicalObject* object) { objects.push_back(object); }

void World::removeObject(PhysicalObject* object)
{
    const auto found = std::find(objects.begin(), objects.end(), object);
    if (found != objects.end())
        objects.erase(found);
}

void World::step(double dt) { beginStep(dt, nullptr); }

bool World::beginStep(double dt, const PhysicalObject* decider)
{
    paused = Paused{};
    const bool broad = pairSearch == PairSearch::broadPhase
        || (pairSearch == PairSearch::automatic && objects.size() >= broadPhaseFrom);
    std::size_t at = 0;
    const BroadPhase::Outcome outcome = broad ? broadPhase->step(*this, dt, decider, at) : BroadPhase::Outcome::declined;
    broadLastStep = outcome != BroadPhase::Outcome::declined;
    if (outcome == BroadPhase::Outcome::stopped)
        paused = Paused{true, true, dt, at};
    if (broadLastStep)
        return paused.begun;
    broadPhase->forget();
    return stepAllPairs(dt, decider);
}

void World::finishStep()
{
    if (!paused.begun)
        return;
    const Paused taken = std::exchange(paused, Paused{});
    if (taken.broad)
        broadPhase->finishStep(*this, taken.dt, taken.at, nullptr, taken.at);
    else
        stepBodies(taken.at, true, taken.dt, nullptr);
}

void World::abandonStep()
{
    paused = Paused{};
    broadPhase->forget();
}

void World::forgetPairCaches() { broadPhase->forget(); }

void World::setThreads(unsigned count) { broadPhase->setThreads(count); }

unsigned World::threads() const { return broadPhase->threadCount(); }

void World::bodiesChangedInLastStep(std::vector<std::uint32_t>& out) const
{
    out.clear();
    if (broadLastStep) {
        broadPhase->appendChanged(out);
        return;
    }
    for (std::uint32_t i = 0; i < objects.size(); ++i)
        out.push_back(i);
}

bool World::stepAllPairs(double dt, const PhysicalObject* decider)
{
    const std::size_t n = objects.size();
    for (std::size_t i = 0; i < n; ++i) {
        objects[i]->initInteractions();
        objects[i]->postInitHook();
    }
    // Every ordered pair once; the argument order alternates from step to step.
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i)
                continue;
            if (pairOrderFlag)
                objects[i]->interactWithObject(*this, *objects[j], dt, i < j);
            else
                objects[j]->interactWithObject(*this, *objects[i], dt, j < i);
        }
    }
    pairOrderFlag = !pairOrderFlag;
    visitsLastStep = n < 2 ? 0 : n * (n - 1);
    return stepBodies(0, false, dt, decider);
}

bool World::stepBodies(std::size_t from, bool firstPrepared, double dt, const PhysicalObject* decider)
{
    const std::size_t n = objects.size();
    for (std::size_t i = from; i < n; ++i) {
        PhysicalObject& body = *objects[i];
        if (!(firstPrepared && i == from)) {
            if (useWalls)
                body.interactWithWalls(*this);
            body.doGlobalInteractions(*this, dt);
            body.finalizeInteractions(dt);
            body.preStepHook();
            if (&body == decider) {
                paused = Paused{true, false, dt, i};
                return true;
            }
        }
        body.step(dt);
    }
    return false;
}

void World::collideWithWalls(PhysicalObject& object)
{
    const Point& p = object.pos;
    const double r = object.r;
    if (r < p.x && r < p.y && width - p.x > r && height - p.y > r)
        return;

    Vector shift;
    Vector normalX;
    Vector normalY;
    if (!object.hasBoundingSurface) {
        const double x = p.x;
        const double y = p.y;
        if (x - r < 0) {
            shift.x = r - x;
            normalX = Vector{1, 0};
        }
        if (y - r < 0) {
            shift.y = r - y;
            normalY = Vector{0, 1};
        }
        if (width < x + r) {
            shift.x = width - (x + r);
            normalX = Vector{-1, 0};
        }
        if (height < y + r) {
            shift.y = height - (y + r);
            normalY = Vector{0, -1};
        }
    } else {
        // The deepest vertex beyond each wall decides.
        for (const Point& v : object.absBoundingSurface) {
            if (v.x < 0 && v.x < -shift.x) {
                shift.x = -v.x;
                normalX = Vector{1, 0};
            }
            if (v.y < 0 && v.y < -shift.y) {
                shift.y = -v.y;
                normalY = Vector{0, 1};
            }
            if (v.x > width && v.x - width > -shift.x) {
                shift.x = width - v.x;
                normalX = Vector{-1, 0};
            }
            if (v.y > height && v.y - height > -shift.y) {
                shift.y = height - v.y;
                normalY = Vector{0, -1};
            }
        }
    }
    object.collideWithStatic(normalX, normalY, shift);
}

namespace {

// How far the body's outline reaches from its position along each axis, at
// its angle: a disc's radius, a polygon's extreme vertices.
struct Reach {
    double left;
    double right;
    double bottom;
    double top;
};

Reach outlineReach(const PhysicalObject& object)
{
    if (!object.hasBoundingSurface || object.boundingSurface.empty())
        return {-object.r, object.r, -object.r, object.r};
    const double c = std::cos(object.angle);
    const double s = std::sin(object.angle);
    Reach reach{0, 0, 0, 0};
    bool first = true;
    for (const Point& v : object.boundingSurface) {
        const Vector d = rotate(v, c, s);
        reach.left = first ? d.x : std::min(reach.left, d.x);
        reach.right = first ? d.x : std::max(reach.right, d.x);
        reach.bottom = first ? d.y : std::min(reach.bottom, d.y);
        reach.top = first ? d.y : std::max(reach.top, d.y);
        first = false;
    }
    return reach;
}

// The coordinate a shift from `from` to `to` may reach along one axis, the
// outline reaching `low` and `high` from it, between walls at 0 and `size`:
// up to a wall, and never farther past one than `from` already was.
double heldAtWalls(double from, double to, double low, double high, double size)
{
    if (to < from && to + low < 0)
        return std::max(to, std::min(from, -low));
    if (to > from && to + high > size)
        return std::min(to, std::max(from, size - high));
    return to;
}

} // namespace

void World::holdShiftAtWalls(PhysicalObject& object) const
{
    const Point& from = object.pos;
    const Point to = from + object.collisionShift;
    const double r = object.r;
    // The bounding circle strictly inside after the shift: nothing to hold.
    if (r < to.x && r < to.y && width - to.x > r && height - to.y > r)
        return;
    const Reach reach = outlineReach(object);
    const Point held{heldAtWalls(from.x, to.x, reach.left, reach.right, width),
                     heldAtWalls(from.y, to.y, reach.bottom, reach.top, height)};
    if (!(held == to))
        object.collisionShift = held - from;
}

} // namespace Fen
