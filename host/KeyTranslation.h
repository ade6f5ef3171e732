#pragma once
#include <SDL_keycode.h>
#include <cstdint>

namespace Host {

// The virtual-key code (the Windows numbering the application reads its keys
// by) of an SDL key, or 0 for keys without one. Letters and digits follow the
// keyboard layout, as virtual keys do.
std::uint8_t VirtualKeyFromSdl(SDL_Keycode key);

}
