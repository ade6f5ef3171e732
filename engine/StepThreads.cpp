#include "engine/StepThreads.h"

#include <algorithm>
#include <utility>

namespace Fen {

StepThreads::~StepThreads() { stop(); }

void StepThreads::stop()
{
    {
        std::lock_guard lock(mutex);
        closing = true;
    }
    started.notify_all();
    for (std::thread& helper : helpers)
        helper.join();
    helpers.clear();
    closing = false;
}

void StepThreads::resize(unsigned count)
{
    count = std::max(count, 1u);
    if (count == size())
        return;
    stop();
    for (unsigned worker = 1; worker < count; ++worker)
        helpers.emplace_back([this, worker] { help(worker); });
}

void StepThreads::run(std::size_t count, const Item& item)
{
    if (count == 0)
        return;
    if (helpers.empty() || count == 1) {
        for (std::size_t i = 0; i < count; ++i)
            item(i, 0);
        return;
    }
    {
        std::lock_guard lock(mutex);
        job = &item;
        items = count;
        next.store(0, std::memory_order_relaxed);
        failure = nullptr;
        ++generation;
    }
    started.notify_all();
    work(0);
    std::unique_lock lock(mutex);
    // Every helper joins every job, if only to find the counter spent: none
    // is left behind to read the next job's numbers while they are set.
    finished.wait(lock, [this] { return done == helpers.size(); });
    done = 0;
    job = nullptr;
    if (failure)
        std::rethrow_exception(std::exchange(failure, nullptr));
}

void StepThreads::help(unsigned worker)
{
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex);
    for (;;) {
        started.wait(lock, [&] { return closing || generation != seen; });
        if (closing)
            return;
        seen = generation;
        lock.unlock();
        work(worker);
        lock.lock();
        if (++done == helpers.size())
            finished.notify_one();
    }
}

void StepThreads::work(unsigned worker)
{
    for (;;) {
        const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
        if (i >= items)
            return;
        try {
            (*job)(i, worker);
        } catch (...) {
            std::lock_guard lock(mutex);
            if (!failure)
                failure = std::current_exception();
            next.store(items, std::memory_order_relaxed);
        }
    }
}

} // namespace Fen
