#pragma once
#include <cstdint>

namespace Korvale {

class IMsgObserver;

// Fans window messages out to its observers, first attached first.
class IMsgSubject {
public:
    virtual ~IMsgSubject() = default;
    virtual void Attach(IMsgObserver* observer) = 0;
    virtual void Detach(IMsgObserver* observer) = 0;
    virtual void Notify(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

} // namespace Korvale
