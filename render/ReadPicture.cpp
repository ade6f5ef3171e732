#include "render/ReadPicture.h"

namespace Tarn {

RgbImage ReadPicture(const CGLDevice& device, int x, int y, int width, int height)
{
    if (x < 0 || y < 0 || width <= 0 || height <= 0)
        return {};
    const std::vector<std::uint32_t> pixels =
        device.ReadPixels(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                          static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    RgbImage picture(width, height);
    std::uint8_t* out = picture.pixels.data();
    for (const std::uint32_t p : pixels) {
        *out++ = static_cast<std::uint8_t>(p >> 16);
        *out++ = static_cast<std::uint8_t>(p >> 8);
        *out++ = static_cast<std::uint8_t>(p);
    }
    return picture;
}

} // namespace Tarn
