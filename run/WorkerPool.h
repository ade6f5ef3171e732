#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Korvale::Run {

// A fixed set of threads that share the items of one job at a time. The
// thread that runs a job takes items too, so a pool of one thread runs every
// item on the caller, and a job costs no more than waking the others.
//
// Each thread first takes the items of a block of its own, the same block in
// every job, and then helps with the others' blocks: the arenas a thread
// steps stay in its core's cache from one batch to the next, and a slow
// thread still leaves no item waiting.
class WorkerPool {
public:
    // item(index, worker): worker names the thread, from 0 (the caller) to
    // Threads() - 1, for scratch that each thread keeps for itself.
    using Item = std::function<void(std::size_t index, unsigned worker)>;

    // threads: 0 means one per core.
    explicit WorkerPool(unsigned threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    unsigned Threads() const { return static_cast<unsigned>(helpers.size()) + 1; }
    // The threads worth starting for a request (0: one per core) and a job
    // of `items`: never more than the items or the cores, as more would
    // only wait for each other.
    static unsigned Fitting(unsigned requested, std::size_t items);

    // Runs item for every index in [0, count), each exactly once, and returns
    // when all have run. While the caller waits for the others it calls
    // `waiting` every few hundredths of a second. The first exception an item
    // throws stops the handing out of items and is thrown here once the
    // items under way have finished.
    void Run(std::size_t count, const Item& item, const std::function<void()>& waiting = {});

private:
    void Help(unsigned worker);
    void Work(unsigned worker);

    std::vector<std::thread> helpers;
    std::mutex mutex;
    std::condition_variable started;
    std::condition_variable finished;
    std::uint64_t generation = 0; // counts jobs, so a helper joins each at most once
    std::atomic<std::uint64_t> published{0}; // the generation, for helpers looking without the lock
    bool closing = false;
    // Helpers join a job while it is open; the caller closes it when it runs
    // out of items, and waits only for those that joined, not for a slow
    // wake-up of one that would find nothing left.
    bool open = false;
    unsigned active = 0;

    // The current job: one block of items per thread, each on a cache line
    // of its own, as every thread counts its block's items there.
    struct alignas(64) Block {
        std::atomic<std::size_t> next{0};
        std::size_t end = 0;
    };
    const Item* job = nullptr;
    std::vector<Block> blocks;
    std::exception_ptr failure;
};

} // namespace Korvale::Run
