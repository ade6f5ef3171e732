#pragma once
#include <atomic>
#include <exception>
#include <utility>

#include "run/InterruptPoll.h"

namespace Korvale::Run {

// Stops a call whose work runs on several threads when its interrupt check
// throws (a Ctrl-C in a script): the calling thread polls the check between
// its frames and while it waits for the others; once the check throws, every
// thread stops at its next frame and the call ends with that exception.
class Cancellation {
public:
    explicit Cancellation(InterruptPoll::Check check_) : check(std::move(check_)), poll(check) {}

    // Whether to stop; cheap enough for every frame, on any thread.
    bool Stopped() const { return stop.load(std::memory_order_relaxed); }
    // On the calling thread only: runs the check when its time has come.
    // Returns Stopped().
    bool Poll();
    // Once the work has ended: throws what the check threw, if it did.
    void RethrowIfInterrupted() const;

private:
    InterruptPoll::Check check; // the poll refers to it
    InterruptPoll poll;
    std::atomic<bool> stop{false};
    std::exception_ptr interrupted;
};

} // namespace Korvale::Run
