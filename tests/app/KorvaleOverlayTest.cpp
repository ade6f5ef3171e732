#include "app/KorvaleOverlay.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Korvale;

namespace {

OverlayState State()
{
    OverlayState state;
    state.frameStats = "60.00 fps, vsync on";
    state.deviceStats = "Software: llvmpipe, 640x480 windowed";
    state.status = "Ready";
    state.backBufferHeight = 480;
    return state;
}

bool Yellow(const OverlayLine& line) { return line.r == 1 && line.g == 1 && line.b == 0; }
bool White(const OverlayLine& line) { return line.r == 1 && line.g == 1 && line.b == 1; }

}

TEST(KorvaleOverlay, StatisticsThenStatusFromTheTopLeft)
{
    const auto lines = OverlayLines(State());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "60.00 fps, vsync on");
    EXPECT_EQ(lines[0].x, 5);
    EXPECT_EQ(lines[0].y, 5);
    EXPECT_TRUE(Yellow(lines[0]));
    EXPECT_EQ(lines[1].y, 20);
    EXPECT_TRUE(Yellow(lines[1]));
    EXPECT_EQ(lines[2].text, "Ready");
    EXPECT_EQ(lines[2].y, 35);
    EXPECT_TRUE(White(lines[2]));
}

TEST(KorvaleOverlay, RecordingMarkOnlyWhileLogging)
{
    auto state = State();
    for (const auto& line : OverlayLines(state))
        EXPECT_NE(line.text.substr(0, 3), "REC");
    state.logging = true;
    state.logSeconds = 65.9;
    state.logLines = 652;
    const auto lines = OverlayLines(state);
    const auto rec =
        std::find_if(lines.begin(), lines.end(), [](const OverlayLine& l) { return l.text == "REC 1:05  652 lines"; });
    ASSERT_NE(rec, lines.end());
    EXPECT_EQ(rec->x, 20);
    EXPECT_EQ(rec->y, 60);
    EXPECT_EQ(rec->r, 1);
    EXPECT_EQ(rec->g, 0);
    EXPECT_EQ(rec->b, 0);
}

TEST(KorvaleOverlay, HintAtTheBottomWhileHelpIsHidden)
{
    const auto lines = OverlayLines(State());
    EXPECT_EQ(lines.back().text, "Press F1 for help");
    EXPECT_EQ(lines.back().x, 10);
    EXPECT_EQ(lines.back().y, 450);
}

TEST(KorvaleOverlay, HelpStartsWithItsFiveLinesThenTheOtherKeysInTwoColumnsOnABackdrop)
{
    auto state = State();
    state.helpShown = true;
    state.backBufferHeight = 600;
    const auto lines = OverlayLines(state);
    ASSERT_EQ(lines.size(), 3 + HelpLines().size());
    const char* expected[] = {"Controls (F1 to hide):", "  Arrows: to move the robot", "  W,S,A,D: to move the camera",
                              "  Q,E: zoom", "  ESC: quit"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(lines[3 + i].text, expected[i]);
    const int rows = static_cast<int>(HelpLines().size()) - HelpColumnLines;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        const int index = static_cast<int>(i - 3);
        const bool right = index >= HelpColumnLines && index < 2 * HelpColumnLines;
        EXPECT_EQ(lines[i].x, right ? HelpRightColumn : 20) << lines[i].text;
        EXPECT_EQ(lines[i].y, lines[3].y + 15 * (index < HelpColumnLines ? index : index - HelpColumnLines));
        EXPECT_TRUE(White(lines[i]));
        EXPECT_TRUE(lines[i].backdrop);
    }
    EXPECT_EQ(lines.back().y, 600 - 60) << "the last line ends 45 pixels above the bottom";
    EXPECT_EQ(lines[3].y, 600 - 45 - 15 * rows) << "half as tall as one column would be, and more";
    EXPECT_FALSE(lines[2].backdrop) << "the status line is not the help's";
}

TEST(KorvaleOverlay, TheStatusLineWrapsBeforeThePanelsAndWhatIsUnderItMakesRoom)
{
    auto state = State();
    state.backBufferWidth = 640;
    state.logging = true;
    state.takenOver = true;
    const auto lines = OverlayLines(state);
    EXPECT_EQ(lines[2].wrapWidth, 640 - StatusMargin);
    EXPECT_LE(5 + lines[2].wrapWidth, 640 - 170) << "the panels begin 170 pixels from the right";
    for (std::size_t i = 3; i < lines.size() - 1; ++i)
        EXPECT_TRUE(lines[i].belowStatus) << lines[i].text;
    EXPECT_FALSE(lines.back().belowStatus);
}

TEST(KorvaleOverlay, HelpNamesEveryKeyOfTheKeyTable)
{
    std::string help;
    for (const std::string& line : HelpLines())
        help += line + "\n";
    for (const char* key : {"Arrows", "W,S,A,D", "Q,E", "ESC", "Mouse wheel", "P:", "N:", "+, -", "R:", "F1", "F2",
                            "F3", "F4", "F5", "F12", "Alt+Enter", "Tab", "Shift+Tab", "click", "Load", "Start Log",
                            "korvale-train"})
        EXPECT_NE(help.find(key), std::string::npos) << key;
}
