#pragma once
#include <cstdint>

namespace Tarn {

// The one vertex layout of every drawing: position, then a colour with alpha
// in bits 24..31, red 16..23, green 8..15 and blue 0..7.
struct Vertex {
    float x = 0;
    float y = 0;
    float z = 0;
    std::uint32_t color = 0;
    constexpr bool operator==(const Vertex&) const = default;
};
static_assert(sizeof(Vertex) == 16, "the device reads 16-byte vertices");

inline constexpr std::uint32_t VertexStride = sizeof(Vertex);

// The flexible-vertex-format code of that layout: position plus diffuse colour.
inline constexpr std::uint32_t FvfPositionColor = 0x002u | 0x040u;

enum class PrimitiveType : int {
    PointList = 1,
    LineList = 2,
    LineStrip = 3,
    TriangleList = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};

// Vertices that `count` primitives of the given type consume.
constexpr std::uint64_t VerticesForPrimitives(PrimitiveType type, std::uint32_t count)
{
    const std::uint64_t n = count;
    switch (type) {
    case PrimitiveType::PointList: return n;
    case PrimitiveType::LineList: return 2 * n;
    case PrimitiveType::LineStrip: return n == 0 ? 0 : n + 1;
    case PrimitiveType::TriangleList: return 3 * n;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan: return n == 0 ? 0 : n + 2;
    }
    return 0;
}

} // namespace Tarn
