#include "engine/ShapeChecks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

#include "engine/PhysicalObject.h"

namespace Fen {

namespace {

double cross(const Vector& a, const Vector& b) { return a.x * b.y - a.y * b.x; }

// A turn this much to the right, relative to the edge lengths, is taken for
// rounding in vertices written as straight on.
constexpr double rightTurnTolerance = 1e-9;

bool notLarger(double size, double limit) { return size <= limit; } // false for NaN

// Written so that NaN is never inside.
bool within(double low, double high, double limit) { return low >= 0 && high <= limit; }

// Overlaps no deeper than this share of the smaller body's radius are taken
// for bodies written as touching.
constexpr double touchingTolerance = 0.01;

// The body's polygon where it stands; empty for a disc.
Polygone placed(const PhysicalObject& body)
{
    Polygone v;
    if (!body.hasBoundingSurface)
        return v;
    const double c = std::cos(body.angle);
    const double s = std::sin(body.angle);
    v.reserve(body.boundingSurface.size());
    for (const Point& p : body.boundingSurface)
        v.push_back(body.pos + rotate(p, c, s));
    return v;
}

struct Extent {
    double low;
    double high;
};

// The body's shadow on a line through the origin along a unit axis.
Extent project(const PhysicalObject& body, const Polygone& placedPolygon, const Vector& axis)
{
    if (placedPolygon.empty()) {
        const double centre = axis.dot(body.pos);
        return {centre - body.r, centre + body.r};
    }
    Extent extent{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const Point& p : placedPolygon) {
        const double d = axis.dot(p);
        extent.low = std::min(extent.low, d);
        extent.high = std::max(extent.high, d);
    }
    return extent;
}

void addEdgeNormals(const Polygone& polygon, std::vector<Vector>& axes)
{
    for (std::size_t i = 0; i < polygon.size(); ++i)
        if (const Vector n = inwardNormal(polygon, i); !(n == Vector{}))
            axes.push_back(n);
}

// From the polygon's vertex nearest to the disc's centre towards the centre:
// the axis that separates a disc from a corner.
void addCornerAxis(const Point& centre, const Polygone& polygon, std::vector<Vector>& axes)
{
    const Point* nearest = nullptr;
    for (const Point& p : polygon)
        if (nearest == nullptr || (p - centre).norm2() < (*nearest - centre).norm2())
            nearest = &p;
    if (nearest != nullptr)
        if (const Vector axis = (centre - *nearest).unitary(); !(axis == Vector{}))
            axes.push_back(axis);
}

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

bool liesInArena(const PhysicalObject& body, double width, double height)
{
    if (!body.hasBoundingSurface) {
        const Point& p = body.pos;
        return within(p.x - body.r, p.x + body.r, width) && within(p.y - body.r, p.y + body.r, height);
    }
    if (body.absBoundingSurface.empty())
        return false;
    for (const Point& p : body.absBoundingSurface)
        if (!within(p.x, p.x, width) || !within(p.y, p.y, height))
            return false;
    return true;
}

double overlapDepth(const PhysicalObject& a, const PhysicalObject& b)
{
    const Vector d = b.pos - a.pos;
    const double reach = a.r + b.r;
    if (!(d.norm2() < reach * reach))
        return 0; // bounding circles apart (or touching)
    const Polygone pa = placed(a);
    const Polygone pb = placed(b);
    if (pa.empty() && pb.empty())
        return reach - d.norm();
    // Convex shapes overlap as deep as their shallowest overlap along the
    // edge normals (and, for a disc, the axis to the nearest corner).
    std::vector<Vector> axes;
    addEdgeNormals(pa, axes);
    addEdgeNormals(pb, axes);
    if (pa.empty())
        addCornerAxis(a.pos, pb, axes);
    if (pb.empty())
        addCornerAxis(b.pos, pa, axes);
    double depth = std::numeric_limits<double>::infinity();
    for (const Vector& axis : axes) {
        const Extent ea = project(a, pa, axis);
        const Extent eb = project(b, pb, axis);
        const double overlap = std::min(ea.high, eb.high) - std::max(ea.low, eb.low);
        if (!(overlap > 0))
            return 0;
        depth = std::min(depth, overlap);
    }
    return std::isinf(depth) ? 0 : depth;
}

bool overlapBeyondTouching(const PhysicalObject& a, const PhysicalObject& b)
{
    return overlapDepth(a, b) > touchingTolerance * std::min(a.r, b.r);
}

std::optional<std::pair<std::size_t, std::size_t>> findOverlap(const std::vector<PhysicalObject*>& bodies)
{
    // Bodies in the order of the left end of their bounding circles: a body
    // can only overlap those that start before it ends.
    const auto left = [&bodies](std::size_t i) { return bodies[i]->pos.x - bodies[i]->r; };
    std::vector<std::size_t> order(bodies.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&left](std::size_t i, std::size_t j) {
        const double li = left(i);
        const double lj = left(j);
        return li < lj || (!(lj < li) && i < j);
    });
    for (std::size_t k = 0; k < order.size(); ++k) {
        const PhysicalObject& a = *bodies[order[k]];
        const double right = a.pos.x + a.r;
        for (std::size_t l = k + 1; l < order.size() && left(order[l]) < right; ++l) {
            const PhysicalObject& b = *bodies[order[l]];
            if (a.mass < 0 && b.mass < 0)
                continue;
            if (overlapBeyondTouching(a, b))
                return std::pair{std::min(order[k], order[l]), std::max(order[k], order[l])};
        }
    }
    return std::nullopt;
}

} // namespace Fen
