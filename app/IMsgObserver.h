#pragma once
#include <cstdint>

namespace Korvale {

// Receives window messages: the message code (0x100 key down, 0x101 key up,
// 0x200 mouse move, 0x201/0x202 left button down/up) and its two parameters,
// as the host delivers them.
class IMsgObserver {
public:
    virtual ~IMsgObserver() = default;
    virtual std::intptr_t OnMsg(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

} // namespace Korvale
