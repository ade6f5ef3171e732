#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Fen {

// The threads a world step shares its independent work with: the caller and
// count - 1 helpers that sleep between jobs. Items are handed out one by one
// from a shared counter, so which thread runs an item varies from run to
// run; an item must therefore write only what is its own, and then the
// result does not depend on the threads.
class StepThreads {
public:
    // item(index, worker): worker, from 0 (the caller) to size() - 1, names
    // the thread, for scratch that each thread keeps for itself.
    using Item = std::function<void(std::size_t index, unsigned worker)>;

    StepThreads() = default;
    ~StepThreads();
    StepThreads(const StepThreads&) = delete;
    StepThreads& operator=(const StepThreads&) = delete;

    // At least 1; the helpers start (or stop) here, not in a step.
    void resize(unsigned count);
    unsigned size() const { return static_cast<unsigned>(helpers.size()) + 1; }

    // Runs item for every index in [0, count) and returns when all have
    // run; the first exception an item throws is thrown here.
    void run(std::size_t count, const Item& item);

private:
    void help(unsigned worker);
    void work(unsigned worker);
    void stop();

    std::vector<std::thread> helpers;
    std::mutex mutex;
    std::condition_variable started;
    std::condition_variable finished;
    std::uint64_t generation = 0;
    bool closing = false;
    std::size_t done = 0; // helpers through with the current job
    const Item* job = nullptr;
    std::size_t items = 0;
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
};

} // namespace Fen
