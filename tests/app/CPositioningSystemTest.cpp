#include "app/CPositioningSystem.h"
#include "base/WindowMessages.h"
#include "render/CViewport.h"

#include <gtest/gtest.h>

using namespace Korvale;
using namespace Tarn;

namespace {

std::intptr_t Point(int x, int y)
{
    return static_cast<std::intptr_t>(static_cast<std::uint16_t>(x) | (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}

// The world view of a 640 x 480 window (left 10, top 55, 460 x 390) showing
// the 100 x 100 arena fitted: its middle pixel is the arena's centre, and one
// world unit spans 390 x 0.95 / 100 pixels on both axes.
class CPositioningSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        viewport.SetRect(10, 55, 460, 390);
        viewport.FitWorld(100.0f, 100.0f);
    }

    void Send(std::uint32_t message, int x, int y) { tracker.OnMsg(nullptr, message, 0, Point(x, y)); }

    static constexpr float PixelsPerUnit = 390.0f * 0.95f / 100.0f;
    CViewport viewport;
    CPositioningSystem tracker{&viewport};
};

}

TEST_F(CPositioningSystemTest, StartsEmpty)
{
    EXPECT_FALSE(tracker.pressValid);
    EXPECT_FALSE(tracker.moveValid);
    EXPECT_FALSE(tracker.releaseValid);
    EXPECT_FALSE(tracker.dragging);
}

TEST_F(CPositioningSystemTest, HoverInsideGivesWorldCoordinates)
{
    Send(WindowMessage::MouseMove, 240, 250);
    ASSERT_TRUE(tracker.moveValid);
    EXPECT_EQ(tracker.movePoint.x, 240);
    EXPECT_EQ(tracker.movePoint.y, 250);
    EXPECT_NEAR(tracker.moveWorld.x, 50.0f, 1e-3f);
    EXPECT_NEAR(tracker.moveWorld.y, 50.0f, 1e-3f);

    // Right and up on the screen are right and up in the world.
    Send(WindowMessage::MouseMove, 240 + 37, 250 - 37);
    EXPECT_NEAR(tracker.moveWorld.x, 50.0f + 37 / PixelsPerUnit, 1e-3f);
    EXPECT_NEAR(tracker.moveWorld.y, 50.0f + 37 / PixelsPerUnit, 1e-3f);
}

TEST_F(CPositioningSystemTest, HoverOutsideWithoutDragClearsMove)
{
    Send(WindowMessage::MouseMove, 240, 250);
    Send(WindowMessage::MouseMove, 470, 250);  // first column right of the view
    EXPECT_FALSE(tracker.moveValid);
    EXPECT_EQ(tracker.movePoint.x, 240);
}

TEST_F(CPositioningSystemTest, PressOutsideStartsNoDrag)
{
    Send(WindowMessage::LeftButtonDown, 600, 100);
    EXPECT_FALSE(tracker.dragging);
    EXPECT_FALSE(tracker.pressValid);
    Send(WindowMessage::LeftButtonUp, 240, 250);
    EXPECT_FALSE(tracker.releaseValid);
}

TEST_F(CPositioningSystemTest, DragKeepsFollowingOutsideTheView)
{
    Send(WindowMessage::LeftButtonDown, 100, 100);
    ASSERT_TRUE(tracker.dragging);
    ASSERT_TRUE(tracker.pressValid);
    EXPECT_EQ(tracker.pressPoint.x, 100);

    Send(WindowMessage::MouseMove, 620, 470);
    EXPECT_TRUE(tracker.moveValid);
    EXPECT_EQ(tracker.movePoint.x, 620);
    EXPECT_GT(tracker.moveWorld.x, 100.0f);

    Send(WindowMessage::LeftButtonUp, 620, 470);
    EXPECT_FALSE(tracker.dragging);
    ASSERT_TRUE(tracker.releaseValid);
    EXPECT_EQ(tracker.releasePoint.y, 470);
    EXPECT_FLOAT_EQ(tracker.releaseWorld.x, tracker.moveWorld.x);
}

TEST_F(CPositioningSystemTest, ReleaseWithoutDragLeavesLastRelease)
{
    Send(WindowMessage::LeftButtonDown, 100, 100);
    Send(WindowMessage::LeftButtonUp, 120, 130);
    Send(WindowMessage::LeftButtonUp, 300, 300);
    EXPECT_EQ(tracker.releasePoint.x, 120);
    EXPECT_EQ(tracker.releasePoint.y, 130);
    EXPECT_TRUE(tracker.pressValid);  // stays set
}

TEST_F(CPositioningSystemTest, PointsLeftOfAndAboveTheWindowStayNegative)
{
    Send(WindowMessage::LeftButtonDown, 20, 60);
    Send(WindowMessage::MouseMove, -15, -40);
    EXPECT_EQ(tracker.movePoint.x, -15);
    EXPECT_EQ(tracker.movePoint.y, -40);
    EXPECT_LT(tracker.moveWorld.x, 0.0f);
    EXPECT_GT(tracker.moveWorld.y, 100.0f);
}

TEST_F(CPositioningSystemTest, OtherMessagesChangeNothing)
{
    Send(WindowMessage::KeyDown, 240, 250);
    Send(0x204, 240, 250);  // right button
    EXPECT_FALSE(tracker.moveValid);
    EXPECT_FALSE(tracker.pressValid);
}
