#pragma once

#include "base/DeviceResult.h"

namespace Tarn {

// The drawing object of an adapter.
class IFenGraphics {
public:
    virtual ~IFenGraphics() = default;
    virtual DeviceResult Draw() = 0;
};

} // namespace Tarn
