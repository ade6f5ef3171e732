#pragma once
#include "base/DeviceResult.h"

namespace Tarn {
class IGraphicsDevice;
class ID3DDeviceObserver;
}

namespace Korvale {

// Fans the device's lifecycle out to its observers, first attached first.
class ID3DDeviceSubject {
public:
    virtual ~ID3DDeviceSubject() = default;
    virtual void Attach(Tarn::ID3DDeviceObserver* observer) = 0;
    virtual void Detach(Tarn::ID3DDeviceObserver* observer) = 0;
    virtual Tarn::DeviceResult OnCreateDevice(Tarn::IGraphicsDevice* device) = 0;
    virtual Tarn::DeviceResult OnResetDevice() = 0;
    virtual Tarn::DeviceResult OnLostDevice() = 0;
    virtual Tarn::DeviceResult OnDestroyDevice() = 0;
};

} // namespace Korvale
