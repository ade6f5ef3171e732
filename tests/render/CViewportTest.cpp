#include <gtest/gtest.h>
#include <cmath>
#include "tests/support/CRecordingDevice.h"
#include "render/CViewport.h"

using namespace Tarn;
using namespace TestSupport;

namespace {

// Where the viewport's combined matrix puts a world point, in pixels.
Vec2 ToPixel(const CViewport& viewport, float x, float y)
{
    const Vec2 ndc = Vec2TransformCoord({x, y}, viewport.GetCombinedMatrix());
    const DeviceViewport& r = viewport.GetRect();
    return {static_cast<float>(r.x) + (ndc.x + 1) * static_cast<float>(r.width) / 2,
            static_cast<float>(r.y) + (1 - ndc.y) * static_cast<float>(r.height) / 2};
}

class ViewportTest : public testing::Test {
protected:
    void SetUp() override
    {
        viewport.OnCreateDevice(&device);
        viewport.OnResetDevice();
        // The world view of a 640 x 480 window.
        viewport.SetRect(10, 55, 460, 390);
    }

    CRecordingDevice device;
    CViewport viewport;
};

TEST_F(ViewportTest, FitWorldCentresTheArenaOnNinetyFivePercentOfTheShorterSide)
{
    viewport.FitWorld(100, 100);
    EXPECT_FLOAT_EQ(viewport.GetCentre().x, 50);
    EXPECT_FLOAT_EQ(viewport.GetCentre().y, 50);
    ASSERT_EQ(viewport.Begin(), DeviceOk);
    const Vec2 bottomLeft = ToPixel(viewport, 0, 0);
    const Vec2 topRight = ToPixel(viewport, 100, 100);
    EXPECT_NEAR(topRight.x - bottomLeft.x, 0.95 * 390, 1e-3);
    // World y grows upward: the top of the arena has the smaller pixel row.
    EXPECT_NEAR(bottomLeft.y - topRight.y, 0.95 * 390, 1e-3);
    const Vec2 middle = ToPixel(viewport, 50, 50);
    EXPECT_NEAR(middle.x, 10 + 230, 1e-3);
    EXPECT_NEAR(middle.y, 55 + 195, 1e-3);
}

TEST_F(ViewportTest, FitWorldOfNothingBehavesAsOneByOne)
{
    viewport.FitWorld(0, 0);
    EXPECT_FLOAT_EQ(viewport.GetCentre().x, 0.5f);
    EXPECT_FLOAT_EQ(viewport.GetCentre().y, 0.5f);
    EXPECT_FLOAT_EQ(viewport.GetZoom(), 1.9f);
}

TEST_F(ViewportTest, FitWorldUsesTheLargerSide)
{
    viewport.FitWorld(200, 50);
    EXPECT_FLOAT_EQ(viewport.GetCentre().x, 100);
    EXPECT_FLOAT_EQ(viewport.GetCentre().y, 25);
    EXPECT_FLOAT_EQ(viewport.GetZoom(), 1.9f / 200);
}

TEST_F(ViewportTest, MovingAndZoomingCloseInByAQuarterPerSecond)
{
    viewport.FitWorld(100, 100); // centre (50, 50), zoom 0.019
    viewport.MoveTo(10, 90, 0);
    EXPECT_FLOAT_EQ(viewport.GetCentre().x, 50);
    EXPECT_FLOAT_EQ(viewport.GetCentre().y, 50);
    viewport.MoveTo(10, 90, 1);
    EXPECT_FLOAT_EQ(viewport.GetCentre().x, 10 + 40 * 0.25f);
    EXPECT_FLOAT_EQ(viewport.GetCentre().y, 90 - 40 * 0.25f);
    viewport.MoveTo(0, 0, 0.5f);
    EXPECT_FLOAT_EQ(viewport.GetCentre().x, 20 * 0.5f);
    EXPECT_FLOAT_EQ(viewport.GetCentre().y, 80 * 0.5f);

    viewport.SetZoom(1);
    viewport.ZoomTo(3, 0);
    EXPECT_FLOAT_EQ(viewport.GetZoom(), 1);
    viewport.ZoomTo(3, 1);
    EXPECT_FLOAT_EQ(viewport.GetZoom(), 3 - 2 * 0.25f);
    viewport.ZoomTo(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(viewport.GetZoom(), 0.5f + 2 * 0.5f);
}

// One world unit covers the same number of pixels along x and along y.
void ExpectSquarePixels(CViewport& viewport)
{
    ASSERT_EQ(viewport.Begin(), DeviceOk);
    const Vec2 o = ToPixel(viewport, 0, 0);
    const Vec2 ex = ToPixel(viewport, 1, 0);
    const Vec2 ey = ToPixel(viewport, 0, 1);
    EXPECT_NEAR(ex.x - o.x, o.y - ey.y, 1e-3);
    EXPECT_GT(ex.x - o.x, 0);
    viewport.End();
}

TEST_F(ViewportTest, TheAspectIsCorrectedForWideTallAndSquareRectangles)
{
    viewport.FitWorld(100, 100);
    ExpectSquarePixels(viewport);
    viewport.SetRect(0, 0, 200, 400);
    ExpectSquarePixels(viewport);
    EXPECT_FLOAT_EQ(viewport.GetProjectionMatrix().m[1][1], 0.5f);
    EXPECT_FLOAT_EQ(viewport.GetProjectionMatrix().m[0][0], 1);
    viewport.SetRect(0, 0, 300, 300);
    ExpectSquarePixels(viewport);
    EXPECT_EQ(viewport.GetProjectionMatrix(), MatrixIdentity());
}

TEST_F(ViewportTest, ScreenToWorldInvertsTheView)
{
    viewport.FitWorld(100, 60);
    viewport.MoveTo(30, 20, 0.3f);
    viewport.SetZoom(0.05f);
    const int pixels[][2] = {{10, 55}, {469, 444}, {240, 250}, {123, 321}};
    for (const auto& p : pixels) {
        const Vec2 world = viewport.ScreenToWorld(p[0], p[1]);
        const Vec2 back = ToPixel(viewport, world.x, world.y);
        EXPECT_NEAR(back.x, p[0], 1e-3);
        EXPECT_NEAR(back.y, p[1], 1e-3);
    }
    const Vec2 centre = viewport.ScreenToWorld(10 + 230, 55 + 195);
    EXPECT_NEAR(centre.x, viewport.GetCentre().x, 1e-4);
    EXPECT_NEAR(centre.y, viewport.GetCentre().y, 1e-4);
}

TEST_F(ViewportTest, ScreenToWorldWithoutAZoomOrAnAreaGivesTheCentre)
{
    // Before any fit the zoom is 0 and no pixel has a world point of its own.
    const Vec2 p = viewport.ScreenToWorld(100, 100);
    EXPECT_EQ(p, viewport.GetCentre());
    viewport.FitWorld(100, 100);
    viewport.SetRect(0, 0, 0, 0);
    const Vec2 q = viewport.ScreenToWorld(0, 0);
    EXPECT_EQ(q, viewport.GetCentre());
}

TEST_F(ViewportTest, ContainsIsHalfOpen)
{
    EXPECT_TRUE(viewport.Contains(10, 55));
    EXPECT_TRUE(viewport.Contains(469, 444));
    EXPECT_FALSE(viewport.Contains(9, 55));
    EXPECT_FALSE(viewport.Contains(10, 54));
    EXPECT_FALSE(viewport.Contains(470, 100));
    EXPECT_FALSE(viewport.Contains(100, 445));
    EXPECT_FALSE(viewport.Contains(-5, -5));
}

TEST_F(ViewportTest, BeginSetsTheWorldViewAndEndGivesTheDeviceBackItsState)
{
    const DeviceViewport before{0, 0, 640, 480, 0, 1};
    const Matrix oldWorld = MatrixTranslation(1, 2, 3);
    const Matrix oldView = MatrixScaling(4, 5, 6);
    const Matrix oldProjection = MatrixRotationZ(0.7f);
    device.SetTransform(TransformState::World, oldWorld);
    device.SetTransform(TransformState::View, oldView);
    device.SetTransform(TransformState::Projection, oldProjection);
    viewport.FitWorld(100, 100);

    ASSERT_EQ(viewport.Begin(), DeviceOk);
    EXPECT_TRUE(viewport.IsBegun());
    EXPECT_EQ(device.GetCurrentViewport(), (DeviceViewport{10, 55, 460, 390, 0, 1}));
    EXPECT_EQ(device.GetCurrentTransform(TransformState::World), MatrixIdentity());
    EXPECT_EQ(device.GetCurrentTransform(TransformState::View), viewport.GetViewMatrix());
    EXPECT_EQ(device.GetCurrentTransform(TransformState::Projection), viewport.GetProjectionMatrix());

    ASSERT_EQ(viewport.End(), DeviceOk);
    EXPECT_FALSE(viewport.IsBegun());
    EXPECT_EQ(device.GetCurrentViewport(), before);
    EXPECT_EQ(device.GetCurrentTransform(TransformState::World), oldWorld);
    EXPECT_EQ(device.GetCurrentTransform(TransformState::View), oldView);
    EXPECT_EQ(device.GetCurrentTransform(TransformState::Projection), oldProjection);
}

TEST_F(ViewportTest, ClearOnlyBetweenBeginAndEndAndOnlyTheViewRectangle)
{
    viewport.FitWorld(100, 100);
    EXPECT_EQ(viewport.Clear(0x000000AAu), DeviceFail);
    ASSERT_EQ(viewport.Begin(), DeviceOk);
    EXPECT_EQ(viewport.Clear(0x000000AAu), DeviceOk);
    viewport.End();
    EXPECT_EQ(viewport.Clear(0x000000AAu), DeviceFail);
    ASSERT_EQ(device.GetClears().size(), 1u);
    const auto& clear = device.GetClears()[0];
    EXPECT_EQ(clear.flags, ClearTarget | ClearZBuffer);
    EXPECT_EQ(clear.color, 0x000000AAu);
    EXPECT_EQ(clear.z, 1.0f);
    EXPECT_EQ(clear.stencil, 0u);
    EXPECT_EQ(clear.viewport, (DeviceViewport{10, 55, 460, 390, 0, 1}));
}

TEST_F(ViewportTest, BeginFailsWithoutADeviceOrARectangle)
{
    CViewport unattached;
    unattached.SetRect(0, 0, 10, 10);
    EXPECT_EQ(unattached.Begin(), DeviceFail);
    EXPECT_EQ(unattached.End(), DeviceFail);

    // A reset or a loss needs a new SetRect before the next drawing.
    viewport.OnLostDevice();
    EXPECT_EQ(viewport.Begin(), DeviceFail);
    viewport.OnResetDevice();
    EXPECT_EQ(viewport.Begin(), DeviceFail);
    viewport.SetRect(10, 55, 460, 390);
    EXPECT_EQ(viewport.Begin(), DeviceOk);
    EXPECT_EQ(viewport.End(), DeviceOk);

    // A destroyed device is never used again, even after a new rectangle.
    viewport.OnDestroyDevice();
    viewport.SetRect(10, 55, 460, 390);
    device.ClearRecords();
    EXPECT_EQ(viewport.Begin(), DeviceFail);
    EXPECT_TRUE(device.GetCalls().empty());
}

TEST_F(ViewportTest, AFailingDeviceStopsBeginAtTheFirstFailure)
{
    viewport.FitWorld(100, 100);
    device.FailOn(DeviceCall::SetViewport);
    EXPECT_EQ(viewport.Begin(), DeviceFail);
    EXPECT_FALSE(viewport.IsBegun());
    EXPECT_EQ(device.CountCalls(DeviceCall::SetTransform), 0u);
}

} // namespace
