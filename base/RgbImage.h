#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tarn {

// A picture as files and arrays hold it: 8-bit red, green and blue a pixel,
// rows from the top, no gaps between rows.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // width * height * 3 bytes

    RgbImage() = default;
    RgbImage(int width_, int height_)
        : width(width_), height(height_),
          pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3)
    {
    }

    const std::uint8_t* At(int x, int y) const { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
    std::uint8_t* At(int x, int y) { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
};

} // namespace Tarn
