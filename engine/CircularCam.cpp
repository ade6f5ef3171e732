#include "engine/CircularCam.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include "engine/Angle.h"
#include "engine/DepthTest.h"
#include "engine/PhysicalObject.h"
#include "engine/Robot.h"
#include "engine/World.h"

namespace Fen {

namespace {

constexpr double farthest = std::numeric_limits<double>::max();

// Nearest integer, halves rounded down.
double roundHalfDown(double x) { return std::ceil(x - 0.5); }

// Whether a computed pixel range [first, last] holds something to draw; it is
// clipped to the image so that rounding can never reach outside it.
bool pixelRange(double first, double last, unsigned count, std::size_t& from, std::size_t& to)
{
    if (!(first <= last) || !(last >= 0) || !(first <= count - 1.0))
        return false;
    from = first < 0 ? 0 : static_cast<std::size_t>(first);
    to = last > count - 1.0 ? count - 1 : static_cast<std::size_t>(last);
    return true;
}

} // namespace

CircularCam::CircularCam() { setup(0, 0, 0, 0, pi / 4, 50); }

void CircularCam::setup(double x, double y, double height_, double orientation_, double fieldOfView_,
                        unsigned pixelCount_)
{
    pos = Point{x, y};
    height = height_;
    orientation = orientation_;
    fieldOfView = fieldOfView_;
    zBuffer.assign(pixelCount_, 0.0);
    image.assign(pixelCount_, Color{});
    // The largest finite radius: the camera sorts first and sees every body.
    r = farthest;
    pixelOperation = &DepthTest::instance();
}

void CircularCam::init()
{
    const Point p = owner != nullptr ? owner->pos : Point{};
    const double a = owner != nullptr ? owner->angle : 0.0;
    absPos = p + rotate(pos, a);
    absOrientation = orientation + a;
    std::fill(zBuffer.begin(), zBuffer.end(), farthest);
    std::fill(image.begin(), image.end(), Color{});
    viewCos = std::cos(-absOrientation);
    viewSin = std::sin(-absOrientation);
    pixelAngle = 2 * fieldOfView / (pixelCount() - 1.0);
    pixelTan = std::tan(pixelAngle);

    // A disc's bearing is brought into [-pi, pi] by whole turns of 2*pi, each
    // rounded at the size of the heading, so the error grows with the turns;
    // segments are measured in camera axes and stay far inside this slack.
    const double heading = std::fabs(absOrientation) + 4;
    const double turns = heading / (2 * pi) + 4;
    angleSlack = 4 * turns * (std::nextafter(heading, farthest) - heading) + 1e-13;
    cullsByView = pixelCount() >= 2 && fieldOfView > 0 && fieldOfView <= 1.5 && std::isfinite(absOrientation)
        && angleSlack < 1e-6;
    halfSin = std::sin(fieldOfView);
    halfCos = std::cos(fieldOfView);
}

void CircularCam::objectStep(double /*dt*/, PhysicalObject& body, World& /*world*/)
{
    if (deferDrawing || body.height < height || pixelCount() == 0)
        return;
    if (!body.hasBoundingSurface) {
        drawDisc(body, body.pos, [this](std::size_t k, double depth, const Color& color) {
            pixelOperation->operate(zBuffer[k], image[k], depth, color);
        });
        return;
    }
    // Segments write the buffers directly; the pixel operation is for discs.
    drawPolygon(body, [this](std::size_t) {
        return [this](std::size_t k, double depth, const Color& color) {
            if (zBuffer[k] > depth) {
                image[k] = color;
                zBuffer[k] = depth;
            }
        };
    });
}

void CircularCam::wallsStep(World& world)
{
    const double w = world.width;
    const double h = world.height;
    const Point corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    const auto plot = [this](std::size_t k, double depth, const Color& color) {
        if (zBuffer[k] > depth) {
            image[k] = color;
            zBuffer[k] = depth;
        }
    };
    for (std::size_t i = 0; i < 4; ++i) {
        if (!world.wallTextures[i].empty())
            drawSegment(toCamera(corners[i]), toCamera(corners[(i + 1) % 4]), world.wallTextures[i], plot);
    }
}

void CircularCam::beginDrawingInOrder()
{
    shownKey.assign(pixelCount(), 0);
    farthestShown = farthest;
}

void CircularCam::drawInOrder(const PhysicalObject& body, const Point& discPos, std::uint32_t order)
{
    if (body.height < height || pixelCount() == 0)
        return;
    const std::uint64_t bodyKey = (static_cast<std::uint64_t>(order) + 1) << 32;
    bool changed = false;
    const auto plotWithKey = [this, &changed](std::uint64_t key) {
        return [this, &changed, key](std::size_t k, double depth, const Color& color) {
            if (depth < zBuffer[k] || (depth == zBuffer[k] && key < shownKey[k])) {
                zBuffer[k] = depth;
                image[k] = color;
                shownKey[k] = key;
                changed = true;
            }
        };
    };
    if (!body.hasBoundingSurface)
        drawDisc(body, discPos, plotWithKey(bodyKey));
    else
        drawPolygon(body, [&](std::size_t edge) { return plotWithKey(bodyKey | edge); });
    if (changed)
        farthestShown = *std::max_element(zBuffer.begin(), zBuffer.end());
}

double CircularCam::farthestDepth() const { return farthestShown; }

CircularCam::ViewCone CircularCam::viewCone() const
{
    ViewCone cone;
    cone.culls = cullsByView;
    cone.apex = absPos;
    cone.toViewCos = viewCos;
    cone.toViewSin = viewSin;
    cone.halfCos = halfCos;
    cone.halfSin = halfSin;
    cone.angleSlack = angleSlack;
    return cone;
}

namespace {

// The values of t with a + b*t >= 0, intersected with [low, high].
void keepWhere(double a, double b, double& low, double& high)
{
    if (b > 0)
        low = std::max(low, -a / b);
    else if (b < 0)
        high = std::min(high, -a / b);
    else if (!(a >= 0))
        high = -farthest;
}

} // namespace

std::pair<double, double> CircularCam::ViewCone::span(const Vector& q0, const Vector& d, double room) const
{
    constexpr double all = std::numeric_limits<double>::infinity();
    double low = all;
    double high = -all;
    const auto add = [&](double l, double h) {
        if (l <= h) {
            low = std::min(low, l);
            high = std::max(high, h);
        }
    };
    // The cone: both edges' inner sides.
    {
        double l = -all;
        double h = all;
        keepWhere(q0.x * halfSin - q0.y * halfCos, d.x * halfSin - d.y * halfCos, l, h);
        keepWhere(q0.x * halfSin + q0.y * halfCos, d.x * halfSin + d.y * halfCos, l, h);
        add(l, h);
    }
    // The bands along the edges: ahead of the apex, within room of the edge.
    for (const double side : {1.0, -1.0}) {
        const Vector along{halfCos, side * halfSin};
        const Vector across{-side * halfSin, halfCos};
        double l = -all;
        double h = all;
        keepWhere(q0.dot(along), d.dot(along), l, h);
        keepWhere(room - q0.dot(across), -d.dot(across), l, h);
        keepWhere(room + q0.dot(across), d.dot(across), l, h);
        add(l, h);
    }
    // The disc around the apex: |q0 + t*d|^2 <= room^2.
    const double a = d.norm2();
    const double b = q0.dot(d);
    const double c = q0.norm2() - room * room;
    if (a > 0) {
        const double discriminant = b * b - a * c;
        if (discriminant >= 0) {
            const double root = std::sqrt(discriminant);
            add((-b - root) / a, (-b + root) / a);
        }
    } else if (c <= 0) {
        add(-all, all);
    }
    return {low, high};
}

CircularCam::ViewCone CircularCam::pixelCone(std::size_t first, std::size_t last) const
{
    // Pixel k looks along -fieldOfView + k * pixelAngle from the camera's direction.
    const double margin = 1.5 * pixelAngle + 1e-9;
    const double from = -fieldOfView + static_cast<double>(first) * pixelAngle - margin;
    const double to = -fieldOfView + static_cast<double>(last) * pixelAngle + margin;
    const double middle = (from + to) / 2;
    const double half = (to - from) / 2;
    ViewCone cone = viewCone();
    // No narrower than the view: the view itself, which is convex.
    if (!(half < fieldOfView))
        return cone;
    cone.toViewCos = std::cos(-(absOrientation + middle));
    cone.toViewSin = std::sin(-(absOrientation + middle));
    cone.halfCos = std::cos(half);
    cone.halfSin = std::sin(half);
    return cone;
}

bool CircularCam::mayShow(const Point& centre, double radius) const
{
    if (!cullsByView)
        return true;
    const ViewCone cone = viewCone();
    const Vector q = cone.toView(centre - absPos);
    // Room for the angles' error seen at this distance, and for the rounding
    // of differences of coordinates of this size.
    const double coordinates = std::fabs(centre.x) + std::fabs(centre.y) + std::fabs(absPos.x) + std::fabs(absPos.y);
    return cone.near(q, cone.room(radius, q.norm(), coordinates));
}

double CircularCam::nearestDepth(const Point& centre, double radius) const
{
    const double length = (centre - absPos).norm();
    const double nearest = length - radius - (length + radius) * 1e-12 - roundingRoom(centre);
    return nearest > 0 ? nearest * nearest * (1 - 1e-12) : 0;
}

double CircularCam::roundingRoom(const Point& p) const
{
    return 1e-12 * (1 + std::fabs(p.x) + std::fabs(p.y) + std::fabs(absPos.x) + std::fabs(absPos.y));
}

CircularCam::End CircularCam::toCamera(const Point& p) const
{
    End end;
    end.q = rotate(p - absPos, viewCos, viewSin);
    end.angle = std::atan2(end.q.y, end.q.x);
    return end;
}

template <class PlotForEdge>
void CircularCam::drawPolygon(const PhysicalObject& body, const PlotForEdge& plotForEdge)
{
    // Each vertex is brought into camera coordinates once and shared by its two edges.
    const Polygone& v = body.absBoundingSurface;
    ends.resize(v.size());
    for (std::size_t i = 0; i < v.size(); ++i)
        ends[i] = toCamera(v[i]);
    // A polygon without a texture for an edge leaves that edge out.
    const std::size_t edges = std::min(v.size(), body.textures.size());
    for (std::size_t i = 0; i < edges; ++i)
        drawSegment(ends[i], ends[i + 1 == v.size() ? 0 : i + 1], body.textures[i], plotForEdge(i));
}

template <class Plot>
void CircularCam::drawDisc(const PhysicalObject& body, const Point& at, const Plot& plot)
{
    if (body.r == 0 || at == absPos)
        return;
    const Vector delta = at - absPos;
    const double d = delta.norm();
    const double centre = normalizeAngle(std::atan2(delta.y, delta.x) - absOrientation);
    const double half = std::atan(body.r / d);
    const double b = centre - half;
    const double e = centre + half;
    if (!(b <= fieldOfView && e >= -fieldOfView))
        return;
    const double bClipped = std::max(b, -fieldOfView);
    const double eClipped = std::min(e, fieldOfView);
    const double span = pixelCount() - 1.0;
    // The arc is widened to whole pixels on both sides.
    const double first = std::floor(span * 0.5 * (bClipped / fieldOfView + 1));
    const double lastPixel = std::ceil(span * 0.5 * (eClipped / fieldOfView + 1));
    std::size_t from = 0;
    std::size_t to = 0;
    if (!pixelRange(first, lastPixel, pixelCount(), from, to))
        return;
    const double depth = d * d;
    for (std::size_t k = from; k <= to; ++k)
        plot(k, depth, body.color);
}

template <class Plot>
void CircularCam::drawSegment(End start, End end, const Texture& texture, const Plot& plot)
{
    if (texture.empty())
        return;
    const double fov = fieldOfView;
    bool reversed = false;
    if (end.angle < start.angle) {
        std::swap(start, end);
        reversed = true;
    }
    if (end.angle - start.angle > pi) {
        // The segment passes behind the camera.
        if (start.angle < -fov && end.angle > fov)
            return;
        std::swap(start, end);
        reversed = !reversed;
        if (end.angle < -fov)
            end.angle += 2 * pi;
        else
            start.angle -= 2 * pi;
    }
    if (end.angle < -fov || start.angle > fov)
        return;

    const unsigned count = pixelCount();
    const double x0 = start.q.x;
    const double y0 = start.q.y;
    const double x1 = end.q.x;
    const double y1 = end.q.y;
    const std::size_t lastColor = texture.size() - 1;

    const auto shade = [&](std::size_t k, double t) {
        // No parameter (0/0: an edge lying along the pixel's line) means no
        // point of this edge for the pixel; its neighbours draw that spot.
        if (std::isnan(t))
            return;
        Point point;
        std::size_t index;
        if (t < 0) {
            point = start.q;
            index = 0;
        } else if (t >= 1) {
            point = end.q;
            index = lastColor;
        } else {
            point = start.q + t * (end.q - start.q);
            // t just below 1 can round up to the texture's size.
            index = std::min(static_cast<std::size_t>(std::floor(t * texture.size())), lastColor);
        }
        const double depth = point.x * point.x + point.y * point.y;
        if (reversed)
            index = lastColor - index;
        plot(k, depth, texture[index]);
    };
    // Parameter along the segment of the point seen along a direction of tangent w.
    const auto alongTangent = [&](double w) { return (y0 - x0 * w) / (w * (x1 - x0) + (y0 - y1)); };

    if (!(pixelAngle > 0 && std::isfinite(pixelAngle))) {
        // One pixel (or no width): every pixel looks along the camera's direction.
        if (!(start.angle <= 0 && 0 <= end.angle))
            return;
        const double t = alongTangent(0);
        for (std::size_t k = 0; k < count; ++k)
            shade(k, t);
        return;
    }

    // Only pixels whose viewing angle lies inside [start, end] are drawn.
    const double s = std::max(start.angle, -fov);
    const double k0 = std::ceil((s + fov) / pixelAngle);
    double Y = k0 * pixelAngle - fov;
    const double first = roundHalfDown((Y + fov) / (2 * fov) * (count - 1.0));
    const double e = std::min(end.angle, fov);
    const double k1 = std::floor((e + fov) / pixelAngle);
    const double lastPixel = roundHalfDown((k1 * pixelAngle) / (2 * fov) * (count - 1.0));
    std::size_t from = 0;
    std::size_t to = 0;
    if (!pixelRange(first, lastPixel, count, from, to))
        return;

    double w = 0;
    bool haveTangent = false;
    for (std::size_t k = from; k <= to; ++k) {
        double t;
        if (std::fabs(Y) == pi / 2) {
            t = -x0 / (x1 - x0);
            haveTangent = false;
        } else {
            // The tangent is carried from pixel to pixel by the addition formula.
            w = haveTangent ? (w + pixelTan) / (1 - w * pixelTan) : std::tan(Y);
            haveTangent = true;
            t = alongTangent(w);
        }
        shade(k, t);
        Y = Y + pixelAngle;
    }
}

} // namespace Fen
