#pragma once
#include "app/IMsgObserver.h"

namespace Tarn {
class CViewport;
}

namespace Korvale {

// Gathers the wheel's turns made over the world view, for the frame's zoom.
class CMouseWheel : public IMsgObserver {
public:
    explicit CMouseWheel(const Tarn::CViewport* viewport) : viewport(viewport) {}

    std::intptr_t OnMsg(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    // Whole notches turned since the last call (positive away from the
    // user); a part of a notch (a fine-grained wheel) waits for the rest.
    int TakeNotches();

private:
    const Tarn::CViewport* viewport;
    int delta = 0; // 120 a notch
};

} // namespace Korvale
