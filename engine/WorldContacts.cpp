// Contact detection between two bodies: disc-disc, disc-polygon and
// polygon-polygon, each ending in PhysicalObject::collideWithObject.
#include "engine/World.h"

#include "engine/PhysicalObject.h"

namespace Fen {

namespace {

void collideDiscs(PhysicalObject& a, PhysicalObject& b, const Vector& d, double sumOfRadii)
{
    const Vector n = d.unitary();
    // Two zero-radius discs on one spot: nothing to separate, and no 0/0.
    const double share = sumOfRadii == 0 ? 0 : b.r / sumOfRadii;
    const Point point = b.pos + d * share;
    const Vector shift = n * (sumOfRadii - d.norm());
    a.collideWithObject(b, point, shift);
}

bool collideDiscPolygon(PhysicalObject& disc, PhysicalObject& polygon)
{
    const Polygone& v = polygon.absBoundingSurface;
    const std::size_t m = v.size();
    const Point& c = disc.pos;

    // An edge whose perpendicular foot lies strictly inside it.
    for (std::size_t i = 0; i < m; ++i) {
        const Point& v0 = v[i];
        const Point& v1 = v[i + 1 == m ? 0 : i + 1];
        const Vector n = inwardNormal(v, i);
        const double h = n.dot(c - v0);
        if (!(h < 0 && -h < disc.r))
            continue;
        const Point f = c - h * n;
        if ((f - v0).dot(v1 - v0) > 0 && (f - v1).dot(v0 - v1) > 0) {
            const Vector shift = -(h + disc.r) * n;
            disc.collideWithObject(polygon, f, shift);
            return true;
        }
    }

    // Otherwise the nearest vertex inside the disc pushes the polygon away.
    const double r2 = disc.r * disc.r;
    double nearest = r2;
    const Point* vertex = nullptr;
    for (const Point& p : v) {
        const double d2 = (p - c).norm2();
        if (d2 < nearest) {
            nearest = d2;
            vertex = &p;
        }
    }
    if (vertex == nullptr)
        return false;
    const Vector delta = *vertex - c;
    const double e = delta.norm();
    Vector shift;
    if (e != 0) {
        shift = delta / e * (disc.r - e);
    } else {
        // A vertex on the disc's centre has no direction of its own: push the
        // polygon along the line between the centres (or not at all).
        shift = (polygon.pos - c).unitary() * disc.r;
    }
    const Point point = *vertex + shift;
    polygon.collideWithObject(disc, point, shift);
    return true;
}

// Whether point p of a body centred at `centre` lies inside polygon q; if so,
// `escape` receives the shortest way out that points back against the
// centre-to-vertex direction, when an edge within 10 units offers one.
bool penetration(const Point& p, const Point& centre, const Polygone& q, Vector& escape, bool& hasEscape)
{
    double best = -10;
    hasEscape = false;
    for (std::size_t i = 0; i < q.size(); ++i) {
        const Vector n = inwardNormal(q, i);
        const double l = n.dot(p - q[i]);
        if (l < 0)
            return false;
        if (-l >= best) {
            const Vector o = -l * n;
            if (o.dot(p - centre) < 0) {
                best = -l;
                escape = o;
                hasEscape = true;
            }
        }
    }
    return true;
}

bool collidePolygons(PhysicalObject& a, PhysicalObject& b)
{
    double best = 0;
    PhysicalObject* first = nullptr;
    PhysicalObject* second = nullptr;
    Point point;
    Vector shift;
    const auto deepest = [&](PhysicalObject& self, PhysicalObject& other) {
        for (const Point& p : self.absBoundingSurface) {
            Vector o;
            bool hasEscape = false;
            if (!penetration(p, self.pos, other.absBoundingSurface, o, hasEscape) || !hasEscape)
                continue;
            if (o.norm2() > best) {
                best = o.norm2();
                first = &self;
                second = &other;
                point = p + o;
                shift = o;
            }
        }
    };
    deepest(a, b);
    deepest(b, a);
    if (best == 0)
        return false;
    first->collideWithObject(*second, point, shift);
    return true;
}

} // namespace

bool World::collideObjects(PhysicalObject& a, PhysicalObject& b)
{
    const Vector d = a.pos - b.pos;
    const double sumOfRadii = a.r + b.r;
    if (d.x * d.x + d.y * d.y > sumOfRadii * sumOfRadii)
        return false;
    if (!a.hasBoundingSurface && !b.hasBoundingSurface) {
        collideDiscs(a, b, d, sumOfRadii);
        return true;
    }
    if (!a.hasBoundingSurface)
        return collideDiscPolygon(a, b);
    if (!b.hasBoundingSurface)
        return collideDiscPolygon(b, a);
    return collidePolygons(a, b);
}

} // namespace Fen
