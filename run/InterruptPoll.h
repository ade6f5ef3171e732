#pragma once
#include <chrono>
#include <functional>

namespace Korvale::Run {

// Lets a long call be interrupted (Ctrl-C in a Python script, whose check
// needs the interpreter lock the call runs without). The call polls between
// units of work (frames); a few times a second the poll runs the check,
// which throws to end the call right there, at that boundary. Every long
// call of the run layer polls one of these.
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

} // namespace Korvale::Run
