#pragma once
#include <cstdint>
#include "engine/Color.h"

namespace Tarn {

// One channel in 0..1 as its byte: times 255, truncated toward zero, low 8
// bits kept. Values no integer can hold (NaN, infinities) give 0.
std::uint32_t ColorChannelByte(double channel);

// An engine colour as a vertex colour 0xAARRGGBB.
std::uint32_t VertexColor(const Fen::Color& color);

} // namespace Tarn
