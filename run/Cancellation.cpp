#include "run/Cancellation.h"

namespace Korvale::Run {

bool Cancellation::Poll()
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

void Cancellation::RethrowIfInterrupted() const
{
    if (interrupted)
        std::rethrow_exception(interrupted);
}

} // namespace Korvale::Run
