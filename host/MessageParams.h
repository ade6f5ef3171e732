#pragma once
#include <cstdint>

namespace Host {

// Window message codes the host sends.
inline constexpr std::uint32_t MessageKeyDown = 0x100;
inline constexpr std::uint32_t MessageKeyUp = 0x101;
inline constexpr std::uint32_t MessageMouseMove = 0x200;
inline constexpr std::uint32_t MessageLeftButtonDown = 0x201;
inline constexpr std::uint32_t MessageLeftButtonUp = 0x202;
inline constexpr std::uint32_t MessageRightButtonDown = 0x204;
inline constexpr std::uint32_t MessageRightButtonUp = 0x205;
inline constexpr std::uint32_t MessageMiddleButtonDown = 0x207;
inline constexpr std::uint32_t MessageMiddleButtonUp = 0x208;

// Virtual keys the host itself looks at.
inline constexpr std::uint8_t KeyReturn = 0x0D;
inline constexpr std::uint8_t KeyEscape = 0x1B;
inline constexpr std::uint8_t KeyF1 = 0x70;
inline constexpr std::uint8_t KeyF2 = 0x71;
inline constexpr std::uint8_t KeyF3 = 0x72;
inline constexpr std::uint8_t KeyF24 = 0x87;

// Button and modifier bits of a mouse message's first parameter.
inline constexpr std::uintptr_t MouseLeftButton = 0x01;
inline constexpr std::uintptr_t MouseRightButton = 0x02;
inline constexpr std::uintptr_t MouseShift = 0x04;
inline constexpr std::uintptr_t MouseControl = 0x08;
inline constexpr std::uintptr_t MouseMiddleButton = 0x10;

// Bits of a key message's second parameter.
inline constexpr std::intptr_t KeyAltBit = std::intptr_t{1} << 29;
inline constexpr std::intptr_t KeyPreviousStateBit = std::intptr_t{1} << 30;
inline constexpr std::intptr_t KeyReleasedBit = std::intptr_t{1} << 31;

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
        param |= KeyAltBit;
    if (!down || repeated)
        param |= KeyPreviousStateBit;
    if (!down)
        param |= KeyReleasedBit;
    return param;
}

constexpr bool IsRepeatedKeyDown(std::intptr_t keyParam)
{
    return (keyParam & KeyPreviousStateBit) != 0 && (keyParam & KeyReleasedBit) == 0;
}

constexpr bool IsAltHeld(std::intptr_t keyParam)
{
    return (keyParam & KeyAltBit) != 0;
}

}
