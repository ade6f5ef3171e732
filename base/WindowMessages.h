#pragma once
#include <cstdint>

namespace Tarn {

// The window-message and key codes the host hands to the application.
namespace WindowMessage {
inline constexpr std::uint32_t KeyDown = 0x100;
inline constexpr std::uint32_t KeyUp = 0x101;
inline constexpr std::uint32_t MouseMove = 0x200;
inline constexpr std::uint32_t LeftButtonDown = 0x201;
inline constexpr std::uint32_t LeftButtonUp = 0x202;
}

namespace VirtualKey {
inline constexpr std::uint8_t Escape = 0x1B;
inline constexpr std::uint8_t Left = 0x25;
inline constexpr std::uint8_t Up = 0x26;
inline constexpr std::uint8_t Right = 0x27;
inline constexpr std::uint8_t Down = 0x28;
inline constexpr std::uint8_t A = 65;
inline constexpr std::uint8_t D = 68;
inline constexpr std::uint8_t E = 69;
inline constexpr std::uint8_t Q = 81;
inline constexpr std::uint8_t S = 83;
inline constexpr std::uint8_t W = 87;
inline constexpr std::uint8_t F1 = 112;
inline constexpr std::uint8_t F2 = 113;
inline constexpr std::uint8_t F3 = 114;
inline constexpr std::uint8_t F12 = 123;
}

} // namespace Tarn
