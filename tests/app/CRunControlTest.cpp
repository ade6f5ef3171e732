#include "app/CRunControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Korvale;

namespace {

std::vector<int> Frames(CRunControl& run, int windowFrames)
{
    std::vector<int> frames;
    for (int i = 0; i < windowFrames; ++i)
        frames.push_back(run.TakeFrames());
    return frames;
}

}

TEST(CRunControl, SpeedsRunFromAnEighthToSixteenThenAsFastAsPossibleAndStopAtBothEnds)
{
    CRunControl run;
    EXPECT_EQ(run.SpeedText(), "×1");
    while (run.Slower()) {
    }
    std::vector<std::string> texts{run.SpeedText()};
    while (run.Faster())
        texts.push_back(run.SpeedText());
    EXPECT_EQ(texts,
              (std::vector<std::string>{"×1/8", "×1/4", "×1/2", "×1", "×2", "×4", "×8", "×16", "as fast as possible"}));
    EXPECT_TRUE(run.IsAsFastAsPossible());
    EXPECT_EQ(run.TakeFrames(), 0) << "the caller fills the frame's budget";
}

TEST(CRunControl, ASpeedIsWorldFramesPerWindowFrameAndSlowSpeedsGatherThemOverSeveralFrames)
{
    CRunControl run;
    EXPECT_EQ(Frames(run, 3), (std::vector<int>{1, 1, 1}));
    run.Faster();
    run.Faster();
    EXPECT_EQ(Frames(run, 2), (std::vector<int>{4, 4}));
    run.Faster();
    run.Faster();
    EXPECT_EQ(Frames(run, 1), (std::vector<int>{16}));
    for (int i = 0; i < 6; ++i)
        run.Slower();
    EXPECT_EQ(run.SpeedText(), "×1/4");
    EXPECT_EQ(Frames(run, 8), (std::vector<int>{0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST(CRunControl, PausedGivesExactlyTheStepsAskedForAndStepsNeedAPause)
{
    CRunControl run;
    EXPECT_FALSE(run.RequestStep());
    EXPECT_EQ(run.TakeFrames(), 1);
    run.SetPaused(true);
    EXPECT_EQ(Frames(run, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(run.RequestStep());
    EXPECT_TRUE(run.RequestStep());
    EXPECT_EQ(Frames(run, 2), (std::vector<int>{2, 0}));
    run.Faster(); // the speed does not multiply the steps
    EXPECT_TRUE(run.RequestStep());
    EXPECT_EQ(run.TakeFrames(), 1);
    run.SetPaused(false);
    EXPECT_EQ(run.TakeFrames(), 2);
}

TEST(CRunControl, TheRestingStatusTextNamesPauseAndSpeed)
{
    CRunControl run;
    EXPECT_EQ(run.StateText(), "Ready");
    run.SetPaused(true);
    EXPECT_EQ(run.StateText(), "Paused");
    run.Faster();
    run.Faster();
    EXPECT_EQ(run.StateText(), "Paused (speed ×4)");
    run.SetPaused(false);
    EXPECT_EQ(run.StateText(), "Speed ×4");
    for (int i = 0; i < 4; ++i)
        run.Faster();
    EXPECT_EQ(run.StateText(), "As fast as possible");
}
