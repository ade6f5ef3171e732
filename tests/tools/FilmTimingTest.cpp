#include <gtest/gtest.h>

#include "tools/FilmTiming.h"

using Korvale::Tools::FilmTiming;

namespace {

// The run's frame time as the window hands it over, in single precision.
double Step(double seconds) { return static_cast<float>(seconds); }

TEST(FilmTiming, OneFrameEachTimeStepEachShowingTheWorldAtItsEnd)
{
    // A minute at 60 run frames a second, filmed at 30: every second world,
    // although 1/60 s in single precision makes the minute a little longer.
    const FilmTiming minute(30, Step(1.0 / 60), 3600);
    EXPECT_EQ(minute.FrameCount(), 1800);
    EXPECT_EQ(minute.RunFramesDone(0), 2);
    EXPECT_EQ(minute.RunFramesDone(1), 4);
    EXPECT_EQ(minute.RunFramesDone(900), 1802);
    EXPECT_EQ(minute.RunFramesDone(1799), 3600);

    // Run frames longer than film frames: a world shows in several frames,
    // never the one before the first run frame.
    const FilmTiming coarse(30, Step(0.1), 15);
    EXPECT_EQ(coarse.FrameCount(), 45);
    const std::int64_t expected[] = {1, 1, 1, 1, 2, 2, 2, 3, 3, 3};
    for (std::int64_t k = 0; k < 10; ++k)
        EXPECT_EQ(coarse.RunFramesDone(k), expected[k]) << k;
    EXPECT_EQ(coarse.RunFramesDone(44), 15);
}

TEST(FilmTiming, LengthIsTheRunsTimeInWholeFramesAndNeverNothing)
{
    // 0.25 s at 10 frames a second: rounded to 3 frames, the last one the end.
    const FilmTiming shortRun(10, 0.05, 5);
    EXPECT_EQ(shortRun.FrameCount(), 3);
    EXPECT_EQ(shortRun.RunFramesDone(1), 4);
    EXPECT_EQ(shortRun.RunFramesDone(2), 5);
    // A run of no frames still gives one picture of the world as loaded.
    const FilmTiming none(30, Step(1.0 / 60), 0);
    EXPECT_EQ(none.FrameCount(), 1);
    EXPECT_EQ(none.RunFramesDone(0), 0);
    // The world steps at most one second a frame, whatever --dt says.
    const FilmTiming clamped(1, 1.0, 3);
    EXPECT_EQ(clamped.FrameCount(), 3);
    EXPECT_EQ(clamped.RunFramesDone(0), 1);
    EXPECT_EQ(clamped.RunFramesDone(2), 3);
}

} // namespace
