#include "control/CKeyboardRemoteControl.h"

#include "base/WindowMessages.h"

namespace Tarn {

CKeyboardRemoteControl::CKeyboardRemoteControl(const IKeyboardState* keyboard_) : keyboard(keyboard_) {}

bool CKeyboardRemoteControl::isForward() { return IsDown(VirtualKey::Up); }
bool CKeyboardRemoteControl::isBackward() { return IsDown(VirtualKey::Down); }
bool CKeyboardRemoteControl::isLeft() { return IsDown(VirtualKey::Left); }
bool CKeyboardRemoteControl::isRight() { return IsDown(VirtualKey::Right); }

bool CKeyboardRemoteControl::IsDown(unsigned code) const
{
    return keyboard != nullptr && keyboard->IsKeyDown(code);
}

} // namespace Tarn
