#pragma once
#include <cstdint>
#include "render/ID3DDeviceObserver.h"
#include "render/IGraphicsDevice.h"

namespace Tarn {

// The camera of the world view: a rectangle of the back buffer, a centre and
// a zoom, and the matrices from world coordinates to that rectangle and back.
// World y grows upward and one world unit has the same length on both axes.
class CViewport : public ID3DDeviceObserver {
public:
    CViewport() = default;
    CViewport(const CViewport&) = delete;
    CViewport& operator=(const CViewport&) = delete;

    DeviceResult OnCreateDevice(IGraphicsDevice* device) override;
    DeviceResult OnResetDevice() override;
    DeviceResult OnLostDevice() override;
    DeviceResult OnDestroyDevice() override;

    void SetRect(std::uint32_t x, std::uint32_t y, std::uint32_t width, std::uint32_t height);
    // Centres the arena and lets its larger side span 95 % of the shorter side
    // of the rectangle; sizes below 1 count as 1.
    void FitWorld(float width, float height);
    // Both close in on their target by 0.25 to the power of the elapsed seconds.
    void MoveTo(float x, float y, float elapsed);
    // Puts the centre there at once.
    void SetCentre(float x, float y);
    void ZoomTo(float zoom, float elapsed);
    void SetZoom(float zoom);
    float GetZoom() const { return zoom; }
    Vec2 GetCentre() const { return {centreX, centreY}; }

    // Saves the device's viewport and matrices and sets the world view's.
    DeviceResult Begin();
    // Clears target and depth inside the view rectangle; only between Begin and End.
    DeviceResult Clear(std::uint32_t color);
    // Gives the device back what Begin saved.
    DeviceResult End();

    Vec2 ScreenToWorld(int pixelX, int pixelY);
    bool Contains(int pixelX, int pixelY) const;

    const DeviceViewport& GetRect() const { return viewRect; }
    bool IsBegun() const { return begun; }
    // The matrices as last computed (Begin and ScreenToWorld bring them up to date).
    const Matrix& GetWorldMatrix() const { return world; }
    const Matrix& GetViewMatrix() const { return view; }
    const Matrix& GetProjectionMatrix() const { return projection; }
    const Matrix& GetCombinedMatrix() const { return combined; }
    const Matrix& GetInverseMatrix() const { return inverse; }

private:
    void UpdateMatrices();

    IGraphicsDevice* device = nullptr;
    DeviceViewport viewRect{0, 0, 0, 0, 0, 0};
    Matrix world = MatrixIdentity();
    Matrix view = MatrixIdentity();
    Matrix projection = MatrixIdentity();
    Matrix combined;
    Matrix inverse;
    DeviceViewport savedViewport{0, 0, 0, 0, 0, 1};
    Matrix savedWorld = MatrixIdentity();
    Matrix savedView = MatrixIdentity();
    Matrix savedProjection = MatrixIdentity();
    bool changed = false;
    bool rectSet = false;
    bool begun = false;
    bool invertible = false; // the combined matrix had an inverse
    float zoom = 0;
    float centreX = 0;
    float centreY = 0;
};

} // namespace Tarn
