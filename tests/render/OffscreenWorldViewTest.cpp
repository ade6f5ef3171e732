#include <gtest/gtest.h>

#include <thread>

#include "DrawnWorld.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "render/COffscreenWorldView.h"

using namespace Tarn;

namespace {

bool Is(const RgbImage& picture, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    const std::uint8_t* p = picture.At(x, y);
    return p[0] == r && p[1] == g && p[2] == b;
}

// A 100 x 50 arena with a red disc, seen in a picture wider than the
// arena's shape: the arena's width spans 95 % of the picture's height.
class OffscreenWorldViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        world.Reset(100, 50);
        auto& disc = CFenPhysicalObject::Create(world).GetPhysicalObject();
        disc.pos = {25, 40};
        disc.r = 4;
        disc.color = {1, 0, 0, 1};
    }

    std::unique_ptr<COffscreenWorldView> View(int width, int height)
    {
        std::string error;
        auto view = COffscreenWorldView::Create(vertexBuffer, width, height, &error);
        EXPECT_NE(view, nullptr) << "no offscreen OpenGL: " << error;
        if (view != nullptr)
            view->GetViewport().FitWorld(100, 50);
        return view;
    }

    CVertexBuffer vertexBuffer;
    DrawnWorld world{&vertexBuffer};
};

TEST_F(OffscreenWorldViewTest, ThePictureIsAllWorldViewWithTheArenaWhereTheViewportPutsIt)
{
    auto view = View(300, 200);
    ASSERT_NE(view, nullptr);
    RgbImage picture;
    ASSERT_TRUE(view->Draw(world, picture));
    ASSERT_EQ(picture.width, 300);
    ASSERT_EQ(picture.height, 200);

    // One world unit is 1.9 pixels: 200 / 2 * (1.9 / 100) units of normalised
    // height per unit. The arena's centre (50, 25) is the picture's.
    const auto px = [](double x) { return static_cast<int>(150 + 1.9 * (x - 50)); };
    const auto py = [](double y) { return static_cast<int>(100 - 1.9 * (y - 25)); };
    EXPECT_TRUE(Is(picture, 0, 0, 0, 0, 0xAA));
    EXPECT_TRUE(Is(picture, 299, 199, 0, 0, 0xAA));
    EXPECT_TRUE(Is(picture, px(50), py(25), 0, 0, 0xAA));
    EXPECT_TRUE(Is(picture, px(25), py(40), 0xFF, 0, 0));
    EXPECT_TRUE(Is(picture, px(25) + 6, py(40), 0xFF, 0, 0));
    EXPECT_TRUE(Is(picture, px(25) + 9, py(40), 0, 0, 0xAA));
    // The border: black along the left edge and along the bottom.
    const auto blackNear = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (Is(picture, x + dx, y + dy, 0, 0, 0))
                    return true;
        return false;
    };
    EXPECT_TRUE(blackNear(px(0), py(25)));
    EXPECT_TRUE(blackNear(px(100), py(25)));
    EXPECT_TRUE(blackNear(px(50), py(0)));
    EXPECT_TRUE(blackNear(px(50), py(50)));
    EXPECT_FALSE(blackNear(px(50), py(47)));
}

TEST_F(OffscreenWorldViewTest, TheDrawingContextIsLentOnlyWhileTheViewLives)
{
    EXPECT_EQ(vertexBuffer.Clear(), DeviceFail);
    {
        auto view = View(64, 64);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(vertexBuffer.Clear(), DeviceOk);
    }
    EXPECT_EQ(vertexBuffer.Clear(), DeviceFail);
    EXPECT_EQ(world.Draw(), DeviceFail);
}

// A script may draw from one thread, then another; and two views of two
// worlds may take turns on one thread.
TEST_F(OffscreenWorldViewTest, ViewsTakeTurnsAcrossThreadsAndWithEachOther)
{
    auto view = View(120, 80);
    ASSERT_NE(view, nullptr);
    RgbImage first;
    ASSERT_TRUE(view->Draw(world, first));
    view->Release();

    RgbImage fromThread;
    bool drawn = false;
    std::thread([&] {
        drawn = view->Draw(world, fromThread);
        view->Release();
    }).join();
    ASSERT_TRUE(drawn);
    EXPECT_EQ(fromThread.pixels, first.pixels);

    CVertexBuffer otherBuffer;
    DrawnWorld other{&otherBuffer};
    other.Reset(10, 10);
    auto otherView = COffscreenWorldView::Create(otherBuffer, 120, 80);
    ASSERT_NE(otherView, nullptr);
    otherView->GetViewport().FitWorld(10, 10);
    RgbImage otherPicture, again;
    ASSERT_TRUE(otherView->Draw(other, otherPicture));
    ASSERT_TRUE(view->Draw(world, again));
    EXPECT_EQ(again.pixels, first.pixels);
    EXPECT_NE(otherPicture.pixels, first.pixels);
}

} // namespace
