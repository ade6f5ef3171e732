#include "render/CFenPhysicalObjectPlotter.h"
#include <cmath>
#include <vector>
#include "engine/Angle.h"
#include "engine/PhysicalObject.h"
#include "render/CVertexBuffer.h"
#include "render/VertexColor.h"

namespace Tarn {

CFenPhysicalObjectPlotter::CFenPhysicalObjectPlotter(CVertexBuffer* vertexBuffer_) : vertexBuffer(vertexBuffer_) {}

namespace {

Vertex At(const Fen::Point& p, std::uint32_t color)
{
    return Vertex{static_cast<float>(p.x), static_cast<float>(p.y), CFenPhysicalObjectPlotter::Depth, color};
}

} // namespace

// A polygon that was never set has no points: it is drawn as a disc.
bool CFenPhysicalObjectPlotter::DrawnAsDisc(const Fen::PhysicalObject& o)
{
    return !(o.hasBoundingSurface && !o.absBoundingSurface.empty());
}

Vertex CFenPhysicalObjectPlotter::DiscRimPoint(const Fen::PhysicalObject& o, int k, std::uint32_t color)
{
    const double a = o.angle + k * 2 * Fen::pi / DiscWedges;
    return At({o.pos.x + o.r * std::cos(a), o.pos.y + o.r * std::sin(a)}, color);
}

void CFenPhysicalObjectPlotter::Fan(const Fen::PhysicalObject& o, std::vector<Vertex>& vertices)
{
    const std::uint32_t color = VertexColor(o.color);
    vertices.clear();
    vertices.push_back(At(o.pos, color));
    if (!DrawnAsDisc(o)) {
        const Fen::Polygone& polygon = o.absBoundingSurface;
        vertices.reserve(polygon.size() + 2);
        for (const Fen::Point& p : polygon)
            vertices.push_back(At(p, color));
        vertices.push_back(At(polygon.front(), color));
    } else {
        vertices.reserve(DiscWedges + 2);
        // The last rim point repeats the first and closes the circle.
        for (int k = 0; k <= DiscWedges; ++k)
            vertices.push_back(DiscRimPoint(o, k, color));
    }
}

void CFenPhysicalObjectPlotter::AppendTriangles(const Fen::PhysicalObject& o, std::vector<Vertex>& fan,
                                                std::vector<Vertex>& triangles)
{
    Fan(o, fan);
    for (std::size_t k = 1; k + 1 < fan.size(); ++k) {
        triangles.push_back(fan[0]);
        triangles.push_back(fan[k]);
        triangles.push_back(fan[k + 1]);
    }
}

DeviceResult CFenPhysicalObjectPlotter::Plot(const Fen::PhysicalObject& o)
{
    if (vertexBuffer == nullptr)
        return DeviceFail;
    if (DeviceResult r = vertexBuffer->Clear(); Failed(r))
        return r;
    std::vector<Vertex> vertices;
    Fan(o, vertices);
    if (DeviceResult r = vertexBuffer->Set(vertices.data(), static_cast<std::uint32_t>(vertices.size() * sizeof(Vertex)));
        Failed(r))
        return r;
    if (DeviceResult r = vertexBuffer->Bind(); Failed(r))
        return r;
    return vertexBuffer->Draw(PrimitiveType::TriangleFan);
}

} // namespace Tarn
