#include "media/PngImage.h"

#include <stb_image_write.h>

#include "media/CNewFile.h"

namespace Tarn {

std::vector<std::uint8_t> EncodePng(const RgbImage& image)
{
    std::vector<std::uint8_t> png;
    if (image.width <= 0 || image.height <= 0
        || image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        return png;
    // The encoder hands over the whole file in one call.
    const auto append = [](void* context, void* data, int size) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(context);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out->insert(out->end(), bytes, bytes + size);
    };
    if (stbi_write_png_to_func(append, &png, image.width, image.height, 3, image.pixels.data(), image.width * 3) == 0)
        png.clear();
    return png;
}

bool WritePng(CNewFile& file, const RgbImage& image)
{
    const std::vector<std::uint8_t> png = EncodePng(image);
    if (png.empty())
        return file.Fail(ENOMEM);
    return file.Write(png.data(), png.size()) && file.Keep();
}

} // namespace Tarn
