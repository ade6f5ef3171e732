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
        // A clock read costs some 20 ns, an empty world's frame 170 ns:
        // every fourth poll reads it, which also covers slow frames.
        if (!check || (++polls & 3) != 0)
            return;
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
    unsigned polls = 0;
};

// Takes the interpreter lock and runs Python's signal handlers: after a
// Ctrl-C the default handler's KeyboardInterrupt (or whatever a handler
// raised) is thrown as pybind11::error_already_set. The check of the
// module's long calls.
void CheckPythonSignals();

} // namespace Korvale::Python
