#include "app/CD3DDeviceSubject.h"

namespace Korvale {

void CD3DDeviceSubject::Attach(Tarn::ID3DDeviceObserver* observer)
{
    observers.Attach(observer);
}

void CD3DDeviceSubject::Detach(Tarn::ID3DDeviceObserver* observer)
{
    observers.Detach(observer);
}

template <class F>
Tarn::DeviceResult CD3DDeviceSubject::FanOut(F&& call)
{
    bool anyFailed = false;
    observers.ForEach([&](Tarn::ID3DDeviceObserver& o) {
        if (Tarn::Failed(call(o)))
            anyFailed = true;
    });
    return anyFailed ? Tarn::DeviceFail : Tarn::DeviceOk;
}

Tarn::DeviceResult CD3DDeviceSubject::OnCreateDevice(Tarn::IGraphicsDevice* device)
{
    return FanOut([device](Tarn::ID3DDeviceObserver& o) { return o.OnCreateDevice(device); });
}

Tarn::DeviceResult CD3DDeviceSubject::OnResetDevice()
{
    return FanOut([](Tarn::ID3DDeviceObserver& o) { return o.OnResetDevice(); });
}

Tarn::DeviceResult CD3DDeviceSubject::OnLostDevice()
{
    return FanOut([](Tarn::ID3DDeviceObserver& o) { return o.OnLostDevice(); });
}

Tarn::DeviceResult CD3DDeviceSubject::OnDestroyDevice()
{
    return FanOut([](Tarn::ID3DDeviceObserver& o) { return o.OnDestroyDevice(); });
}

} // namespace Korvale
