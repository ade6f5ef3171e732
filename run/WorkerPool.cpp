#include "run/WorkerPool.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace Korvale::Run {

WorkerPool::WorkerPool(unsigned threads)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    blocks = std::vector<Block>(threads);
    for (unsigned worker = 1; worker < threads; ++worker)
        helpers.emplace_back([this, worker] { Help(worker); });
}

unsigned WorkerPool::Fitting(unsigned requested, std::size_t items)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned wanted = requested == 0 ? cores : std::min(requested, cores);
    return static_cast<unsigned>(std::min<std::size_t>(wanted, std::max<std::size_t>(items, 1)));
}

WorkerPool::~WorkerPool()
{
    {
        const std::lock_guard lock(mutex);
        closing = true;
        published.store(++generation, std::memory_order_release);
    }
    started.notify_all();
    for (std::thread& helper : helpers)
        helper.join();
}

void WorkerPool::Work(unsigned worker)
{
    const std::size_t threads = blocks.size();
    for (std::size_t k = 0; k < threads; ++k) {
        Block& block = blocks[(worker + k) % threads];
        for (std::size_t index = block.next.fetch_add(1); index < block.end; index = block.next.fetch_add(1)) {
            try {
                (*job)(index, worker);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                for (Block& each : blocks) // hand out no more
                    each.next.store(each.end);
            }
        }
    }
}

void WorkerPool::Help(unsigned worker)
{
    std::uint64_t seen = 0;
    for (;;) {
        // Environments come in batches a few tens of microseconds apart, and
        // a sleeping thread takes about as long to wake: look for the next
        // job for a short while before sleeping.
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(100);
        while (published.load(std::memory_order_acquire) == seen && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
        {
            std::unique_lock lock(mutex);
            started.wait(lock, [&] { return closing || generation != seen; });
            if (closing)
                return;
            seen = generation;
            if (!open)
                continue;
            ++active;
        }
        Work(worker);
        {
            const std::lock_guard lock(mutex);
            --active;
        }
        finished.notify_one();
    }
}

void WorkerPool::Run(std::size_t items, const Item& item, const std::function<void()>& waiting)
{
    if (items == 0)
        return;
    // One item needs no helper: the caller alone is quicker than a wake-up.
    const bool helped = items > 1 && !helpers.empty();
    {
        const std::lock_guard lock(mutex);
        job = &item;
        const std::size_t threads = blocks.size();
        for (std::size_t b = 0; b < threads; ++b) {
            blocks[b].next.store(items * b / threads);
            blocks[b].end = items * (b + 1) / threads;
        }
        failure = nullptr;
        open = helped;
        if (helped)
            published.store(++generation, std::memory_order_release);
    }
    if (helped)
        started.notify_all();
    Work(0);
    std::unique_lock lock(mutex);
    open = false;
    while (active != 0) {
        if (!waiting) {
            finished.wait(lock, [&] { return active == 0; });
            break;
        }
        if (finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return active == 0; }))
            break;
        lock.unlock();
        waiting();
        lock.lock();
    }
    job = nullptr;
    if (failure)
        std::rethrow_exception(std::exchange(failure, nullptr));
}

} // namespace Korvale::Run
