#include "host/FrameStats.h"

#include <gtest/gtest.h>

TEST(FrameStats, RateOverHalfSecondWindows)
{
    Host::FrameStats stats;
    EXPECT_EQ(stats.FramesPerSecond(), 0.0);
    // 31 frames at 1/60 s: the window closes after 30 intervals.
    for (int i = 0; i <= 30; ++i)
        stats.Frame(i / 60.0);
    EXPECT_NEAR(stats.FramesPerSecond(), 60.0, 1e-9);
    for (int i = 1; i <= 10; ++i)
        stats.Frame(0.5 + i / 20.0);
    EXPECT_NEAR(stats.FramesPerSecond(), 20.0, 1e-9);
}

TEST(FrameStats, TextShowsRateAndVsync)
{
    Host::FrameStats stats;
    stats.Frame(0.0);
    stats.Frame(1.0);
    EXPECT_EQ(stats.Text(true), "1.00 fps, vsync on");
    EXPECT_EQ(stats.Text(false), "1.00 fps, vsync off");
}
