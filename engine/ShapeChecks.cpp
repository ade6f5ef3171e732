#include "engine/ShapeChecks.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/PhysicalObject.h"

namespace Fen {

namespace {

double cross(const Vector& a, const Vector& b) { return a.x * b.y - a.y * b.x; }

// A turn this much to the right, relative to the edge lengths, is taken for
// rounding in vertices written as straight on.
constexpr double rightTurnTolerance = 1e-9;

bool notLarger(double size, double limit) { return size <= limit; } // false for NaN

} // namespace

bool isConvexCounterClockwise(const Polygone& polygon)
{
    // Consecutive repeats (closing one included) make zero-length edges,
    // which the engine skips; they do not count as vertices here.
    Polygone v;
    for (const Point& p : polygon) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
        if (v.empty() || !(p == v.back()))
            v.push_back(p);
    }
    while (v.size() > 1 && v.front() == v.back())
        v.pop_back();
    const std::size_t n = v.size();
    if (n < 3)
        return false;

    double area2 = 0;   // twice the signed area
    double turning = 0; // total turn of the edge direction, radians
    for (std::size_t i = 0; i < n; ++i) {
        const Point& a = v[i];
        const Point& b = v[(i + 1) % n];
        const Point& c = v[(i + 2) % n];
        const Vector e1 = b - a;
        const Vector e2 = c - b;
        const double turn = cross(e1, e2);
        const double dot = e1.dot(e2);
        if (!std::isfinite(turn) || !std::isfinite(dot))
            return false;
        if (turn < -rightTurnTolerance * e1.norm() * e2.norm())
            return false; // a right turn: concave or clockwise
        if (turn <= 0 && dot < 0)
            return false; // going back along the edge just drawn
        turning += std::atan2(std::max(turn, 0.0), dot);
        area2 += cross(a, b);
    }
    // Left turns all the way round once make 2 pi; a star drawn with left
    // turns only goes round twice or more.
    return area2 > 0 && turning < 3 * std::numbers::pi;
}

bool fitsInArena(const PhysicalObject& body, double width, double height, bool mayTurn)
{
    if (!body.hasBoundingSurface || mayTurn) {
        const double diameter = 2 * body.r;
        return notLarger(diameter, width) && notLarger(diameter, height);
    }
    if (body.absBoundingSurface.empty())
        return false;
    double left = body.absBoundingSurface.front().x;
    double right = left;
    double bottom = body.absBoundingSurface.front().y;
    double top = bottom;
    for (const Point& p : body.absBoundingSurface) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        bottom = std::min(bottom, p.y);
        top = std::max(top, p.y);
    }
    return notLarger(right - left, width) && notLarger(top - bottom, height);
}

} // namespace Fen
