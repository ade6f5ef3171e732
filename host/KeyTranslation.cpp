#include "host/KeyTranslation.h"

#include "base/WindowMessages.h"

namespace Host {

std::uint8_t VirtualKeyFromSdl(SDL_Keycode key)
{
    namespace Key = Tarn::VirtualKey;
    const auto offset = [](std::uint8_t first, SDL_Keycode distance) {
        return static_cast<std::uint8_t>(first + distance);
    };
    if (key >= SDLK_a && key <= SDLK_z)
        return offset(Key::A, key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return offset(Key::Digit0, key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return offset(Key::F1, key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24)
        return offset(Key::F13, key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return offset(Key::Numpad0, key - SDLK_KP_1 + 1);

    switch (key) {
    case SDLK_BACKSPACE: return Key::Backspace;
    case SDLK_TAB: return Key::Tab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return Key::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return Key::Control;
    case SDLK_LALT:
    case SDLK_RALT: return Key::Alt;
    case SDLK_PAUSE: return Key::Pause;
    case SDLK_CAPSLOCK: return Key::CapsLock;
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_SPACE: return Key::Space;
    case SDLK_PAGEUP: return Key::PageUp;
    case SDLK_PAGEDOWN: return Key::PageDown;
    case SDLK_END: return Key::End;
    case SDLK_HOME: return Key::Home;
    case SDLK_LEFT: return Key::Left;
    case SDLK_UP: return Key::Up;
    case SDLK_RIGHT: return Key::Right;
    case SDLK_DOWN: return Key::Down;
    case SDLK_PRINTSCREEN: return Key::PrintScreen;
    case SDLK_INSERT: return Key::Insert;
    case SDLK_DELETE: return Key::Delete;
    case SDLK_LGUI: return Key::LeftWindows;
    case SDLK_RGUI: return Key::RightWindows;
    case SDLK_APPLICATION: return Key::Applications;
    case SDLK_KP_0: return Key::Numpad0;
    case SDLK_KP_MULTIPLY: return Key::Multiply;
    case SDLK_KP_PLUS: return Key::Add;
    case SDLK_KP_MINUS: return Key::Subtract;
    case SDLK_KP_PERIOD: return Key::Decimal;
    case SDLK_KP_DIVIDE: return Key::Divide;
    case SDLK_NUMLOCKCLEAR: return Key::NumLock;
    case SDLK_SCROLLLOCK: return Key::ScrollLock;
    case SDLK_SEMICOLON: return Key::Semicolon;
    case SDLK_EQUALS:
    case SDLK_PLUS: return Key::Equals; // the "+" key, wherever a layout has it
    case SDLK_COMMA: return Key::Comma;
    case SDLK_MINUS: return Key::Minus;
    case SDLK_PERIOD: return Key::Period;
    case SDLK_SLASH: return Key::Slash;
    case SDLK_BACKQUOTE: return Key::Backquote;
    case SDLK_LEFTBRACKET: return Key::LeftBracket;
    case SDLK_BACKSLASH: return Key::Backslash;
    case SDLK_RIGHTBRACKET: return Key::RightBracket;
    case SDLK_QUOTE: return Key::Quote;
    default: return 0;
    }
}

}
