#pragma once
#include <cstdint>

namespace Tarn {

// The window messages and key codes the host hands to the application, in
// the numbering of the Windows platform the application's model comes from,
// and how a message's two parameters carry a key or a mouse position.
namespace WindowMessage {
inline constexpr std::uint32_t KeyDown = 0x100;
inline constexpr std::uint32_t KeyUp = 0x101;
inline constexpr std::uint32_t MouseMove = 0x200;
inline constexpr std::uint32_t LeftButtonDown = 0x201;
inline constexpr std::uint32_t LeftButtonUp = 0x202;
inline constexpr std::uint32_t RightButtonDown = 0x204;
inline constexpr std::uint32_t RightButtonUp = 0x205;
inline constexpr std::uint32_t MiddleButtonDown = 0x207;
inline constexpr std::uint32_t MiddleButtonUp = 0x208;
// First parameter: the wheel's turn in its high 16 bits, signed, 120 a notch
// (positive away from the user); second: the pointer, as for the buttons.
inline constexpr std::uint32_t MouseWheel = 0x20A;
}

// Virtual-key codes, a key message's first parameter. Letters and digits
// are their upper-case ASCII codes, so 'W' is the W key; the keypad digits,
// the function keys F1 to F12 and F13 to F24 are runs of consecutive codes.
namespace VirtualKey {
inline constexpr std::uint8_t Backspace = 0x08;
inline constexpr std::uint8_t Tab = 0x09;
inline constexpr std::uint8_t Return = 0x0D;
inline constexpr std::uint8_t Shift = 0x10;
inline constexpr std::uint8_t Control = 0x11;
inline constexpr std::uint8_t Alt = 0x12;
inline constexpr std::uint8_t Pause = 0x13;
inline constexpr std::uint8_t CapsLock = 0x14;
inline constexpr std::uint8_t Escape = 0x1B;
inline constexpr std::uint8_t Space = 0x20;
inline constexpr std::uint8_t PageUp = 0x21;
inline constexpr std::uint8_t PageDown = 0x22;
inline constexpr std::uint8_t End = 0x23;
inline constexpr std::uint8_t Home = 0x24;
inline constexpr std::uint8_t Left = 0x25;
inline constexpr std::uint8_t Up = 0x26;
inline constexpr std::uint8_t Right = 0x27;
inline constexpr std::uint8_t Down = 0x28;
inline constexpr std::uint8_t PrintScreen = 0x2C;
inline constexpr std::uint8_t Insert = 0x2D;
inline constexpr std::uint8_t Delete = 0x2E;
inline constexpr std::uint8_t Digit0 = '0';
inline constexpr std::uint8_t A = 'A';
inline constexpr std::uint8_t D = 'D';
inline constexpr std::uint8_t E = 'E';
inline constexpr std::uint8_t Q = 'Q';
inline constexpr std::uint8_t S = 'S';
inline constexpr std::uint8_t W = 'W';
inline constexpr std::uint8_t LeftWindows = 0x5B;
inline constexpr std::uint8_t RightWindows = 0x5C;
inline constexpr std::uint8_t Applications = 0x5D;
inline constexpr std::uint8_t Numpad0 = 0x60;
inline constexpr std::uint8_t Multiply = 0x6A;
inline constexpr std::uint8_t Add = 0x6B;
inline constexpr std::uint8_t Subtract = 0x6D;
inline constexpr std::uint8_t Decimal = 0x6E;
inline constexpr std::uint8_t Divide = 0x6F;
inline constexpr std::uint8_t F1 = 0x70;
inline constexpr std::uint8_t F2 = 0x71;
inline constexpr std::uint8_t F3 = 0x72;
inline constexpr std::uint8_t F4 = 0x73;
inline constexpr std::uint8_t F12 = 0x7B;
inline constexpr std::uint8_t F13 = 0x7C;
inline constexpr std::uint8_t F24 = 0x87;
inline constexpr std::uint8_t NumLock = 0x90;
inline constexpr std::uint8_t ScrollLock = 0x91;
// The punctuation keys of a US layout.
inline constexpr std::uint8_t Semicolon = 0xBA;
inline constexpr std::uint8_t Equals = 0xBB;
inline constexpr std::uint8_t Comma = 0xBC;
inline constexpr std::uint8_t Minus = 0xBD;
inline constexpr std::uint8_t Period = 0xBE;
inline constexpr std::uint8_t Slash = 0xBF;
inline constexpr std::uint8_t Backquote = 0xC0;
inline constexpr std::uint8_t LeftBracket = 0xDB;
inline constexpr std::uint8_t Backslash = 0xDC;
inline constexpr std::uint8_t RightBracket = 0xDD;
inline constexpr std::uint8_t Quote = 0xDE;
}

// A mouse message's first parameter: the buttons and modifier keys held.
namespace MouseParam {
inline constexpr std::uintptr_t LeftButton = 0x01;
inline constexpr std::uintptr_t RightButton = 0x02;
inline constexpr std::uintptr_t Shift = 0x04;
inline constexpr std::uintptr_t Control = 0x08;
inline constexpr std::uintptr_t MiddleButton = 0x10;
}

// Bits of a key message's second parameter.
namespace KeyParam {
inline constexpr std::intptr_t AltBit = std::intptr_t{1} << 29;
inline constexpr std::intptr_t PreviousStateBit = std::intptr_t{1} << 30;
inline constexpr std::intptr_t ReleasedBit = std::intptr_t{1} << 31;
}

// Client coordinates of a mouse message: x in the low 16 bits and y in the
// high 16 bits, each cut to 16 bits, so points left of or above the window
// read back as negative numbers.
constexpr std::intptr_t PackPointParam(int x, int y)
{
    const std::uint32_t low = static_cast<std::uint16_t>(x);
    const std::uint32_t high = static_cast<std::uint16_t>(y);
    return static_cast<std::intptr_t>(low | (high << 16));
}

constexpr int PointParamX(std::intptr_t param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(param & 0xFFFF));
}

constexpr int PointParamY(std::intptr_t param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((param >> 16) & 0xFFFF));
}

// A key message's second parameter: a repeat count of 1, the Alt state, and
// the previous key state (set for auto-repeated presses and for releases).
constexpr std::intptr_t PackKeyParam(bool down, bool repeated, bool altHeld)
{
    std::intptr_t param = 1;
    if (altHeld)
        param |= KeyParam::AltBit;
    if (!down || repeated)
        param |= KeyParam::PreviousStateBit;
    if (!down)
        param |= KeyParam::ReleasedBit;
    return param;
}

// A wheel message's first parameter: the turn in notches.
constexpr std::uintptr_t PackWheelParam(int notches)
{
    return static_cast<std::uintptr_t>(static_cast<std::uint16_t>(notches * 120)) << 16;
}

constexpr int WheelParamDelta(std::uintptr_t param)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((param >> 16) & 0xFFFF));
}

constexpr bool IsRepeatedKeyDown(std::intptr_t keyParam)
{
    return (keyParam & KeyParam::PreviousStateBit) != 0 && (keyParam & KeyParam::ReleasedBit) == 0;
}

constexpr bool IsAltHeld(std::intptr_t keyParam)
{
    return (keyParam & KeyParam::AltBit) != 0;
}

} // namespace Tarn
