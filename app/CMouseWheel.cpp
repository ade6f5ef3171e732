#include "app/CMouseWheel.h"

#include "base/WindowMessages.h"
#include "render/CViewport.h"

namespace Korvale {

std::intptr_t CMouseWheel::OnMsg(void*, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (message == Tarn::WindowMessage::MouseWheel
        && viewport->Contains(Tarn::PointParamX(lParam), Tarn::PointParamY(lParam)))
        delta += Tarn::WheelParamDelta(wParam);
    return 0;
}

int CMouseWheel::TakeNotches()
{
    const int notches = delta / 120;
    delta -= notches * 120;
    return notches;
}

} // namespace Korvale
