#include "render/SelectionRing.h"

#include <cmath>

#include "render/CVertexBuffer.h"

namespace Tarn {

std::vector<Vertex> SelectionRing::Strip(float x, float y, float innerRadius, float outerRadius)
{
    std::vector<Vertex> strip;
    strip.reserve(2 * (Segments + 1));
    const double step = 2 * 3.14159265358979323846 / Segments;
    for (int k = 0; k <= Segments; ++k) {
        // The last pair is the first again, so the band closes exactly.
        const double angle = k == Segments ? 0 : k * step;
        const float c = static_cast<float>(std::cos(angle));
        const float s = static_cast<float>(std::sin(angle));
        strip.push_back({x + innerRadius * c, y + innerRadius * s, Depth, Color});
        strip.push_back({x + outerRadius * c, y + outerRadius * s, Depth, Color});
    }
    return strip;
}

DeviceResult SelectionRing::Draw(CVertexBuffer& buffer, float x, float y, float innerRadius, float outerRadius)
{
    const std::vector<Vertex> strip = Strip(x, y, innerRadius, outerRadius);
    DeviceResult result = buffer.Set(strip.data(), static_cast<std::uint32_t>(strip.size() * sizeof(Vertex)));
    if (Succeeded(result))
        result = buffer.Bind();
    if (Succeeded(result))
        result = buffer.Draw(PrimitiveType::TriangleStrip);
    return result;
}

} // namespace Tarn
