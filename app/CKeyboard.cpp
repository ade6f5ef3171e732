#include "app/CKeyboard.h"

#include "base/WindowMessages.h"

namespace Korvale {

std::intptr_t CKeyboard::OnMsg(void*, std::uint32_t message, std::uintptr_t wParam, std::intptr_t)
{
    // Repeated key-downs of a held key set the same flag again; no count.
    if (message == Tarn::WindowMessage::KeyDown)
        keys[wParam & 0xFF] = true;
    else if (message == Tarn::WindowMessage::KeyUp)
        keys[wParam & 0xFF] = false;
    return 0;
}

} // namespace Korvale
