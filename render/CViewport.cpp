#include "render/CViewport.h"
#include <algorithm>
#include <cmath>

namespace Tarn {

DeviceResult CViewport::OnCreateDevice(IGraphicsDevice* newDevice)
{
    device = newDevice;
    return DeviceOk;
}

DeviceResult CViewport::OnResetDevice()
{
    rectSet = false;
    return DeviceOk;
}

DeviceResult CViewport::OnLostDevice()
{
    rectSet = false;
    begun = false;
    return DeviceOk;
}

DeviceResult CViewport::OnDestroyDevice()
{
    rectSet = false;
    begun = false;
    // The device is gone: a later SetRect must not lead Begin to it.
    device = nullptr;
    return DeviceOk;
}

void CViewport::SetRect(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height)
{
    viewRect = {x, y, width, height, 0, 1};
    changed = true;
    rectSet = true;
}

void CViewport::FitWorld(float width, float height)
{
    const float w = std::max(width, 1.0f);
    const float h = std::max(height, 1.0f);
    centreX = w / 2;
    centreY = h / 2;
    zoom = 1.9f / std::max(w, h);
    changed = true;
}

namespace {
// The share of the remaining distance left after `elapsed` seconds.
float Remaining(float elapsed)
{
    return std::exp(std::log(0.25f) * elapsed);
}
} // namespace

void CViewport::MoveTo(float x, float y, float elapsed)
{
    const float k = Remaining(elapsed);
    centreX = x + (centreX - x) * k;
    centreY = y + (centreY - y) * k;
    changed = true;
}

void CViewport::SetCentre(float x, float y)
{
    centreX = x;
    centreY = y;
    changed = true;
}

void CViewport::ZoomTo(float target, float elapsed)
{
    const float k = Remaining(elapsed);
    zoom = target + (zoom - target) * k;
    changed = true;
}

void CViewport::SetZoom(float newZoom)
{
    zoom = newZoom;
    changed = true;
}

void CViewport::UpdateMatrices()
{
    if (!changed)
        return;
    const float w = static_cast<float>(viewRect.width);
    const float h = static_cast<float>(viewRect.height);
    float sx = 1;
    float sy = 1;
    // An empty rectangle has no aspect to correct.
    if (w > 0 && h > 0) {
        if (h <= w)
            sx = h / w;
        else
            sy = w / h;
    }
    view = MatrixMultiply(MatrixTranslation(-centreX, -centreY, 0), MatrixScaling(zoom, zoom, 1));
    world = MatrixIdentity();
    projection = MatrixScaling(sx, sy, 1);
    combined = MatrixMultiply(MatrixMultiply(world, view), projection);
    const auto inv = MatrixInverse(combined);
    invertible = inv.has_value();
    if (invertible)
        inverse = *inv;
    changed = false;
}

DeviceResult CViewport::Begin()
{
    if (device == nullptr || !rectSet)
        return DeviceFail;
    UpdateMatrices();
    if (DeviceResult r = device->GetViewport(&savedViewport); Failed(r))
        return r;
    if (DeviceResult r = device->GetTransform(TransformState::World, &savedWorld); Failed(r))
        return r;
    if (DeviceResult r = device->GetTransform(TransformState::View, &savedView); Failed(r))
        return r;
    if (DeviceResult r = device->GetTransform(TransformState::Projection, &savedProjection); Failed(r))
        return r;
    if (DeviceResult r = device->SetViewport(viewRect); Failed(r))
        return r;
    if (DeviceResult r = device->SetTransform(TransformState::World, world); Failed(r))
        return r;
    if (DeviceResult r = device->SetTransform(TransformState::View, view); Failed(r))
        return r;
    if (DeviceResult r = device->SetTransform(TransformState::Projection, projection); Failed(r))
        return r;
    begun = true;
    return DeviceOk;
}

DeviceResult CViewport::Clear(std::uint32_t color)
{
    if (device == nullptr || !begun)
        return DeviceFail;
    return device->Clear(ClearTarget | ClearZBuffer, color, 1.0f, 0);
}

DeviceResult CViewport::End()
{
    if (device == nullptr || !rectSet)
        return DeviceFail;
    // Everything saved is given back even if one step fails.
    DeviceResult first = DeviceOk;
    auto keep = [&first](DeviceResult r) {
        if (Failed(r) && Succeeded(first))
            first = r;
    };
    keep(device->SetTransform(TransformState::World, savedWorld));
    keep(device->SetTransform(TransformState::View, savedView));
    keep(device->SetTransform(TransformState::Projection, savedProjection));
    keep(device->SetViewport(savedViewport));
    begun = false;
    return first;
}

Vec2 CViewport::ScreenToWorld(int pixelX, int pixelY)
{
    UpdateMatrices();
    // Without an area or with a zoom of 0 every point is the centre.
    if (viewRect.width == 0 || viewRect.height == 0 || !invertible)
        return {centreX, centreY};
    const float nx = (static_cast<float>(pixelX) - static_cast<float>(viewRect.x)) * 2 /
                         static_cast<float>(viewRect.width) - 1;
    const float ny = 1 - (static_cast<float>(pixelY) - static_cast<float>(viewRect.y)) * 2 /
                             static_cast<float>(viewRect.height);
    return Vec2TransformCoord({nx, ny}, inverse);
}

bool CViewport::Contains(int pixelX, int pixelY) const
{
    const std::int64_t px = pixelX;
    const std::int64_t py = pixelY;
    return viewRect.x <= px && px < static_cast<std::int64_t>(viewRect.x) + viewRect.width && viewRect.y <= py &&
           py < static_cast<std::int64_t>(viewRect.y) + viewRect.height;
}

} // namespace Tarn
