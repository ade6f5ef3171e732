#include "app/CD3DDeviceSubject.h"

void CD3DDeviceSubject::Attach(ID3DDeviceObserver* observer)
{
    observers.Attach(observer);
}

void CD3DDeviceSubject::Detach(ID3DDeviceObserver* observer)
{
    observers.Detach(observer);
}

template <class F>
DeviceResult CD3DDeviceSubject::FanOut(F&& call)
{
    bool anyFailed = false;
    observers.ForEach([&](ID3DDeviceObserver& o) {
        // A positive code counts as a failure too.
        if (call(o) != DeviceOk)
            anyFailed = true;
    });
    return anyFailed ? DeviceFail : DeviceOk;
}

DeviceResult CD3DDeviceSubject::OnCreateDevice(IGraphicsDevice* device)
{
    return FanOut([device](ID3DDeviceObserver& o) { return o.OnCreateDevice(device); });
}

DeviceResult CD3DDeviceSubject::OnResetDevice()
{
    return FanOut([](ID3DDeviceObserver& o) { return o.OnResetDevice(); });
}

DeviceResult CD3DDeviceSubject::OnLostDevice()
{
    return FanOut([](ID3DDeviceObserver& o) { return o.OnLostDevice(); });
}

DeviceResult CD3DDeviceSubject::OnDestroyDevice()
{
    return FanOut([](ID3DDeviceObserver& o) { return o.OnDestroyDevice(); });
}
