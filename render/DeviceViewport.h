#pragma once
#include <cstdint>

namespace Tarn {

// A rectangle of the render target in pixels (origin top left, y down) with
// the depth range it maps z to.
struct DeviceViewport {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    float minZ = 0;
    float maxZ = 1;
    constexpr bool operator==(const DeviceViewport&) const = default;
};

} // namespace Tarn
