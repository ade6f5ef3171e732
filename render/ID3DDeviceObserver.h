#pragma once
#include "base/DeviceResult.h"

namespace Tarn {

class IGraphicsDevice;

// Follows the graphics device's lifecycle: created, reset (after creation and
// after every loss), lost (before a reset and before destruction), destroyed.
class ID3DDeviceObserver {
public:
    virtual ~ID3DDeviceObserver() = default;
    virtual DeviceResult OnCreateDevice(IGraphicsDevice* device) = 0;
    virtual DeviceResult OnResetDevice() = 0;
    virtual DeviceResult OnLostDevice() = 0;
    virtual DeviceResult OnDestroyDevice() = 0;
};

} // namespace Tarn
