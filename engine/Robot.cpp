#include "engine/Robot.h"

#include <algorithm>
#include "engine/GlobalInteraction.h"
#include "engine/LocalInteraction.h"
#include "engine/World.h"

namespace Fen {

void Robot::initInteractions()
{
    for (LocalInteraction* interaction : localInteractions)
        interaction->init();
    PhysicalObject::initInteractions();
}

void Robot::interactWithObject(World& world, PhysicalObject& other, double dt, bool firstOfPair)
{
    const Vector d = pos - other.pos;
    const double d2 = d.x * d.x + d.y * d.y;
    // Interactions come by decreasing radius: the first one out of reach ends
    // the visit, the robot's own collision with `other` included.
    for (LocalInteraction* interaction : localInteractions) {
        const double reach = interaction->r + other.r;
        if (!(reach * reach > d2))
            return;
        interaction->objectStep(dt, other, world);
    }
    PhysicalObject::interactWithObject(world, other, dt, firstOfPair);
}

void Robot::interactWithWalls(World& world)
{
    // By decreasing reach: once one reaches no wall, the rest reach none.
    for (LocalInteraction* interaction : localInteractions) {
        const double r = interaction->r;
        if (r < pos.x && r < pos.y && world.width - pos.x > r && world.height - pos.y > r)
            break;
        interaction->wallsStep(world);
    }
    // The body meets the walls whatever its sensors reach: a sensor shorter
    // than the body must not let the body sink into a wall, and through it.
    // Where every sensor reaches beyond the body, the body reaches no wall
    // whenever the loop stops early, so this changes nothing there. A polygon
    // pushed by a fixed body since the step began meets them as it stands now.
    computeAbsBoundingSurface();
    PhysicalObject::interactWithWalls(world);
    // Every contact of the step is in: what the movable bodies push the robot
    // by may take it up to a wall, not through it.
    world.holdShiftAtWalls(*this);
}

void Robot::finalizeInteractions(double dt)
{
    for (LocalInteraction* interaction : localInteractions)
        interaction->finalize(dt);
    PhysicalObject::finalizeInteractions(dt);
}

void Robot::doGlobalInteractions(World& world, double dt)
{
    for (GlobalInteraction* interaction : globalInteractions)
        interaction->step(dt, world);
}

void Robot::addLocalInteraction(LocalInteraction* interaction)
{
    appendLocalInteraction(interaction);
    sortLocalInteractions();
}

void Robot::appendLocalInteraction(LocalInteraction* interaction) { localInteractions.push_back(interaction); }

void Robot::sortLocalInteractions()
{
    // Stable, so equal radii keep the order in which they were added (and the
    // noise draws follow the robot file).
    std::stable_sort(localInteractions.begin(), localInteractions.end(),
                     [](const LocalInteraction* a, const LocalInteraction* b) { return a->r > b->r; });
}

void Robot::removeLocalInteraction(LocalInteraction* interaction)
{
    const auto found = std::find(localInteractions.begin(), localInteractions.end(), interaction);
    if (found != localInteractions.end())
        localInteractions.erase(found);
}

} // namespace Fen
