#include "render/CFenWorldGraphics.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "render/CFenPhysicalObjectPlotter.h"
#include "render/CVertexBuffer.h"

namespace Tarn {

CFenWorldGraphics::CFenWorldGraphics(CVertexBuffer* vertexBuffer_, CFenWorld& world_)
    : vertexBuffer(vertexBuffer_), world(world_)
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

    bool MayCover(const double (&x)[3], const double (&y)[3], double error) const
    {
        return CentreWithin(std::min({x[0], x[1], x[2]}) - error, std::max({x[0], x[1], x[2]}) + error, columns)
            && CentreWithin(std::min({y[0], y[1], y[2]}) - error, std::max({y[0], y[1], y[2]}) + error, rows);
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

} // namespace

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
