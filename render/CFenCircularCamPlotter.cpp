#include "render/CFenCircularCamPlotter.h"
#include <cmath>
#include <vector>
#include "engine/CircularCam.h"
#include "render/CVertexBuffer.h"
#include "render/VertexColor.h"

namespace Tarn {

CFenCircularCamPlotter::CFenCircularCamPlotter(CVertexBuffer* vertexBuffer_) : vertexBuffer(vertexBuffer_) {}

DeviceResult CFenCircularCamPlotter::Plot(const Fen::CircularCam& c, double R)
{
    if (vertexBuffer == nullptr)
        return DeviceFail;
    if (DeviceResult r = vertexBuffer->Clear(); Failed(r))
        return r;
    const unsigned n = c.pixelCount();
    // A strip needs two pixels for its first triangle; one pixel would also
    // divide by zero in the angle below.
    if (n < 2)
        return DeviceOk;

    std::vector<Vertex> vertices;
    vertices.reserve(2 * static_cast<std::size_t>(n));
    for (unsigned i = 0; i < n; ++i) {
        const double a = c.absOrientation - c.fieldOfView + 2 * c.fieldOfView * i / (n - 1);
        const Fen::Vector direction(std::cos(a), std::sin(a));
        const Fen::Point inner = c.absPos + 1.5 * R * direction;
        const Fen::Point outer = c.absPos + 2.5 * R * direction;
        const std::uint32_t color = VertexColor(c.image[i]);
        vertices.push_back({static_cast<float>(inner.x), static_cast<float>(inner.y), Depth, color});
        vertices.push_back({static_cast<float>(outer.x), static_cast<float>(outer.y), Depth, color});
    }

    if (DeviceResult r = vertexBuffer->Set(vertices.data(), static_cast<std::uint32_t>(vertices.size() * sizeof(Vertex)));
        Failed(r))
        return r;
    if (DeviceResult r = vertexBuffer->Bind(); Failed(r))
        return r;
    return vertexBuffer->Draw(PrimitiveType::TriangleStrip);
}

} // namespace Tarn
