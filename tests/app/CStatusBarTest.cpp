#include "app/CStatusBar.h"

#include <gtest/gtest.h>

using namespace Korvale;

TEST(CStatusBar, StartsReadyWithoutPriority)
{
    CStatusBar bar;
    EXPECT_EQ(bar.GetText(), u"Ready");
    EXPECT_EQ(bar.GetPriority(), 0);
}

TEST(CStatusBar, MessageLastsItsDurationThenFallsBackToReady)
{
    CStatusBar bar;
    bar.SetTime(10.0f);
    bar.ShowInfo("Scene was loaded successfully");
    bar.SetTime(11.5f);
    EXPECT_EQ(bar.GetText(), u"Scene was loaded successfully");
    bar.SetTime(12.0f);  // expiry equals the time: still shown
    EXPECT_EQ(bar.GetText(), u"Scene was loaded successfully");
    bar.SetTime(12.25f);
    EXPECT_EQ(bar.GetText(), u"Ready");
    EXPECT_EQ(bar.GetPriority(), 0);
}

TEST(CStatusBar, SuccessWhileAnErrorIsCurrentIsDropped)
{
    CStatusBar bar;
    bar.SetTime(1.0f);
    bar.ShowError("Error in CFenIOStruct: cannot open the file");
    bar.SetTime(2.0f);
    bar.ShowInfo("Robot was loaded successfully");
    EXPECT_EQ(bar.GetText(), u"Error in CFenIOStruct: cannot open the file");
    bar.SetTime(5.9f);
    EXPECT_EQ(bar.GetText(), u"Error in CFenIOStruct: cannot open the file");
    bar.SetTime(6.1f);
    EXPECT_EQ(bar.GetText(), u"Ready");
}

TEST(CStatusBar, LaterErrorReplacesErrorAndRestartsItsTime)
{
    CStatusBar bar;
    bar.SetTime(0.0f);
    bar.ShowError("first");
    bar.SetTime(4.0f);
    bar.ShowError("second");
    bar.SetTime(8.5f);
    EXPECT_EQ(bar.GetText(), u"second");
    bar.SetTime(9.5f);
    EXPECT_EQ(bar.GetText(), u"Ready");
}

TEST(CStatusBar, HoverNeverHidesInformationButReturnsAfterIt)
{
    CStatusBar bar;
    bar.SetTime(0.0f);
    bar.ShowInfo("Log was started successfully");
    bar.ShowMessage(std::string("   12 34"), 0.1f, 1);
    EXPECT_EQ(bar.GetText(), u"Log was started successfully");
    // The frame on which the information expires still refuses the hover
    // text; the next frame shows it.
    bar.SetTime(2.05f);
    bar.ShowMessage(std::string("   12 34"), 0.1f, 1);
    EXPECT_EQ(bar.GetText(), u"Ready");
    bar.SetTime(2.07f);
    bar.ShowMessage(std::string("   12 35"), 0.1f, 1);
    EXPECT_EQ(bar.GetText(), u"   12 35");
}

TEST(CStatusBar, ExpiredPriorityIsOnlyDroppedWhenTheTextIsRead)
{
    // A lower message arriving after the expiry but before anyone read the
    // line is still refused: the priority falls back inside GetText.
    CStatusBar bar;
    bar.SetTime(0.0f);
    bar.ShowInfo("info");
    bar.SetTime(3.0f);
    bar.ShowMessage(std::string("hover"), 0.1f, 1);
    EXPECT_EQ(bar.GetText(), u"Ready");
    bar.ShowMessage(std::string("hover"), 0.1f, 1);
    EXPECT_EQ(bar.GetText(), u"hover");
}

TEST(CStatusBar, ZeroDurationDisappearsOnTheNextLaterFrame)
{
    CStatusBar bar;
    bar.SetTime(3.0f);
    bar.ShowMessage(std::string("flash"), 0.0f, 2);
    EXPECT_EQ(bar.GetText(), u"flash");
    bar.SetTime(3.0f);
    EXPECT_EQ(bar.GetText(), u"flash");
    bar.SetTime(3.01f);
    EXPECT_EQ(bar.GetText(), u"Ready");
}

TEST(CStatusBar, NarrowTextWidensBytewise)
{
    CStatusBar bar;
    bar.ShowMessage(std::string("a\xE9z"), 1.0f, 2);
    const std::u16string text = bar.GetText();
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[1], char16_t(0xE9));
}

TEST(CStatusBar, WideTextIsKeptAsGiven)
{
    CStatusBar bar;
    bar.ShowMessage(std::u16string(u"\u20AC 5"), 1.0f, 2);
    EXPECT_EQ(bar.GetText(), u"\u20AC 5");
}

TEST(CStatusBar, AnAddedLineReadsUnderTheMessageItFollowsAndStaysAsLongAsAnError)
{
    CStatusBar bar;
    bar.ShowMessage(u"Neural network was loaded successfully", 2.0f, 2);
    bar.AddLine(u"Network file 'Seven.xml' takes 7 inputs", 5.0f, 3);
    EXPECT_EQ(bar.GetText(), u"Neural network was loaded successfully\nNetwork file 'Seven.xml' takes 7 inputs");
    EXPECT_EQ(bar.GetPriority(), 3);
    bar.SetTime(4.0f);
    EXPECT_EQ(bar.GetText(), u"Neural network was loaded successfully\nNetwork file 'Seven.xml' takes 7 inputs");
    bar.SetTime(5.1f);
    EXPECT_EQ(bar.GetText(), u"Ready");

    // Under a message that was not shown (an error was current), or once the
    // message is gone, the line is a message of its own.
    bar.ShowMessage(u"an error", 5.0f, 3);
    bar.ShowMessage(u"information", 2.0f, 2);
    bar.AddLine(u"the line", 5.0f, 3);
    EXPECT_EQ(bar.GetText(), u"the line");
    bar.SetTime(20.0f);
    bar.AddLine(u"alone", 5.0f, 3);
    EXPECT_EQ(bar.GetText(), u"alone");
}
