// The step's threads: every item runs exactly once per job, on a thread
// that names itself within the count, job after job, and a failing item's
// exception reaches the caller without losing the pool.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>
#include "engine/StepThreads.h"

TEST(StepThreads, EveryItemRunsOnceAJobAndFailuresReachTheCaller)
{
    for (const unsigned count : {1u, 2u, 8u}) {
        Fen::StepThreads threads;
        threads.resize(count);
        ASSERT_EQ(threads.size(), count);
        std::vector<std::atomic<int>> runs(1000);
        std::atomic<bool> workerInRange{true};
        // Many short jobs in a row: helpers that wake late must not run an
        // item of the next job twice or miss one.
        for (int job = 0; job < 200; ++job) {
            const std::size_t items = static_cast<std::size_t>(job % 7 == 0 ? 1 : 1 + job * 5 % 1000);
            threads.run(items, [&](std::size_t i, unsigned worker) {
                runs[i].fetch_add(1);
                if (worker >= count)
                    workerInRange = false;
            });
            for (std::size_t i = 0; i < items; ++i)
                ASSERT_EQ(runs[i].exchange(0), 1) << count << " threads, job " << job << ", item " << i;
        }
        EXPECT_TRUE(workerInRange);
        EXPECT_THROW(threads.run(50,
                                 [](std::size_t i, unsigned) {
                                     if (i == 17)
                                         throw std::runtime_error("item 17");
                                 }),
                     std::runtime_error);
        std::atomic<int> after{0};
        threads.run(10, [&](std::size_t, unsigned) { after.fetch_add(1); });
        EXPECT_EQ(after.load(), 10);
    }
}
