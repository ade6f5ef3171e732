#include "Interruption.h"

#include <pybind11/pybind11.h>

namespace Korvale::Python {

bool Interruption::Poll()
{
    if (Stopped())
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - last < interval)
        return false;
    last = now;
    const pybind11::gil_scoped_acquire lock;
    // The handler's exception stays set on this thread until the call returns.
    if (PyErr_CheckSignals() != 0) {
        raised = true;
        stop.store(true, std::memory_order_relaxed);
    }
    return Stopped();
}

void Interruption::RaiseIfInterrupted() const
{
    if (raised)
        throw pybind11::error_already_set();
}

} // namespace Korvale::Python
