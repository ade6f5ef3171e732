// The fuzz case's budget of robot-frames: small swarms run every frame, large
// ones fewer, down to one.
#include <gtest/gtest.h>

#include "fuzz/FuzzCases.h"

TEST(FuzzBudget, SmallSwarmsRunInFullAndLargeOnesShareTheBudget)
{
    EXPECT_EQ(Korvale::Fuzz::FramesFor(0), 300);
    EXPECT_EQ(Korvale::Fuzz::FramesFor(1), 300);
    EXPECT_EQ(Korvale::Fuzz::FramesFor(64), 300);
    EXPECT_EQ(Korvale::Fuzz::FramesFor(65), 295);
    EXPECT_EQ(Korvale::Fuzz::FramesFor(1000), 19);
    EXPECT_EQ(Korvale::Fuzz::FramesFor(19200), 1);
    EXPECT_EQ(Korvale::Fuzz::FramesFor(100000), 1);
}
