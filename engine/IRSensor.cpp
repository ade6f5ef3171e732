#include "engine/IRSensor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include "engine/Angle.h"
#include "engine/PhysicalObject.h"
#include "engine/Random.h"
#include "engine/Robot.h"
#include "engine/SensorResponseFunctor.h"
#include "engine/World.h"

namespace Fen {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Distance along the ray from `origin` at angle `a` to the convex polygon,
// by clipping the ray segment against each edge; +infinity on a miss, 0 from inside.
double rayPolygonDistance(const Point& origin, double a, double range, const Polygone& v)
{
    const Vector dir{range * std::cos(a), range * std::sin(a)};
    double tEnter = 0;
    double tExit = 1;
    const std::size_t n = v.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point& v0 = v[i];
        const Vector edge = v[i + 1 == n ? 0 : i + 1] - v0;
        const double den = edge.x * dir.y - edge.y * dir.x;
        const double num = edge.x * (origin.y - v0.y) - edge.y * (origin.x - v0.x);
        if (std::fabs(den) < 1e-8) {
            if (num < 0)
                return infinity;
            continue;
        }
        const double t = num / -den;
        if (den > 0) {
            if (t > tEnter) {
                if (tExit < t)
                    return infinity;
                tEnter = t;
            }
        } else if (den < 0) {
            if (t < tExit) {
                if (t < tEnter)
                    return infinity;
                tExit = t;
            }
        }
    }
    return tEnter * range;
}

} // namespace

IRSensor::IRSensor(unsigned rayCount_, SensorResponseFunctor* const* functors)
    : rayCount(rayCount_),
      rayResponseFunctors(functors, functors + rayCount_),
      rayDistances(rayCount_, 0.0),
      rayColors(rayCount_),
      rayRelAngles(rayCount_, 0.0),
      rayAbsAngles(rayCount_, 0.0),
      finalRayDistances(rayCount_, 0.0),
      finalRayColors(rayCount_),
      rayHitPoints(rayCount_)
{
    setup(0, 0, 0, 0, 10, 0);
}

void IRSensor::setup(double x, double y, double height_, double orientation_, double range_, double aperture_)
{
    pos = Point{x, y};
    height = height_;
    orientation = orientation_;
    range = range_;
    aperture = aperture_;

    for (unsigned i = 0; i < rayCount; ++i)
        rayRelAngles[i] = rayCount == 1 ? 0 : aperture * 2 * i / (rayCount - 1) - aperture;

    // Distance from the robot centre to the tip of the central ray. Rounding
    // can take the square a hair below 0 when the tip is on the centre.
    const double square = x * x + y * y + range * range
                          - 2 * range * pos.norm() * std::cos(std::atan2(y, x) + pi - orientation);
    r = std::sqrt(std::max(square, 0.0));

    reachRadius = rayCount == 1 ? range / 2 : range * std::sqrt(1.25 - std::cos(aperture));
    reachCentre = Vector{std::cos(orientation), std::sin(orientation)} * range / 2;
    finalValue = 0;
}

void IRSensor::init()
{
    std::fill(rayDistances.begin(), rayDistances.end(), infinity);
    // A sensor not yet given to a robot sits at the origin.
    const Point p = owner != nullptr ? owner->pos : Point{};
    const double a = owner != nullptr ? owner->angle : 0.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    absPos = p + rotate(pos, c, s);
    absOrientation = orientation + a;
    for (unsigned i = 0; i < rayCount; ++i)
        rayAbsAngles[i] = rayRelAngles[i] + absOrientation;
    absReachCentre = absPos + rotate(reachCentre, c, s);
}

void IRSensor::objectStep(double /*dt*/, PhysicalObject& body, World& /*world*/) { seeBodyAt(body, body.pos); }

void IRSensor::seeBodyAt(const PhysicalObject& body, const Point& at)
{
    if (body.height < height || rayCount == 0)
        return;
    const double reach = reachRadius + body.r;
    if (reach * reach < (at - absReachCentre).norm2())
        return;

    const double dx = at.x - absPos.x;
    const double dy = at.y - absPos.y;
    const double e = dx * dx + dy * dy;
    const double phi = std::atan2(dy, dx);
    const double a = body.r * body.r;
    for (unsigned i = 0; i < rayCount; ++i) {
        const double sine = std::sin(rayAbsAngles[i] - phi);
        // Squared distance from the body's centre to the ray's line.
        const double g = sine * sine * e;
        if (!(a > g))
            continue;
        double h;
        if (body.hasBoundingSurface) {
            h = rayPolygonDistance(absPos, rayAbsAngles[i], range, body.absBoundingSurface);
        } else {
            // Neither the direction along the line nor the range limits a disc.
            h = std::sqrt(e - g) - std::sqrt(a - g);
            if (h < 0)
                h = 0;
        }
        if (h < rayDistances[i]) {
            rayDistances[i] = h;
            rayColors[i] = body.color;
        }
    }
}

void IRSensor::wallsStep(World& world)
{
    const double w = world.width;
    const double hgt = world.height;
    const Point& c = absReachCentre;
    if (c.x - reachRadius > 0 && c.y - reachRadius > 0 && c.x + reachRadius < w && c.y + reachRadius < hgt)
        return;
    if (absPos.x < 0 || absPos.x > w || absPos.y < 0 || absPos.y > hgt) {
        std::fill(rayDistances.begin(), rayDistances.end(), 0.0);
        return;
    }
    for (unsigned i = 0; i < rayCount; ++i) {
        const Point tip{absPos.x + range * std::cos(rayAbsAngles[i]), absPos.y + range * std::sin(rayAbsAngles[i])};
        double tx = infinity;
        if (tip.x < 0)
            tx = -absPos.x / (tip.x - absPos.x);
        else if (tip.x > w)
            tx = (w - absPos.x) / (tip.x - absPos.x);
        double ty = infinity;
        if (tip.y < 0)
            ty = -absPos.y / (tip.y - absPos.y);
        else if (tip.y > hgt)
            ty = (hgt - absPos.y) / (tip.y - absPos.y);
        const double u = range * std::min(tx, ty);
        // Walls are black for the sensor.
        if (rayDistances[i] > u) {
            rayDistances[i] = u;
            rayColors[i] = Color{};
        }
    }
}

void IRSensor::finalize(double /*dt*/)
{
    std::copy(rayDistances.begin(), rayDistances.end(), finalRayDistances.begin());
    std::copy(rayColors.begin(), rayColors.end(), finalRayColors.begin());
    for (unsigned i = 0; i < rayCount; ++i) {
        const double d = rayDistances[i];
        rayHitPoints[i] = std::isfinite(d) ? Vector{d * std::cos(rayAbsAngles[i]), d * std::sin(rayAbsAngles[i])}
                                           : Vector{0, 0};
    }
    // The responses draw noise ray by ray, the final factor after them.
    double sum = 0;
    for (unsigned i = 0; i < rayCount; ++i)
        sum = sum + rayResponseFunctors[i]->response(rayDistances[i], rayColors[i]);
    finalValue = sum * (0.93 + 0.14 * randomUniform());
}

} // namespace Fen
