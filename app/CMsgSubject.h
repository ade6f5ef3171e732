#pragma once
#include "app/CSubject.h"
#include "app/IMsgObserver.h"
#include "app/IMsgSubject.h"

namespace Korvale {

// Hands every window message to the keyboard state and the mouse tracker.
class CMsgSubject : public IMsgSubject {
public:
    void Attach(IMsgObserver* observer) override;
    void Detach(IMsgObserver* observer) override;
    // The observers' results are ignored; every observer gets the message.
    void Notify(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    CSubject<IMsgObserver> observers;
};

} // namespace Korvale
