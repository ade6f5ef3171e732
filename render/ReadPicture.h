#pragma once
#include "base/RgbImage.h"
#include "render/CGLDevice.h"

namespace Tarn {

// A rectangle of what the device drew (origin top left) as a picture; the
// target's alpha is dropped.
RgbImage ReadPicture(const CGLDevice& device, int x, int y, int width, int height);

} // namespace Tarn
