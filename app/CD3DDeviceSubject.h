#pragma once
#include "app/CSubject.h"
#include "render/ID3DDeviceObserver.h"
#include "app/ID3DDeviceSubject.h"

namespace Korvale {

// Hands the device's lifecycle to the drawing context and the viewport. Each
// fan-out calls every observer, even after a failure, and returns the general
// failure code if any observer returned anything but 0.
class CD3DDeviceSubject : public ID3DDeviceSubject {
public:
    void Attach(Tarn::ID3DDeviceObserver* observer) override;
    void Detach(Tarn::ID3DDeviceObserver* observer) override;
    Tarn::DeviceResult OnCreateDevice(Tarn::IGraphicsDevice* device) override;
    Tarn::DeviceResult OnResetDevice() override;
    Tarn::DeviceResult OnLostDevice() override;
    Tarn::DeviceResult OnDestroyDevice() override;

private:
    template <class F>
    Tarn::DeviceResult FanOut(F&& call);

    CSubject<Tarn::ID3DDeviceObserver> observers;
};

} // namespace Korvale
