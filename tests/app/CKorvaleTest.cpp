#include "app/CKorvale.h"
#include "base/WindowMessages.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "model/CFenNeuralRobot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <array>
#include <utility>

using namespace Korvale;
using namespace Tarn;

namespace {

const std::string Examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

class CKorvaleTest : public testing::Test {
protected:
    void SetUp() override
    {
        app.viewport.SetRect(10, 55, 460, 390);
        app.ResetZoom();
    }

    void Hold(std::uint8_t key) { app.msgSubject.Notify(nullptr, WindowMessage::KeyDown, key, 0); }
    void Release(std::uint8_t key) { app.msgSubject.Notify(nullptr, WindowMessage::KeyUp, key, 0); }

    // One second of frames at 60 a second.
    template <class Frame>
    void OneSecond(Frame frame)
    {
        for (int i = 0; i < 60; ++i)
            frame(1.0f / 60);
    }

    static double Smoothing(float elapsed) { return std::pow(0.25, static_cast<double>(elapsed)); }

    CKorvale app;
};

}

TEST_F(CKorvaleTest, ResetZoomFitsTheEngineWorld)
{
    EXPECT_FLOAT_EQ(app.viewport.GetZoom(), 1.9f / 100);
    EXPECT_FLOAT_EQ(app.viewport.GetCentre().x, 50.0f);
    EXPECT_FLOAT_EQ(app.viewport.GetCentre().y, 50.0f);
}

TEST_F(CKorvaleTest, HoldingEForASecondAlmostQuadruplesTheZoom)
{
    const float start = app.viewport.GetZoom();
    Hold(VirtualKey::E);
    OneSecond([&](float e) { app.UpdateZoom(e); });
    const double factor = std::pow(2 - Smoothing(1.0f / 60), 60);
    EXPECT_NEAR(app.viewport.GetZoom() / start, factor, 1e-3);
    EXPECT_NEAR(factor, 3.9, 0.05);
}

TEST_F(CKorvaleTest, HoldingQForASecondAboutHalvesTheZoom)
{
    const float start = app.viewport.GetZoom();
    Hold(VirtualKey::Q);
    OneSecond([&](float e) { app.UpdateZoom(e); });
    EXPECT_NEAR(app.viewport.GetZoom() / start, std::pow((1 + Smoothing(1.0f / 60)) / 2, 60), 1e-3);
}

TEST_F(CKorvaleTest, EWinsOverQ)
{
    const float start = app.viewport.GetZoom();
    Hold(VirtualKey::Q);
    Hold(VirtualKey::E);
    app.UpdateZoom(0.1f);
    EXPECT_GT(app.viewport.GetZoom(), start);
}

TEST_F(CKorvaleTest, NoZoomKeyLeavesTheZoom)
{
    const float start = app.viewport.GetZoom();
    app.UpdateZoom(0.5f);
    EXPECT_EQ(app.viewport.GetZoom(), start);
}

TEST_F(CKorvaleTest, HoldingWMovesTheCameraAbout27UnitsASecond)
{
    Hold(VirtualKey::W);
    OneSecond([&](float e) { app.MoveCamera(e); });
    EXPECT_NEAR(app.viewport.GetCentre().y - 50.0f, 60 * 20 * (1 - Smoothing(1.0f / 60)), 1e-2);
    EXPECT_NEAR(app.viewport.GetCentre().y - 50.0f, 27.4, 0.1);
    EXPECT_FLOAT_EQ(app.viewport.GetCentre().x, 50.0f);
}

TEST_F(CKorvaleTest, OpposingCameraKeysMoveUpAndRightOnly)
{
    Hold(VirtualKey::W);
    Hold(VirtualKey::S);
    Hold(VirtualKey::D);
    Hold(VirtualKey::A);
    app.MoveCamera(0.5f);
    // Half a second closes half the distance to a target 20 units away.
    EXPECT_NEAR(app.viewport.GetCentre().x, 60.0f, 1e-4);
    EXPECT_NEAR(app.viewport.GetCentre().y, 60.0f, 1e-4);
}

TEST_F(CKorvaleTest, ReleasedKeysStopTheCamera)
{
    Hold(VirtualKey::A);
    app.MoveCamera(0.5f);
    Release(VirtualKey::A);
    const Vec2 before = app.viewport.GetCentre();
    app.MoveCamera(0.5f);
    EXPECT_EQ(app.viewport.GetCentre(), before);
}

TEST_F(CKorvaleTest, FollowingWithoutRobotKeepsTheCamera)
{
    app.FollowRobot(1.0f);
    EXPECT_FLOAT_EQ(app.viewport.GetCentre().x, 50.0f);
    EXPECT_FLOAT_EQ(app.viewport.GetCentre().y, 50.0f);
}

TEST_F(CKorvaleTest, FollowingCloses75PercentOfTheWayInASecond)
{
    ASSERT_TRUE(app.scene.LoadScene(Examples + "OpenArena.xml")) << app.scene.GetErrorText();
    ASSERT_TRUE(app.scene.LoadRobot(Examples + "Robot.xml")) << app.scene.GetErrorText();
    const Fen::Point robot = app.scene.GetRobot()->GetPhysicalObject().pos;
    app.FollowRobot(1.0f);
    EXPECT_NEAR(app.viewport.GetCentre().x, 50.0f + (robot.x - 50.0f) * 0.75f, 1e-4);
    EXPECT_NEAR(app.viewport.GetCentre().y, 50.0f + (robot.y - 50.0f) * 0.75f, 1e-4);
}

TEST_F(CKorvaleTest, PositionTextIsRightAlignedX)
{
    EXPECT_EQ(CKorvale::FormatPosition(1.5f, 2.25f), "  1.5 2.25");
    EXPECT_EQ(CKorvale::FormatPosition(12.5f, -3.0f), " 12.5 -3");
    EXPECT_EQ(CKorvale::FormatPosition(123.456789f, 0.0f), "123.457 0");
    EXPECT_EQ(CKorvale::FormatPosition(1234567.0f, 0.00001f), "1.23457e+06 1e-05");
}

TEST_F(CKorvaleTest, HoverShowsOnTheStatusLineForAFrame)
{
    app.msgSubject.Notify(nullptr, WindowMessage::MouseMove, 0, (250 << 16) | 240);
    app.Update(1.0, 1.0f / 60);
    EXPECT_EQ(app.statusBar.GetText(), u"World x, y:    50 50");
    // The pointer leaves the world view: the text lasts its 0.1 s.
    app.msgSubject.Notify(nullptr, WindowMessage::MouseMove, 0, (250 << 16) | 600);
    app.Update(1.05, 1.0f / 60);
    EXPECT_EQ(app.statusBar.GetText(), u"World x, y:    50 50");
    app.Update(1.2, 1.0f / 60);
    EXPECT_EQ(app.statusBar.GetText(), u"Ready");
}

TEST_F(CKorvaleTest, UpdateStepsTheWorldAndTheRunningLog)
{
    ASSERT_TRUE(app.scene.LoadScene(Examples + "OpenArena.xml"));
    ASSERT_TRUE(app.scene.LoadRobot(Examples + "Robot.xml"));
    app.scene.SetKeyboardControl();
    const Fen::Point start = app.scene.GetRobot()->GetPhysicalObject().pos;
    Hold(VirtualKey::Up);
    for (int i = 0; i < 30; ++i)
        app.Update(i / 60.0, 1.0f / 60);
    const Fen::Point after = app.scene.GetRobot()->GetPhysicalObject().pos;
    EXPECT_GT(after.x - start.x, 1.0);
}

TEST_F(CKorvaleTest, AsFastAsPossibleFillsTheFrameBudgetWithWholeWorldFrames)
{
    double now = 0.0;
    app.SetClock([&now] { return now += 0.004; }); // each look at the clock: 4 ms later
    while (app.run.Faster()) {
    }
    app.SetFrameBudget(0.010);
    app.AdvanceWorld(1.0f / 60); // frames end at 8 and 12 ms, within; at 16, past
    EXPECT_EQ(app.WorldFrames(), 3);
    app.SetFrameBudget(0.0);
    app.AdvanceWorld(1.0f / 60);
    EXPECT_EQ(app.WorldFrames(), 4) << "at least one world frame a window frame";
    app.run.SetPaused(true);
    app.AdvanceWorld(1.0f / 60);
    EXPECT_EQ(app.WorldFrames(), 4);
}

TEST_F(CKorvaleTest, ASpeedAdvancesTheRobotByThatManyFramesOfTheSameTime)
{
    // Keyboard control drives forward; both runs start from the same noise.
    const auto drive = [&](int windowFrames, bool fast) {
        CKorvale run;
        run.scene.LoadScene(Examples + "OpenArena.xml");
        run.scene.LoadRobot(Examples + "Robot.xml");
        run.scene.SetKeyboardControl();
        run.msgSubject.Notify(nullptr, WindowMessage::KeyDown, VirtualKey::Up, 0);
        if (fast) {
            run.run.Faster();
            run.run.Faster();
        }
        for (int i = 0; i < windowFrames; ++i)
            run.Update(i / 60.0, 1.0f / 60);
        const Fen::Point pos = run.scene.GetRobot()->GetPhysicalObject().pos;
        return std::pair{run.WorldFrames(), pos};
    };
    const std::uint32_t noise = Fen::randomState();
    const auto [normalFrames, normal] = drive(40, false);
    Fen::setRandomState(noise);
    const auto [fastFrames, fast] = drive(10, true);
    EXPECT_EQ(normalFrames, 40);
    EXPECT_EQ(fastFrames, 40);
    EXPECT_EQ(fast.x, normal.x);
    EXPECT_EQ(fast.y, normal.y);
}

TEST_F(CKorvaleTest, EachWheelNotchOverTheWorldViewZoomsByAQuarter)
{
    const float start = app.viewport.GetZoom();
    const auto wheel = [&](int notches, int x, int y) {
        app.msgSubject.Notify(nullptr, WindowMessage::MouseWheel, PackWheelParam(notches), PackPointParam(x, y));
    };
    wheel(2, 200, 200);
    app.UpdateZoom(1.0f / 60);
    EXPECT_FLOAT_EQ(app.viewport.GetZoom(), start * 1.25f * 1.25f);
    wheel(-1, 200, 200);
    wheel(1, 600, 200); // over the panels: not the world's
    app.UpdateZoom(1.0f / 60);
    EXPECT_FLOAT_EQ(app.viewport.GetZoom(), start * 1.25f);
    app.UpdateZoom(1.0f / 60);
    EXPECT_FLOAT_EQ(app.viewport.GetZoom(), start * 1.25f) << "each notch once";
}

TEST_F(CKorvaleTest, TheSensorHistoryHoldsTheReadingsOutputsAndCommandsOfTheLastFrames)
{
    app.scene.LoadScene(Examples + "Crowded.xml");
    app.scene.LoadRobot(Examples + "Robot.xml");
    app.scene.LoadNetwork(Examples + "AvoidObstacles.xml");
    app.scene.SetKeyboardControl();
    Hold(VirtualKey::Up);
    app.Update(0.0, 1.0f / 60);
    SensorReadout keyboard = ReadSensors(app.scene);
    ASSERT_EQ(keyboard.infrared.size(), 8u);
    EXPECT_FALSE(keyboard.networkDriving);
    EXPECT_EQ(keyboard.outputs.size(), 4u) << "what the network would give";
    EXPECT_EQ(keyboard.commands, (std::array<bool, 4>{true, false, false, false}));

    Release(VirtualKey::Up); // a key held while the network drives takes over
    ASSERT_TRUE(app.scene.SetNeuralNetworkControl());
    for (std::size_t i = 0; i < CSensorHistory::Length + 20; ++i)
        app.Update(0.0, 1.0f / 60);
    const SensorReadout driving = ReadSensors(app.scene);
    EXPECT_TRUE(driving.networkDriving);
    const auto& outputs = app.scene.GetNeuralNetworkControl().outputs;
    ASSERT_EQ(driving.outputs.size(), 4u);
    EXPECT_EQ(driving.outputs[0], outputs[0]) << "the outputs that drove the last step";
    EXPECT_EQ(driving.commands[0], outputs[0] > 0.5);
    EXPECT_EQ(app.sensorHistory.Samples().size(), CSensorHistory::Length);
    EXPECT_EQ(app.sensorHistory.Infrared(3).back(), static_cast<float>(driving.infrared[3]));
    EXPECT_EQ(app.sensorHistory.Command(0).back(), driving.commands[0] ? 1.0f : 0.0f);

    app.scene.ClearRobot();
    app.Update(0.0, 1.0f / 60);
    EXPECT_TRUE(app.sensorHistory.Samples().empty()) << "no robot, no history";
    EXPECT_FALSE(ReadSensors(app.scene).hasRobot);
    app.scene.LoadRobot(Examples + "Robot.xml");
    app.Update(0.0, 1.0f / 60);
    EXPECT_EQ(app.sensorHistory.Samples().size(), 1u) << "a new robot starts it anew";
}
