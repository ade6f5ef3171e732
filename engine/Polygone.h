#pragma once
#include <vector>
#include "engine/Vector.h"

namespace Fen {

// Convex, counter-clockwise, closed implicitly from the last vertex to the first.
using Polygone = std::vector<Point>;

} // namespace Fen
