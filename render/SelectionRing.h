#pragma once
#include <cstdint>
#include <vector>

#include "base/DeviceResult.h"
#include "render/Vertex.h"

namespace Tarn {

class CVertexBuffer;

// The ring that marks the selected robot of a swarm: a band between two
// circles round a centre, in front of everything the world draws, so that
// it shows over bodies, rays and other robots at any zoom.
struct SelectionRing {
    static constexpr float Depth = 0.05f;
    static constexpr std::uint32_t Color = 0xFFFFE000u; // warm yellow
    static constexpr int Segments = 48;

    // The band as a triangle strip: inner and outer rim points in turn,
    // round once and back to the first pair.
    static std::vector<Vertex> Strip(float x, float y, float innerRadius, float outerRadius);
    static DeviceResult Draw(CVertexBuffer& buffer, float x, float y, float innerRadius, float outerRadius);
};

} // namespace Tarn
