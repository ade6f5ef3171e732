#pragma once
#include "engine/Polygone.h"

namespace Fen {

class PhysicalObject;

// Whether the contact and sensor code can work with the polygon: at least
// three distinct vertices, enclosing an area, turning left (or going
// straight on) at every vertex and around only once, that is convex and
// counter-clockwise. Repeated and collinear vertices are allowed.
bool isConvexCounterClockwise(const Polygone& polygon);

// Whether the walls of a width by height arena can hold the body: a disc's
// diameter, or a polygon's extent along each axis at its angle, is no larger
// than the arena. A body that may turn (a movable polygon, a robot) has to
// fit in every orientation: its bounding circle about its position is then
// measured. Sizes that are not finite never fit.
bool fitsInArena(const PhysicalObject& body, double width, double height, bool mayTurn);

} // namespace Fen
