#include "app/CPositioningSystem.h"

#include "base/WindowMessages.h"
#include "host/MouseCapture.h"
#include "render/CViewport.h"

namespace Korvale {

namespace {

int SignedLow16(std::intptr_t param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(param & 0xFFFF));
}

int SignedHigh16(std::intptr_t param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((param >> 16) & 0xFFFF));
}

}

CPositioningSystem::CPositioningSystem(Tarn::CViewport* viewport) : viewport(viewport) {}

std::intptr_t CPositioningSystem::OnMsg(void* window, std::uint32_t message, std::uintptr_t, std::intptr_t lParam)
{
    const int x = SignedLow16(lParam);
    const int y = SignedHigh16(lParam);
    switch (message) {
    case Tarn::WindowMessage::LeftButtonDown:
        Host::CaptureMouse(window);
        OnPress(x, y);
        break;
    case Tarn::WindowMessage::MouseMove:
        OnMove(x, y);
        break;
    case Tarn::WindowMessage::LeftButtonUp:
        OnRelease(x, y);
        Host::ReleaseMouseCapture(window);
        break;
    default:
        break;
    }
    return 0;
}

CPositioningSystem::WorldPoint CPositioningSystem::ToWorld(int x, int y) const
{
    const Tarn::Vec2 world = viewport->ScreenToWorld(x, y);
    return {world.x, world.y};
}

void CPositioningSystem::OnPress(int x, int y)
{
    if (!viewport->Contains(x, y))
        return;
    dragging = true;
    pressPoint = {x, y};
    pressWorld = ToWorld(x, y);
    pressValid = true;
}

void CPositioningSystem::OnMove(int x, int y)
{
    if (!dragging && !viewport->Contains(x, y)) {
        moveValid = false;
        return;
    }
    movePoint = {x, y};
    moveWorld = ToWorld(x, y);
    moveValid = true;
}

void CPositioningSystem::OnRelease(int x, int y)
{
    if (!dragging || !pressValid)
        return;
    releasePoint = {x, y};
    releaseWorld = ToWorld(x, y);
    releaseValid = true;
    dragging = false;
}

} // namespace Korvale
