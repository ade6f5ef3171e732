#include "app/KorvaleLayout.h"

#include <gtest/gtest.h>

using namespace Korvale;

using namespace KorvaleLayout;

TEST(KorvaleLayout, WorldViewLeavesRoomForPanelsAndText)
{
    const Rect view = WorldView(640, 480);
    EXPECT_EQ(view.left, 10);
    EXPECT_EQ(view.top, 55);
    EXPECT_EQ(view.right, 470);
    EXPECT_EQ(view.bottom, 445);
}

TEST(KorvaleLayout, TooSmallBufferGivesTheWholeBuffer)
{
    // 181 x 91 is the smallest that keeps a world view of its own.
    const Rect narrow = WorldView(180, 480);
    EXPECT_EQ(narrow.left, 0);
    EXPECT_EQ(narrow.right, 180);
    EXPECT_EQ(narrow.bottom, 480);
    const Rect low = WorldView(640, 90);
    EXPECT_EQ(low.top, 0);
    EXPECT_EQ(low.bottom, 90);
    const Rect smallest = WorldView(181, 91);
    EXPECT_EQ(smallest.left, 10);
    EXPECT_EQ(smallest.right, 11);
    EXPECT_EQ(smallest.bottom, 56);
}

TEST(KorvaleLayout, PanelsSitAtTheRightEdge)
{
    const Place device = DevicePanel(800, 600);
    EXPECT_EQ(device.x, 630);
    EXPECT_EQ(device.y, 0);
    EXPECT_EQ(device.width, 170);
    EXPECT_EQ(device.height, 170);
    const Place user = UserPanel(800, 600);
    EXPECT_EQ(user.x, 630);
    EXPECT_EQ(user.y, 200);
    EXPECT_EQ(user.width, 170);
    EXPECT_EQ(user.height, 240);
}

TEST(KorvaleLayout, SliderCoversZoomOneHundredthToFiveHundredths)
{
    EXPECT_EQ(SliderValueFromZoom(0.01f), 0);
    EXPECT_EQ(SliderValueFromZoom(0.03f), 50);
    EXPECT_EQ(SliderValueFromZoom(0.05f), 100);
    EXPECT_EQ(SliderValueFromZoom(0.019f), 22);  // the fitted 100 x 100 arena, truncated
    EXPECT_EQ(SliderValueFromZoom(0.001f), 0);
    EXPECT_EQ(SliderValueFromZoom(0.5f), 100);
}

TEST(KorvaleLayout, SliderValueGivesZoom)
{
    EXPECT_FLOAT_EQ(ZoomFromSliderValue(0), 0.01f);
    EXPECT_FLOAT_EQ(ZoomFromSliderValue(50), 0.03f);
    EXPECT_FLOAT_EQ(ZoomFromSliderValue(100), 0.05f);
    for (int value = 0; value <= 100; ++value)
        EXPECT_NEAR(SliderValueFromZoom(ZoomFromSliderValue(value)), value, 1);
}
