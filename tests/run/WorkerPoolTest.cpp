#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "run/WorkerPool.h"

using Korvale::Run::WorkerPool;

TEST(WorkerPool, RunsEveryItemExactlyOnceForAnyCountAndThreads)
{
    for (const unsigned threads : {1u, 2u, 8u}) {
        WorkerPool pool(threads);
        EXPECT_EQ(pool.Threads(), threads);
        // Fewer items than threads, one block each, and uneven blocks; twice
        // each, as a pool runs job after job.
        for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{1000}})
            for (int job = 0; job < 2; ++job) {
                std::vector<std::atomic<int>> runs(count);
                std::atomic<bool> workerInRange{true};
                pool.Run(count, [&](std::size_t i, unsigned worker) {
                    runs[i].fetch_add(1);
                    if (worker >= threads)
                        workerInRange = false;
                });
                for (std::size_t i = 0; i < count; ++i)
                    ASSERT_EQ(runs[i].load(), 1) << threads << " threads, item " << i << " of " << count;
                EXPECT_TRUE(workerInRange);
            }
    }
}

TEST(WorkerPool, GivesEachItemsResultWhateverThreadRanIt)
{
    // Items that each write their own slot give the same whole on any pool.
    const auto results = [](unsigned threads) {
        WorkerPool pool(threads);
        std::vector<std::uint64_t> out(257);
        pool.Run(out.size(), [&](std::size_t i, unsigned) {
            std::uint64_t x = i + 1;
            for (int k = 0; k < 1000; ++k)
                x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            out[i] = x;
        });
        return out;
    };
    const std::vector<std::uint64_t> alone = results(1);
    EXPECT_EQ(results(2), alone);
    EXPECT_EQ(results(8), alone);
}

TEST(WorkerPool, ThrowsAnItemsExceptionOnceTheOthersFinishedAndRunsTheNextJob)
{
    WorkerPool pool(4);
    std::atomic<int> running{0};
    std::vector<double> sums(100);
    EXPECT_THROW(pool.Run(sums.size(),
                          [&](std::size_t i, unsigned) {
                              running.fetch_add(1);
                              // Long enough that the others are inside an item when 37 throws.
                              for (int k = 1; k < 20000; ++k)
                                  sums[i] += 1.0 / k;
                              running.fetch_sub(1);
                              if (i == 37)
                                  throw std::runtime_error("item 37");
                          }),
                 std::runtime_error);
    // Nothing of that job still runs once Run has thrown.
    EXPECT_EQ(running.load(), 0);

    std::atomic<int> done{0};
    pool.Run(50, [&](std::size_t, unsigned) { done.fetch_add(1); });
    EXPECT_EQ(done.load(), 50);
}

TEST(WorkerPool, StopsHandingOutItemsAfterAnException)
{
    WorkerPool pool(1);
    std::size_t ran = 0;
    try {
        pool.Run(10, [&](std::size_t i, unsigned) {
            ++ran;
            if (i == 2)
                throw std::runtime_error("stop");
        });
        FAIL() << "the item's exception was not thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "stop");
    }
    EXPECT_EQ(ran, 3u);
}
