#include "render/CFenWorldGraphics.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include "engine/Angle.h"
#include "engine/PhysicalObject.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "render/CFenPhysicalObjectPlotter.h"
#include "render/CVertexBuffer.h"
#include "render/VertexColor.h"

namespace Tarn {

CFenWorldGraphics::CFenWorldGraphics(CVertexBuffer* vertexBuffer_, CFenWorld& world_,
                                     const RobotDrawOptions* robotOptions_)
    : vertexBuffer(vertexBuffer_), world(world_), robotOptions(robotOptions_)
{
}

DeviceResult CFenWorldGraphics::Draw()
{
    if (vertexBuffer == nullptr)
        return DeviceFail;
    const Fen::World& arena = world.GetFenWorld();
    const float w = static_cast<float>(arena.width);
    const float h = static_cast<float>(arena.height);
    const Vertex border[] = {
        {0, 0, Depth, BorderColor}, {0, h, Depth, BorderColor}, {w, h, Depth, BorderColor},
        {w, 0, Depth, BorderColor}, {0, 0, Depth, BorderColor},
    };
    DeviceResult result = vertexBuffer->Set(border, sizeof border);
    if (Succeeded(result))
        result = vertexBuffer->Bind();
    if (Succeeded(result))
        result = vertexBuffer->Draw(PrimitiveType::LineStrip);

    // One body that cannot be drawn does not hide the others.
    const unsigned objects = world.GetObjectCount();
    const unsigned robots = world.GetRobotCount();
    if (batchObjects && objects >= BatchFrom) {
        DrawObjectsInOneList();
    } else {
        for (unsigned i = 0; i < objects; ++i)
            world.GetObject(i).Draw();
    }
    const unsigned sceneRobots = world.GetSceneRobotCount();
    if (batchObjects && sceneRobots >= BatchFrom) {
        DrawSceneRobotsInOneList();
    } else {
        for (unsigned i = 0; i < sceneRobots; ++i)
            world.GetSceneRobot(i).Draw();
    }
    for (unsigned i = 0; i < robots; ++i)
        world.GetRobot(i).Draw();
    return result;
}

namespace {

// Where vertices land in the device's viewport, in pixels, to leave out
// triangles that cover no pixel. A triangle gives fragments only at the
// pixel centres it covers (no multisampling here), so one whose bounding box
// holds no pixel centre of the viewport changes no pixel. The device computes
// in single precision and snaps to 1/256 pixel: the box is widened by 1/16
// pixel and by far more than single precision can be off for numbers of the
// size the transformation adds up.
class PixelCentres {
public:
    explicit PixelCentres(IGraphicsDevice* device)
    {
        Matrix world;
        Matrix view;
        Matrix projection;
        DeviceViewport rect;
        if (device == nullptr || Failed(device->GetTransform(TransformState::World, &world))
            || Failed(device->GetTransform(TransformState::View, &view))
            || Failed(device->GetTransform(TransformState::Projection, &projection))
            || Failed(device->GetViewport(&rect)))
            return;
        // world * view * projection, in double.
        double a[4][4];
        Multiply(world, view, a);
        Multiply(a, projection, m);
        halfWidth = rect.width / 2.0;
        halfHeight = rect.height / 2.0;
        columns = rect.width;
        rows = rect.height;
        // Without perspective w is the same everywhere; without turning, x
        // depends on x alone and y on y alone, so boxes map to boxes.
        flat = m[0][3] == 0 && m[1][3] == 0 && m[2][3] == 0 && m[3][3] > 0;
        upright = flat && m[1][0] == 0 && m[0][1] == 0;
        usable = std::isfinite(halfWidth) && std::isfinite(halfHeight);
    }

    // Pixel coordinates within the viewport, up from its lower left corner;
    // false when the point does not land on the screen plane.
    bool Place(double px, double py, double pz, double& x, double& y) const
    {
        const double cx = px * m[0][0] + py * m[1][0] + pz * m[2][0] + m[3][0];
        const double cy = px * m[0][1] + py * m[1][1] + pz * m[2][1] + m[3][1];
        const double cw = px * m[0][3] + py * m[1][3] + pz * m[2][3] + m[3][3];
        if (!(cw > 0))
            return false;
        x = (cx / cw + 1) * halfWidth;
        y = (cy / cw + 1) * halfHeight;
        return std::isfinite(x) && std::isfinite(y);
    }
    bool Place(const Vertex& v, double& x, double& y) const { return Place(v.x, v.y, v.z, x, y); }

    // How far the device's own place of a point of the world box may lie from
    // ours: 1/16 pixel, and far more than single precision can be off for
    // numbers of the size the transformation adds up.
    double Error(double left, double bottom, double right, double top) const
    {
        const double x = std::max(std::fabs(left), std::fabs(right));
        const double y = std::max(std::fabs(bottom), std::fabs(top));
        const double z = CFenWorldGraphics::Depth;
        double size = 0;
        for (int c : {0, 1, 3})
            size += std::fabs(x * m[0][c]) + std::fabs(y * m[1][c]) + std::fabs(z * m[2][c]) + std::fabs(m[3][c]);
        const double w = flat ? m[3][3] : 0;
        const double error = Margin + 1e-5 * size * (halfWidth + halfHeight + 1) / (w > 0 ? w * w : 1e-300);
        return std::isfinite(error) ? error : std::numeric_limits<double>::infinity();
    }

    // Whether some pixel centre k + 1/2 (k = 0..count-1) lies within the span.
    static bool CentreWithin(double low, double high, std::uint32_t count)
    {
        const double first = std::max(std::ceil(low - 0.5), 0.0);
        const double last = std::min(std::floor(high - 0.5), count - 1.0);
        return first <= last;
    }

    // Whether the device may light a pixel centre with the triangle whose
    // corners we place at (x, y), each of them off by up to `error` in x and
    // in y on the device. The device's triangle lies within our triangle
    // grown by the longest such offset (every point of it is a weighted mean
    // of its corners), so a centre it covers lies inside each of our edges
    // moved outwards by that much. A sliver's box holds many centres that
    // lie far off it.
    bool MayCover(const double (&x)[3], const double (&y)[3], double error) const
    {
        const double lowX = std::max(std::ceil(std::min({x[0], x[1], x[2]}) - error - 0.5), 0.0);
        const double highX = std::min(std::floor(std::max({x[0], x[1], x[2]}) + error - 0.5), columns - 1.0);
        const double lowY = std::max(std::ceil(std::min({y[0], y[1], y[2]}) - error - 0.5), 0.0);
        const double highY = std::min(std::floor(std::max({y[0], y[1], y[2]}) + error - 0.5), rows - 1.0);
        if (!(lowX <= highX && lowY <= highY))
            return false;
        const double twiceArea = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
        // A flat triangle has no inside to test against; a box of many
        // centres is not worth testing one by one.
        constexpr double mostCentres = 64;
        if (!(twiceArea != 0) || (highX - lowX + 1) * (highY - lowY + 1) > mostCentres)
            return true;
        const double sign = twiceArea > 0 ? 1 : -1;
        const double reach = error * std::sqrt(2.0) * (1 + 1e-9) + 1e-9;
        double nx[3];
        double ny[3];
        double limit[3];
        for (int e = 0; e < 3; ++e) {
            const int f = e == 2 ? 0 : e + 1;
            // Inward normal of edge e (from corner e to corner f), times its length.
            nx[e] = -(y[f] - y[e]) * sign;
            ny[e] = (x[f] - x[e]) * sign;
            limit[e] = -reach * std::sqrt(nx[e] * nx[e] + ny[e] * ny[e]) * (1 + 1e-9);
        }
        for (double cy = lowY + 0.5; cy <= highY + 0.5; ++cy) {
            for (double cx = lowX + 0.5; cx <= highX + 0.5; ++cx) {
                bool inside = true;
                for (int e = 0; e < 3 && inside; ++e)
                    inside = nx[e] * (cx - x[e]) + ny[e] * (cy - y[e]) >= limit[e];
                if (inside)
                    return true;
            }
        }
        return false;
    }

    // Whether anything inside the world box may cover a pixel: an upright
    // map takes the box to a box, an affine one to a parallelogram within
    // its corners' box; a perspective one is not judged.
    bool MayCoverBox(double left, double bottom, double right, double top, double error) const
    {
        if (!flat)
            return true;
        double lowX = 0;
        double highX = 0;
        double lowY = 0;
        double highY = 0;
        const int corners = upright ? 2 : 4;
        const double xs[2] = {left, right};
        const double ys[2] = {bottom, top};
        for (int i = 0; i < corners; ++i) {
            double x;
            double y;
            if (!Place(xs[i % 2], ys[upright ? i : i / 2], CFenWorldGraphics::Depth, x, y))
                return true;
            lowX = i == 0 ? x : std::min(lowX, x);
            highX = i == 0 ? x : std::max(highX, x);
            lowY = i == 0 ? y : std::min(lowY, y);
            highY = i == 0 ? y : std::max(highY, y);
        }
        return CentreWithin(lowX - error, highX + error, columns) && CentreWithin(lowY - error, highY + error, rows);
    }

    // A bound, per coordinate in pixels, of how far apart two points this
    // far apart in the world may land; infinite under perspective.
    double Pixels(double distance) const
    {
        if (!flat)
            return std::numeric_limits<double>::infinity();
        const double perUnit = std::max((std::fabs(m[0][0]) + std::fabs(m[1][0])) * halfWidth,
                                        (std::fabs(m[0][1]) + std::fabs(m[1][1])) * halfHeight)
            / m[3][3];
        return distance * perUnit * (1 + 1e-9);
    }

    bool usable = false;

private:
    static constexpr double Margin = 1.0 / 16;

    template <class A, class B>
    static void Multiply(const A& a, const B& b, double (&out)[4][4])
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                double sum = 0;
                for (int k = 0; k < 4; ++k)
                    sum += Entry(a, r, k) * Entry(b, k, c);
                out[r][c] = sum;
            }
    }
    static double Entry(const Matrix& m, int r, int c) { return m.m[r][c]; }
    static double Entry(const double (&m)[4][4], int r, int c) { return m[r][c]; }

    double m[4][4] = {};
    double halfWidth = 0;
    double halfHeight = 0;
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    bool flat = false;
    bool upright = false;
};

// The triangles of a disc's fan that may cover a pixel centre. Where its
// rim points land is told from one turn of fixed directions, not a sine and
// cosine each as Fan makes them: the two differ by far less than `slip`,
// which widens the test. The triangles kept are Fan's own, point for point.
void AppendDisc(const Fen::PhysicalObject& body, const PixelCentres& screen, double error, std::vector<double>& placedX,
                std::vector<double>& placedY, std::vector<char>& placedOk, std::vector<Vertex>& triangles)
{
    constexpr int wedges = CFenPhysicalObjectPlotter::DiscWedges;
    static const std::array<Fen::Vector, wedges + 1> directions = [] {
        std::array<Fen::Vector, wedges + 1> unit;
        for (int k = 0; k <= wedges; ++k)
            unit[k] = Fen::Vector{std::cos(k * 2 * Fen::pi / wedges), std::sin(k * 2 * Fen::pi / wedges)};
        return unit;
    }();
    constexpr double epsilon = std::numeric_limits<double>::epsilon();
    const double r = body.r;
    const double slip = screen.Pixels(
        8 * epsilon * (std::fabs(r) * (std::fabs(body.angle) + 64) + std::fabs(body.pos.x) + std::fabs(body.pos.y)));
    const double reach = error + slip;
    const std::uint32_t color = VertexColor(body.color);
    const Vertex centre{static_cast<float>(body.pos.x), static_cast<float>(body.pos.y), CFenPhysicalObjectPlotter::Depth,
                        color};
    double centreX = 0;
    double centreY = 0;
    const bool centreOk = screen.Place(centre, centreX, centreY);
    const double c = std::cos(body.angle);
    const double s = std::sin(body.angle);
    placedX.resize(wedges + 1);
    placedY.resize(wedges + 1);
    placedOk.resize(wedges + 1);
    for (int k = 0; k <= wedges; ++k) {
        const Fen::Vector& d = directions[k];
        placedOk[k] = screen.Place(body.pos.x + r * (c * d.x - s * d.y), body.pos.y + r * (s * d.x + c * d.y),
                                   CFenPhysicalObjectPlotter::Depth, placedX[k], placedY[k]);
    }
    int made = -1; // the rim point in `rim`
    Vertex rim;
    for (int k = 0; k < wedges; ++k) {
        const double x[3] = {centreX, placedX[k], placedX[k + 1]};
        const double y[3] = {centreY, placedY[k], placedY[k + 1]};
        if (centreOk && placedOk[k] && placedOk[k + 1] && !screen.MayCover(x, y, reach))
            continue;
        triangles.push_back(centre);
        triangles.push_back(made == k ? rim : CFenPhysicalObjectPlotter::DiscRimPoint(body, k, color));
        rim = CFenPhysicalObjectPlotter::DiscRimPoint(body, k + 1, color);
        made = k + 1;
        triangles.push_back(rim);
    }
}

} // namespace

void CFenWorldGraphics::DrawSceneRobotsInOneList()
{
    const bool rays = robotOptions == nullptr || robotOptions->rays;
    const PixelCentres screen(vertexBuffer->GetDevice());
    robotBatch.Clear();
    const unsigned robots = world.GetSceneRobotCount();
    for (unsigned i = 0; i < robots; ++i) {
        const std::size_t first = robotBatch.Triangles().size();
        robotBatch.Append(world.GetSceneRobot(i).GetPhysicalObject(), rays);
        if (!screen.usable)
            continue;
        // The box of what this robot drew, a little larger for the rounding
        // to single precision, tells how far the device may place a corner
        // off ours.
        const std::vector<Vertex>& all = robotBatch.Triangles();
        double left = std::numeric_limits<double>::infinity();
        double bottom = left;
        double right = -left;
        double top = -left;
        for (std::size_t k = first; k < all.size(); ++k) {
            left = std::min(left, static_cast<double>(all[k].x));
            right = std::max(right, static_cast<double>(all[k].x));
            bottom = std::min(bottom, static_cast<double>(all[k].y));
            top = std::max(top, static_cast<double>(all[k].y));
        }
        if (first == all.size())
            continue;
        const double slack =
            1e-6 * (1 + std::max({std::fabs(left), std::fabs(right), std::fabs(bottom), std::fabs(top)}));
        const double error = screen.Error(left - slack, bottom - slack, right + slack, top + slack);
        if (!std::isfinite(slack) || !std::isfinite(error))
            continue;
        const bool anywhere = screen.MayCoverBox(left - slack, bottom - slack, right + slack, top + slack, error);
        robotBatch.KeepTriangles(first, [&](const Vertex* corner) {
            if (!anywhere)
                return false;
            double x[3];
            double y[3];
            for (int c = 0; c < 3; ++c)
                if (!screen.Place(corner[c], x[c], y[c]))
                    return true;
            return screen.MayCover(x, y, error);
        });
    }
    robotBatch.Draw(*vertexBuffer);
}

void CFenWorldGraphics::DrawObjectsInOneList()
{
    triangles.clear();
    const PixelCentres screen(vertexBuffer->GetDevice());
    const unsigned objects = world.GetObjectCount();
    // The bodies and their polygons live apart in memory: ask for them early.
    constexpr unsigned bodiesAhead = 16;
    constexpr unsigned polygonsAhead = 8;
    for (unsigned i = 0; i < objects; ++i) {
        if (i + bodiesAhead < objects) {
            const char* ahead = reinterpret_cast<const char*>(&world.GetObject(i + bodiesAhead).GetPhysicalObject());
            for (std::size_t offset = 0; offset < sizeof(Fen::PhysicalObject); offset += 64)
                __builtin_prefetch(ahead + offset);
        }
        if (i + polygonsAhead < objects)
            __builtin_prefetch(world.GetObject(i + polygonsAhead).GetPhysicalObject().absBoundingSurface.data());
        const Fen::PhysicalObject& body = world.GetObject(i).GetPhysicalObject();
        if (!screen.usable) {
            CFenPhysicalObjectPlotter::AppendTriangles(body, fan, triangles);
            continue;
        }
        // A body wholly between pixel centres is left out before its fan is
        // made: its fan lies within its polygon's box, or within its radius
        // (and a little more, for the rounding to single precision).
        double left = body.pos.x;
        double right = body.pos.x;
        double bottom = body.pos.y;
        double top = body.pos.y;
        if (body.hasBoundingSurface && !body.absBoundingSurface.empty()) {
            for (const Fen::Point& p : body.absBoundingSurface) {
                left = std::min(left, p.x);
                right = std::max(right, p.x);
                bottom = std::min(bottom, p.y);
                top = std::max(top, p.y);
            }
        } else {
            const double r = std::fabs(body.r);
            left -= r;
            right += r;
            bottom -= r;
            top += r;
        }
        const double slack =
            1e-6 * (1 + std::max({std::fabs(left), std::fabs(right), std::fabs(bottom), std::fabs(top)}));
        left -= slack;
        right += slack;
        bottom -= slack;
        top += slack;
        const double error = screen.Error(left, bottom, right, top);
        if (std::isfinite(slack) && !screen.MayCoverBox(left, bottom, right, top, error))
            continue;
        // Otherwise only its triangles that may cover a pixel.
        if (CFenPhysicalObjectPlotter::DrawnAsDisc(body)) {
            AppendDisc(body, screen, error, placedX, placedY, placedOk, triangles);
            continue;
        }
        CFenPhysicalObjectPlotter::Fan(body, fan);
        placedX.resize(fan.size());
        placedY.resize(fan.size());
        placedOk.resize(fan.size());
        for (std::size_t k = 0; k < fan.size(); ++k)
            placedOk[k] = screen.Place(fan[k], placedX[k], placedY[k]);
        for (std::size_t k = 1; k + 1 < fan.size(); ++k) {
            const std::size_t corner[3] = {0, k, k + 1};
            const double x[3] = {placedX[0], placedX[k], placedX[k + 1]};
            const double y[3] = {placedY[0], placedY[k], placedY[k + 1]};
            if (placedOk[0] && placedOk[k] && placedOk[k + 1] && !screen.MayCover(x, y, error))
                continue;
            for (const std::size_t c : corner)
                triangles.push_back(fan[c]);
        }
    }
    if (triangles.empty())
        return;
    const auto bytes = static_cast<std::uint32_t>(triangles.size() * sizeof(Vertex));
    if (Succeeded(vertexBuffer->Set(triangles.data(), bytes)) && Succeeded(vertexBuffer->Bind()))
        vertexBuffer->Draw(PrimitiveType::TriangleList);
}

} // namespace Tarn
