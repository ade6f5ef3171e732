#include "app/CKorvale.h"
#include "app/CKorvaleShell.h"
#include "app/KorvalePanels.h"
#include "base/WindowMessages.h"
#include "base/WindowMessages.h"
#include "model/IFenWorld.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/NeuralRobot.h"
#include "model/CFenNeuralRobot.h"
#include "CKorvaleSceneTestFiles.h"

using namespace Korvale;
using namespace Tarn;

// The shell without a window: the panels, their commands and the message
// chain, driven as the host drives them.
namespace {

const std::string Examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

class CKorvaleShellTest : public testing::Test {
protected:
    void SetUp() override { app.viewport.SetRect(10, 55, 460, 390); }

    bool Key(std::uint32_t message, std::uint8_t key)
    {
        return shell.MsgProc(nullptr, message, key, PackKeyParam(message == WindowMessage::KeyDown, false, false));
    }

    void Command(int id, const std::string& fileName)
    {
        user().SetText(PanelId::FileName, fileName);
        user().Click(id);
    }

    Host::Dialog& user() { return shell.GetUserPanel(); }

    Host::Framework framework;
    CKorvale app;
    CKorvaleShell shell{framework, app};
};

std::vector<int> Ids(const Host::Dialog& dialog)
{
    std::vector<int> ids;
    for (const Host::Control& control : dialog.Controls())
        ids.push_back(control.id);
    return ids;
}

}

TEST_F(CKorvaleShellTest, PanelsHoldEveryWidgetInOrder)
{
    EXPECT_EQ(Ids(shell.GetDevicePanel()), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Ids(user()),
              (std::vector<int>{10, 15, 16, 20, 25, 30, 35, 40, 45, 50, 60, 55, 65, 70, 91, 90, 95, 96, 97, 98, 99}));
    EXPECT_EQ(shell.GetDevicePanel().GetText(3), "Change device (F2)");
    EXPECT_EQ(shell.GetDevicePanel().GetControl(3)->hotKey, VirtualKey::F2);
    EXPECT_EQ(shell.GetDevicePanel().GetControl(2)->hotKey, 0);
    EXPECT_EQ(user().GetText(PanelId::FileName), "Default.xml");
    EXPECT_EQ(user().GetControl(PanelId::Keyboard)->group, user().GetControl(PanelId::NeuralNetwork)->group);
    EXPECT_NE(user().GetControl(PanelId::Keyboard)->group, user().GetControl(PanelId::NoTarget)->group);
    EXPECT_EQ(user().GetSliderValue(PanelId::Zoom), 50);
    EXPECT_TRUE(user().IsChecked(PanelId::Keyboard));
    EXPECT_TRUE(user().IsChecked(PanelId::NoTarget));
    EXPECT_FALSE(user().IsChecked(PanelId::NeuralNetwork));
    EXPECT_FALSE(user().IsChecked(PanelId::RobotTarget));
}

TEST_F(CKorvaleShellTest, BuildingEndsWithTheArenaFitted)
{
    EXPECT_FLOAT_EQ(app.viewport.GetZoom(), 0.019f);
}

TEST_F(CKorvaleShellTest, SliderSetsTheZoom)
{
    user().SetSliderValue(PanelId::Zoom, 75);
    shell.OnPanelEvent(PanelId::Zoom);
    EXPECT_FLOAT_EQ(app.viewport.GetZoom(), 0.04f);
}

TEST_F(CKorvaleShellTest, FrameMoveSetsTheSliderFromTheZoom)
{
    app.viewport.SetZoom(0.03f);
    shell.OnFrameMove(0.0, 0.0f);
    EXPECT_EQ(user().GetSliderValue(PanelId::Zoom), 50);
    app.viewport.SetZoom(0.2f);
    shell.OnFrameMove(0.0, 0.0f);
    EXPECT_EQ(user().GetSliderValue(PanelId::Zoom), 100);
}

TEST_F(CKorvaleShellTest, ResetZoomFromRobotTargetFitsAndReturnsToNoTarget)
{
    user().Click(PanelId::RobotTarget);
    app.viewport.SetZoom(0.04f);
    user().Click(PanelId::ResetZoom);
    EXPECT_FLOAT_EQ(app.viewport.GetZoom(), 0.019f);
    EXPECT_TRUE(user().IsChecked(PanelId::NoTarget));
}

TEST_F(CKorvaleShellTest, RobotTargetWithoutRobotKeepsTheCamera)
{
    user().Click(PanelId::RobotTarget);
    app.msgSubject.Notify(nullptr, WindowMessage::KeyDown, VirtualKey::W, 0);
    shell.OnFrameMove(1.0, 0.5f);
    EXPECT_FLOAT_EQ(app.viewport.GetCentre().y, 50.0f);
}

TEST_F(CKorvaleShellTest, LoadCommandsReadTheFileNameBox)
{
    Command(PanelId::LoadScene, Examples + "OpenArena.xml");
    EXPECT_EQ(app.statusBar.GetText(), u"Scene was loaded successfully");
    EXPECT_EQ(app.scene.GetWorld()->GetStartPointCount(), 1u);
    Command(PanelId::LoadRobot, Examples + "Robot.xml");
    EXPECT_NE(app.scene.GetRobot(), nullptr);
}

TEST_F(CKorvaleShellTest, MissingSceneKeepsTheWorldAndShowsTheError)
{
    Command(PanelId::LoadScene, Examples + "OpenArena.xml");
    app.statusBar.SetTime(3.0f);  // the success text has run out
    Command(PanelId::LoadScene, Examples + "NoSuchScene.xml");
    const std::u16string status = app.statusBar.GetText();
    EXPECT_EQ(status.rfind(u"Error in ", 0), 0u);
    // The last line names the file as the box gave it.
    const std::string line = "\nScene file '" + Examples + "NoSuchScene.xml': no such file\n";
    EXPECT_EQ(status.substr(status.size() - line.size()), std::u16string(line.begin(), line.end()));
    EXPECT_EQ(app.statusBar.GetPriority(), 3);
    EXPECT_EQ(app.scene.GetWorld()->GetStartPointCount(), 1u);
}

TEST_F(CKorvaleShellTest, ANetworkTheControlCannotReadShowsItsWarningOnTheStatusLine)
{
    const std::string network = testing::TempDir() + "korvale-shell-net-" + std::to_string(::getpid()) + ".xml";
    std::ofstream(network) << SceneTestFiles::networkTwoOutputs;
    Command(PanelId::LoadNetwork, network);
    std::remove(network.c_str());
    const std::u16string status = app.statusBar.GetText();
    // Under the load's own line, which stays.
    EXPECT_EQ(status.rfind(u"Neural network was loaded successfully\nWarning: network file '", 0), 0u);
    EXPECT_NE(status.find(u"has 2 outputs, not 4"), std::u16string::npos);
    EXPECT_EQ(app.statusBar.GetPriority(), 3);
}

TEST_F(CKorvaleShellTest, AFaultOfTheLogDuringAFrameGoesToTheStatusLine)
{
    const std::string log = testing::TempDir() + "korvale-shell-log-" + std::to_string(::getpid()) + ".log";
    std::remove(log.c_str());
    Command(PanelId::LoadScene, Examples + "OpenArena.xml");
    Command(PanelId::LoadRobot, Examples + "Robot.xml");
    Command(PanelId::StartLog, log);
    ASSERT_TRUE(app.scene.IsLogging());
    app.scene.GetRobot()->GetPhysicalObject().detachRemoteControl();
    shell.OnFrameMove(1.0, 0.2f);
    const std::string expected = "Error in CLog: remote control is not attached to a robot\n"
                                 "Log file '"
        + log + "': the robot has no control to record\n";
    EXPECT_EQ(app.statusBar.GetText(), std::u16string(expected.begin(), expected.end()));
    EXPECT_EQ(app.statusBar.GetPriority(), 3);
    EXPECT_TRUE(app.scene.IsOk()) << "shown once";
    std::remove(log.c_str());
}

TEST_F(CKorvaleShellTest, KeysTypedIntoTheFileNameBoxNeverReachTheKeyTable)
{
    user().GetControl(PanelId::FileName)->focused = true;
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::W));
    EXPECT_FALSE(app.keyboard.IsKeyDown(VirtualKey::W));
    user().GetControl(PanelId::FileName)->focused = false;
    EXPECT_FALSE(Key(WindowMessage::KeyDown, VirtualKey::W));
    EXPECT_TRUE(app.keyboard.IsKeyDown(VirtualKey::W));
}

TEST_F(CKorvaleShellTest, SettingsDialogTakesEveryMessageWhileShown)
{
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::F2));  // the button's hot key
    EXPECT_TRUE(Key(WindowMessage::KeyUp, VirtualKey::F2));
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::Up));
    EXPECT_FALSE(app.keyboard.IsKeyDown(VirtualKey::Up));
    EXPECT_TRUE(shell.MsgProc(nullptr, WindowMessage::MouseMove, 0, PackPointParam(240, 250)));
    EXPECT_FALSE(app.positioningSystem.moveValid);
    // F2 again hides it; the panels and the key table get messages again.
    EXPECT_TRUE(Key(WindowMessage::KeyDown, VirtualKey::F2));
    EXPECT_FALSE(Key(WindowMessage::KeyDown, VirtualKey::Up));
    EXPECT_TRUE(app.keyboard.IsKeyDown(VirtualKey::Up));
}

TEST_F(CKorvaleShellTest, MouseMessagesReachTheTrackerOutsideThePanels)
{
    EXPECT_FALSE(shell.MsgProc(nullptr, WindowMessage::MouseMove, 0, PackPointParam(240, 250)));
    EXPECT_TRUE(app.positioningSystem.moveValid);
    // Onto the "Load Scene" button: the hover coordinates must stop showing.
    EXPECT_FALSE(shell.MsgProc(nullptr, WindowMessage::MouseMove, 0, PackPointParam(540, 80 + 110)));
    EXPECT_FALSE(app.positioningSystem.moveValid);
}

TEST_F(CKorvaleShellTest, F1TogglesTheHelp)
{
    EXPECT_FALSE(shell.IsHelpShown());
    shell.OnKeyboard(VirtualKey::F1, true, false);
    EXPECT_TRUE(shell.IsHelpShown());
    shell.OnKeyboard(VirtualKey::F1, false, false);
    EXPECT_TRUE(shell.IsHelpShown());
    shell.OnKeyboard(VirtualKey::F1, true, false);
    EXPECT_FALSE(shell.IsHelpShown());
}
