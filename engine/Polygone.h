#pragma once
#include <vector>
#include "engine/Vector.h"

namespace Fen {

// Convex, counter-clockwise, closed implicitly from the last vertex to the first.
using Polygone = std::vector<Point>;

// Unit normal of edge i (from v(i) to v(i+1), wrapping), pointing into the
// interior of a counter-clockwise polygon; the zero vector for a zero-length edge.
inline Vector inwardNormal(const Polygone& polygon, std::size_t i)
{
    const Point& a = polygon[i];
    const Point& b = polygon[i + 1 == polygon.size() ? 0 : i + 1];
    return Vector{a.y - b.y, b.x - a.x}.unitary();
}

} // namespace Fen
