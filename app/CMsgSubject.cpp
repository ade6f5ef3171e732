#include "app/CMsgSubject.h"

namespace Korvale {

void CMsgSubject::Attach(IMsgObserver* observer)
{
    observers.Attach(observer);
}

void CMsgSubject::Detach(IMsgObserver* observer)
{
    observers.Detach(observer);
}

void CMsgSubject::Notify(void* window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    observers.ForEach([&](IMsgObserver& o) { o.OnMsg(window, message, wParam, lParam); });
}

} // namespace Korvale
