#pragma once
#include "app/CSubject.h"
#include "render/ID3DDeviceObserver.h"
#include "app/ID3DDeviceSubject.h"

// Hands the device's lifecycle to the drawing context and the viewport. Each
// fan-out calls every observer, even after a failure, and returns the general
// failure code if any observer returned anything but 0.
class CD3DDeviceSubject : public ID3DDeviceSubject {
public:
    void Attach(ID3DDeviceObserver* observer) override;
    void Detach(ID3DDeviceObserver* observer) override;
    DeviceResult OnCreateDevice(IGraphicsDevice* device) override;
    DeviceResult OnResetDevice() override;
    DeviceResult OnLostDevice() override;
    DeviceResult OnDestroyDevice() override;

private:
    template <class F>
    DeviceResult FanOut(F&& call);

    CSubject<ID3DDeviceObserver> observers;
};
