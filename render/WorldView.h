#pragma once
#include <cstdint>
#include <functional>

#include "base/DeviceResult.h"
#include "render/CViewport.h"

namespace Tarn {

// The ground of the world view, behind the arena and everything in it:
// dark blue (blue 170).
inline constexpr std::uint32_t WorldViewColor = 0x000000AA;

// The world view as every frame draws it, in the window and in pictures:
// the viewport begins, its rectangle is cleared to the ground colour,
// drawWorld draws the world in world coordinates, the viewport ends. When
// Begin fails nothing is drawn and its result is returned.
DeviceResult DrawWorldView(CViewport& viewport, const std::function<void()>& drawWorld);

} // namespace Tarn
