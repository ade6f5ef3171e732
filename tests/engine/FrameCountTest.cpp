#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/FrameCount.h"

using Fen::FrameCount;
using Fen::framesIn;

TEST(FrameCount, RoundsToTheNearestFrameWithHalvesAwayFromZero)
{
    EXPECT_EQ(framesIn(1.0, 1.0 / 60).frames, 60);
    EXPECT_EQ(framesIn(0.5, 1.0).frames, 1);
    EXPECT_EQ(framesIn(2.5, 1.0).frames, 3);
    EXPECT_EQ(framesIn(0.49, 1.0).frames, 0);
    EXPECT_EQ(framesIn(5.0, 0.03).frames, 167);
    EXPECT_EQ(framesIn(0.0, 0.001).fault, FrameCount::Fault::none);
}

TEST(FrameCount, RefusesSecondsThatAreNoTimeAndCountsThatReachTheLimit)
{
    for (const double seconds : {-1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(framesIn(seconds, 0.01).fault, FrameCount::Fault::badSeconds) << seconds;
    EXPECT_EQ(framesIn(9.0e15, 1.0).fault, FrameCount::Fault::tooMany);
    EXPECT_EQ(framesIn(8.0e15, 1.0).frames, 8'000'000'000'000'000);
    EXPECT_EQ(framesIn(1.0, 0.0).fault, FrameCount::Fault::tooMany);
}
