// The engine's noise generator: seeds, and the states that simulations keep
// apart from each other.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <thread>
#include <vector>
#include "engine/Random.h"

using namespace Fen;

namespace {

std::vector<double> draws(int count)
{
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
        values.push_back(randomUniform());
    return values;
}

// Restores the thread's state, so tests that move it leave no trace.
class NoiseTest : public ::testing::Test {
protected:
    void TearDown() override { setRandomState(saved); }
    std::uint32_t saved = randomState();
};

} // namespace

TEST(Seed, IsTheSplitMix64MixFoldedTo32Bits)
{
    // SplitMix64's first output from state 0 is 0xe220a8397b1dcdaf.
    EXPECT_EQ(seedState(0), 0xe220a839u ^ 0x7b1dcdafu);
    // Every 64-bit seed is usable, and neighbours land far apart.
    std::set<std::uint32_t> states;
    for (std::uint64_t seed : {std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{3},
                               std::numeric_limits<std::uint64_t>::max()})
        states.insert(seedState(seed));
    EXPECT_EQ(states.size(), 4u);
    EXPECT_GT(seedState(2) - seedState(1), 1000u);
}

TEST_F(NoiseTest, ScopeLendsItsStateAndGivesTheOldOneBack)
{
    setRandomState(5);
    const std::vector<double> fromFive = draws(3);

    setRandomState(5);
    std::uint32_t own = 5;
    {
        NoiseScope scope(own);
        EXPECT_EQ(randomState(), 5u);
        EXPECT_EQ(draws(3), fromFive);
        std::uint32_t inner = 100;
        {
            NoiseScope nested(inner);
            draws(2);
        }
        EXPECT_NE(inner, 100u);
        EXPECT_EQ(randomState(), own);
    }
    // The lent state advanced; the thread's own did not.
    EXPECT_EQ(randomState(), 5u);
    setRandomState(5);
    draws(3);
    EXPECT_EQ(own, randomState());
}

TEST_F(NoiseTest, TwoThreadsWithTheirOwnStatesEachDrawTheirSequence)
{
    constexpr int count = 20000;
    std::uint32_t alone = seedState(7);
    std::vector<double> expected;
    {
        NoiseScope scope(alone);
        expected = draws(count);
    }
    setRandomState(123);
    std::vector<double> got[2];
    std::uint32_t states[2] = {seedState(7), seedState(7)};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            NoiseScope scope(states[t]);
            for (int i = 0; i < count; ++i) {
                got[t].push_back(randomUniform());
                if (i % 64 == 0)
                    std::this_thread::yield();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(got[0], expected);
    EXPECT_EQ(got[1], expected);
    EXPECT_EQ(randomState(), 123u);
}
