#pragma once
#include <chrono>
#include <functional>

namespace Korvale::Python {

// Lets a long call that runs without the interpreter lock be interrupted.
// The call polls between units of work (frames); a few times a second the
// poll runs the check, which throws to end the call right there, at that
// boundary. Any long call of the module polls one of these.
class InterruptPoll {
public:
    using Check = std::function<void()>;
    static constexpr std::chrono::milliseconds interval{100};

    explicit InterruptPoll(const Check& check) : check(check), last(Clock::now()) {}

    void operator()()
    {
        if (!check)
            return;
        // A clock read costs a few tens of nanoseconds, a frame at least a
        // microsecond: reading it every poll keeps slow frames covered too.
        const Clock::time_point now = Clock::now();
        if (now - last < interval)
            return;
        last = now;
        check();
    }

private:
    using Clock = std::chrono::steady_clock;
    const Check& check;
    Clock::time_point last;
};

// Takes the interpreter lock and runs Python's signal handlers: after a
// Ctrl-C the default handler's KeyboardInterrupt (or whatever a handler
// raised) is thrown as pybind11::error_already_set. The check of the
// module's long calls.
void CheckPythonSignals();

} // namespace Korvale::Python
