#pragma once
#include "app/IMsgObserver.h"

namespace Tarn {
class CViewport;
}

namespace Korvale {

// Follows the left mouse button and the pointer over the world view and keeps
// their positions in world coordinates, for the status line. A drag that
// starts inside the world view goes on being recorded outside it.
class CPositioningSystem : public IMsgObserver {
public:
    struct ScreenPoint {
        int x = 0;
        int y = 0;
    };
    struct WorldPoint {
        float x = 0.0f;
        float y = 0.0f;
    };

    // The viewport is the application's and outlives the tracker.
    explicit CPositioningSystem(Tarn::CViewport* viewport);
    ~CPositioningSystem() override = default;

    // Left button down and up, pointer moves; x and y are the low and high
    // 16 bits of lParam, each a signed number. Returns 0.
    std::intptr_t OnMsg(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

    void OnPress(int x, int y);
    void OnMove(int x, int y);
    void OnRelease(int x, int y);

    Tarn::CViewport* viewport;
    ScreenPoint pressPoint;
    ScreenPoint movePoint;
    ScreenPoint releasePoint;
    WorldPoint pressWorld;
    WorldPoint moveWorld;
    WorldPoint releaseWorld;
    bool pressValid = false;
    bool moveValid = false;
    bool releaseValid = false;
    bool dragging = false;

private:
    WorldPoint ToWorld(int x, int y) const;
};

} // namespace Korvale
