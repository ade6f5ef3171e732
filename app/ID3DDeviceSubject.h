#pragma once
#include "base/DeviceResult.h"

class IGraphicsDevice;
class ID3DDeviceObserver;

// Fans the device's lifecycle out to its observers, first attached first.
class ID3DDeviceSubject {
public:
    virtual ~ID3DDeviceSubject() = default;
    virtual void Attach(ID3DDeviceObserver* observer) = 0;
    virtual void Detach(ID3DDeviceObserver* observer) = 0;
    virtual DeviceResult OnCreateDevice(IGraphicsDevice* device) = 0;
    virtual DeviceResult OnResetDevice() = 0;
    virtual DeviceResult OnLostDevice() = 0;
    virtual DeviceResult OnDestroyDevice() = 0;
};
