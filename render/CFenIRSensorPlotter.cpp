#include "render/CFenIRSensorPlotter.h"
#include <algorithm>
#include <vector>
#include "engine/IRSensor.h"
#include "render/CVertexBuffer.h"
#include "render/VertexColor.h"

namespace Tarn {

CFenIRSensorPlotter::CFenIRSensorPlotter(CVertexBuffer* vertexBuffer_) : vertexBuffer(vertexBuffer_) {}

DeviceResult CFenIRSensorPlotter::Plot(const Fen::IRSensor& s)
{
    if (vertexBuffer == nullptr)
        return DeviceFail;
    if (DeviceResult r = vertexBuffer->Clear(); Failed(r))
        return r;
    // The per-ray lists are as long as rayCount once the sensor is set up;
    // never read past a shorter one.
    const std::size_t rays = std::min({static_cast<std::size_t>(s.rayCount), s.rayHitPoints.size(),
                                       s.finalRayColors.size()});
    std::vector<Vertex> vertices;
    vertices.reserve(2 * rays);
    for (std::size_t i = 0; i < rays; ++i) {
        const Fen::Point hit = s.absPos + s.rayHitPoints[i];
        const std::uint32_t color = VertexColor(s.finalRayColors[i]);
        vertices.push_back({static_cast<float>(s.absPos.x), static_cast<float>(s.absPos.y), Depth, color});
        vertices.push_back({static_cast<float>(hit.x), static_cast<float>(hit.y), Depth, color});
    }

    if (DeviceResult r =
            vertexBuffer->Append(vertices.data(), static_cast<std::uint32_t>(vertices.size() * sizeof(Vertex)));
        Failed(r))
        return r;
    if (DeviceResult r = vertexBuffer->Bind(); Failed(r))
        return r;
    return vertexBuffer->Draw(PrimitiveType::LineList);
}

} // namespace Tarn
