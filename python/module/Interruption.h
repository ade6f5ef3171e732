#pragma once
#include <atomic>
#include <chrono>

namespace Korvale::Python {

// Ctrl-C during a call that runs without the interpreter lock: the calling
// thread looks for signals every few hundredths of a second, and once a
// handler has raised (KeyboardInterrupt), every worker stops at its next
// frame and the call ends with that exception.
class Interruption {
public:
    // Whether to stop; cheap enough for every frame, on any thread.
    bool Stopped() const { return stop.load(std::memory_order_relaxed); }
    // On the calling thread only, without the interpreter lock: runs the
    // signal handlers if it is time to. Returns Stopped().
    bool Poll();
    // Back under the interpreter lock: throws the exception a handler
    // raised, if one did.
    void RaiseIfInterrupted() const;

private:
    static constexpr std::chrono::milliseconds interval{20};

    std::atomic<bool> stop{false};
    bool raised = false;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
};

} // namespace Korvale::Python
