#include "app/CKorvale.h"
#include "app/CKorvaleShell.h"
#include "app/KorvalePanels.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <optional>
#include <string>
#include <utility>

using namespace Korvale;
using namespace Tarn;

// A swarm in the shell without a window: Tab, clicks, the status line, the
// camera and the rays key, driven as the host drives them.
namespace {

const std::string Examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

class SwarmWindow : public testing::Test {
protected:
    void SetUp() override
    {
        app.viewport.SetRect(10, 55, 460, 390);
        app.run.SetPaused(true); // the robots stay where the clicks expect them
        Load(PanelId::LoadScene, "Swarm.xml");
    }
    void Load(int id, const std::string& name)
    {
        shell.GetUserPanel().SetText(PanelId::FileName, Examples + name);
        shell.GetUserPanel().Click(id);
    }
    void Press(std::uint8_t key)
    {
        shell.MsgProc(nullptr, WindowMessage::KeyDown, key, PackKeyParam(true, false, false));
        shell.OnKeyboard(key, true, false);
        shell.MsgProc(nullptr, WindowMessage::KeyUp, key, PackKeyParam(false, false, false));
        shell.OnKeyboard(key, false, false);
    }
    void Hold(std::uint8_t key, bool down)
    {
        shell.MsgProc(nullptr, down ? WindowMessage::KeyDown : WindowMessage::KeyUp, key,
                      PackKeyParam(down, false, false));
    }
    std::string Status() const
    {
        const std::u16string text = const_cast<CKorvale&>(app).statusBar.GetText();
        return std::string(text.begin(), text.end());
    }
    // A pixel of the world view over the robot numbered `index`.
    std::optional<std::pair<int, int>> PixelOver(unsigned index)
    {
        const Fen::NeuralRobot& body = app.scene.GetWorld()->GetSwarmRobot(index).GetPhysicalObject();
        for (int y = 55; y < 445; ++y)
            for (int x = 10; x < 470; ++x) {
                const Vec2 at = app.viewport.ScreenToWorld(x, y);
                if (std::hypot(at.x - body.pos.x, at.y - body.pos.y) < 0.5 * body.r)
                    return std::make_pair(x, y);
            }
        return std::nullopt;
    }
    void Click(int x, int y)
    {
        const auto param = static_cast<std::intptr_t>((static_cast<std::uint32_t>(y) << 16) | static_cast<std::uint32_t>(x));
        shell.MsgProc(nullptr, WindowMessage::LeftButtonDown, 0, param);
        shell.MsgProc(nullptr, WindowMessage::LeftButtonUp, 0, param);
    }

    Host::Framework framework;
    CKorvale app;
    CKorvaleShell shell{framework, app};
};

}

TEST_F(SwarmWindow, TabGoesThroughTheRobotsAndTheStatusLineNamesThem)
{
    ASSERT_EQ(app.scene.RobotCount(), 20u);
    Press(VirtualKey::Tab);
    Press(VirtualKey::Tab);
    EXPECT_EQ(app.scene.SelectedIndex(), 2u);
    EXPECT_EQ(Status(), "Robot 3 of 20");
    Hold(VirtualKey::Shift, true);
    Press(VirtualKey::Tab);
    Press(VirtualKey::Tab);
    Press(VirtualKey::Tab);
    Hold(VirtualKey::Shift, false);
    EXPECT_EQ(app.scene.SelectedIndex(), 19u) << "Shift+Tab wraps to the last";
    EXPECT_EQ(Status(), "Robot 20 of 20");
    Press(VirtualKey::Tab);
    EXPECT_EQ(app.scene.SelectedIndex(), 0u) << "Tab wraps to the first";

    // Once the message has run out, the resting text keeps naming it.
    Press(VirtualKey::Tab);
    shell.OnFrameMove(10.0, 1.0f / 60);
    EXPECT_EQ(Status(), "Paused - Robot 2 of 20");

    // Loading the user's robot makes it robot 1 and selects it.
    Load(PanelId::LoadRobot, "Robot.xml");
    EXPECT_EQ(app.scene.SelectedIndex(), 0u);
    shell.OnFrameMove(20.0, 1.0f / 60);
    EXPECT_EQ(Status(), "Paused - Robot 1 of 21");

    // One robot: the status line says what it always said.
    Load(PanelId::LoadScene, "OpenArena.xml");
    Load(PanelId::LoadRobot, "Robot.xml");
    Press(VirtualKey::Tab);
    shell.OnFrameMove(30.0, 1.0f / 60);
    EXPECT_EQ(Status(), "Paused");
}

TEST_F(SwarmWindow, AClickOnARobotSelectsItAndTheCameraFollowsIt)
{
    const std::optional<std::pair<int, int>> pixel = PixelOver(7);
    ASSERT_TRUE(pixel.has_value());
    Click(pixel->first, pixel->second);
    EXPECT_EQ(app.scene.SelectedIndex(), 7u);
    EXPECT_EQ(Status(), "Robot 8 of 20");
    Click(12, 57); // the arena's corner: no robot there
    EXPECT_EQ(app.scene.SelectedIndex(), 7u) << "a click beside every robot keeps the selection";

    shell.GetUserPanel().Click(PanelId::RobotTarget);
    for (int frame = 1; frame <= 60; ++frame)
        shell.OnFrameMove(frame, 0.5f);
    const Fen::NeuralRobot& body = app.scene.GetSelectedRobot()->GetPhysicalObject();
    EXPECT_NEAR(app.viewport.GetCentre().x, body.pos.x, 0.01);
    EXPECT_NEAR(app.viewport.GetCentre().y, body.pos.y, 0.01);
}

TEST_F(SwarmWindow, F5HidesAndShowsTheRays)
{
    EXPECT_TRUE(app.scene.RaysShown());
    Press(VirtualKey::F1 + 4);
    EXPECT_FALSE(app.scene.RaysShown());
    EXPECT_EQ(Status(), "Sensor rays hidden (F5 shows them)");
    Press(VirtualKey::F1 + 4);
    EXPECT_TRUE(app.scene.RaysShown());
}

TEST_F(SwarmWindow, ChangingTheSelectionWhileLoggingSaysWhichRobotTheLogRecords)
{
    const std::string log = testing::TempDir() + "korvale-swarm-window-" + std::to_string(::getpid()) + ".log";
    std::remove(log.c_str());
    Press(VirtualKey::Tab);
    shell.GetUserPanel().SetText(PanelId::FileName, log);
    shell.GetUserPanel().Click(PanelId::StartLog);
    ASSERT_TRUE(app.scene.IsLogging());
    Press(VirtualKey::Tab);
    EXPECT_EQ(Status(), "Robot 3 of 20; the log records robot 2");
    Hold(VirtualKey::Shift, true);
    Press(VirtualKey::Tab);
    Hold(VirtualKey::Shift, false);
    EXPECT_EQ(Status(), "Robot 2 of 20");
    shell.GetUserPanel().Click(PanelId::StopLog);
    std::remove(log.c_str());
}
