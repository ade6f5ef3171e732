#include "render/VertexColor.h"
#include <cmath>

namespace Tarn {

std::uint32_t ColorChannelByte(double channel)
{
    const double scaled = channel * 255;
    // Beyond this range the conversion to an integer is undefined.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.0e18)
        return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(scaled)) & 0xFFu;
}

std::uint32_t VertexColor(const Fen::Color& color)
{
    return ColorChannelByte(color.a) << 24 | ColorChannelByte(color.r) << 16 | ColorChannelByte(color.g) << 8 |
           ColorChannelByte(color.b);
}

} // namespace Tarn
