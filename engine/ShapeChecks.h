#pragma once
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

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

// Whether the body lies inside the walls of a width by height arena, as it
// stands (its disc, or its polygon at its angle; touching a wall counts as
// inside).
bool liesInArena(const PhysicalObject& body, double width, double height);

// How far two bodies overlap as they stand (discs, or polygons at their
// angle): the shortest distance one would have to move for them only to
// touch; 0 when they do not overlap.
double overlapDepth(const PhysicalObject& a, const PhysicalObject& b);

// Whether two bodies overlap by more than the rounding of written positions:
// deeper than a hundredth of the smaller one's radius. The contact code
// separates overlapping bodies with one jump the size of the overlap, and a
// body that jumps onto the robot pushes it through a wall.
bool overlapBeyondTouching(const PhysicalObject& a, const PhysicalObject& b);

// A pair of the bodies, one of them at least movable, that overlap beyond
// touching (the lower index first); none when there is none. Immovable
// bodies never push each other, so they may overlap.
std::optional<std::pair<std::size_t, std::size_t>> findOverlap(const std::vector<PhysicalObject*>& bodies);

} // namespace Fen
