#include "Interruption.h"

namespace Korvale::Python {

bool Interruption::Poll()
{
    if (Stopped())
        return true;
    try {
        poll();
    } catch (...) {
        interrupted = std::current_exception();
        stop.store(true, std::memory_order_relaxed);
    }
    return Stopped();
}

void Interruption::RethrowIfInterrupted() const
{
    if (interrupted)
        std::rethrow_exception(interrupted);
}

} // namespace Korvale::Python
