#include "app/FrameBudget.h"

#include <gtest/gtest.h>

using namespace Korvale;

namespace {

// A window at 60 frames a second whose frames cost drawing, the rest of
// the frame (unseen by the drawing's measure) and the world's budget; a
// frame that runs over the period waits for the next one, as with vsync.
struct Window {
    static constexpr double Period = 1.0 / 60;
    double drawing = 0.004;
    double rest = 0.0;
    FrameBudget budget;
    double last = Period;

    // Whether the frame came on time.
    bool Frame()
    {
        const double used = budget.Next(Period, last, drawing) + drawing + rest;
        last = used <= Period ? Period : 2 * Period;
        return last == Period;
    }
    // Of `count` frames, how many came on time.
    int OnTime(int count)
    {
        int onTime = 0;
        for (int i = 0; i < count; ++i)
            onTime += Frame() ? 1 : 0;
        return onTime;
    }
};

}

TEST(FrameBudget, KeepsTheRateWhenTheRestOfTheFrameCostsWhatDrawingDoesNotShow)
{
    Window window;
    // A busy machine: the drawing's measure misses it. The period minus the
    // drawing alone would make every frame late.
    window.rest = 0.006;
    window.OnTime(120); // settling
    EXPECT_GE(window.OnTime(600), 560) << "at most one frame in fifteen late";
    // It keeps most of what is left for the world, not the least.
    EXPECT_GT(window.budget.Current(), 0.5 * (Window::Period - window.drawing - window.rest));
}

TEST(FrameBudget, GivesTheWorldWhatDrawingLeavesOnAnIdleMachineAndFollowsAChange)
{
    Window window;
    window.OnTime(200);
    EXPECT_NEAR(window.budget.Current(), Window::Period - window.drawing - 0.002, 1e-9);
    EXPECT_EQ(window.OnTime(600), 600);
    // Load comes: the budget gives way within a few frames.
    window.rest = 0.008;
    int late = 0;
    for (int i = 0; i < 60; ++i)
        late += window.Frame() ? 0 : 1;
    EXPECT_LE(late, 10);
    EXPECT_GE(window.OnTime(600), 560);
    EXPECT_GE(window.budget.Current(), FrameBudget::Least);
}
