#include "app/CKorvale.h"
#include "app/CKorvaleShell.h"
#include "app/KorvalePanels.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "host/TextConversion.h"
#include "model/CFenNeuralRobot.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Korvale;
using namespace Tarn;

// Pause, single frames, speed and reset, as the keys and the run bar give
// them, driven frame by frame as the host drives the shell.
namespace {

const std::string Examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

class Window {
public:
    Window() { app.viewport.SetRect(10, 55, 460, 390); }

    void Command(int id, const std::string& fileName = {})
    {
        shell.GetUserPanel().SetText(PanelId::FileName, fileName);
        shell.GetUserPanel().Click(id);
    }

    // Crowded.xml with AvoidObstacles.xml driving.
    void LoadNetworkRun()
    {
        Command(PanelId::LoadScene, Examples + "Crowded.xml");
        Command(PanelId::LoadRobot, Examples + "Robot.xml");
        Command(PanelId::LoadNetwork, Examples + "AvoidObstacles.xml");
        Command(PanelId::NeuralNetwork);
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            shell.OnFrameMove(time, 1.0f / 60);
            time += 1.0 / 60;
        }
    }

    void Press(std::uint8_t key) { shell.OnKeyboard(key, true, false); }
    Fen::Point Position() { return app.scene.GetRobot()->GetPhysicalObject().pos; }
    std::u16string Status() { return app.statusBar.GetText(); }

    Host::Framework framework;
    CKorvale app;
    CKorvaleShell shell{framework, app};
    double time = 0.0;
};

class RunCommands : public testing::Test {
protected:
    void SetUp() override { Fen::setRandomState(0); }
    void TearDown() override { Fen::setRandomState(0); }
    TestSupport::TempFolder folder;
};

}

TEST_F(RunCommands, ALogRecordedAtFourTimesTheSpeedHasTheLinesOfOneAtNormalSpeed)
{
    {
        Window normal;
        normal.LoadNetworkRun();
        normal.Command(PanelId::StartLog, folder.File("normal.log"));
        normal.Frames(240);
        normal.Command(PanelId::StopLog);
    }
    Fen::setRandomState(0);
    {
        Window fast;
        fast.LoadNetworkRun();
        fast.Press(VirtualKey::Add);
        fast.Press(VirtualKey::Equals);
        EXPECT_EQ(fast.Status(), u"Speed ×4");
        fast.Command(PanelId::StartLog, folder.File("fast.log"));
        fast.Frames(60);
        EXPECT_EQ(fast.app.WorldFrames(), 240);
        fast.Command(PanelId::StopLog);
    }
    const std::string normalLog = folder.Read("normal.log");
    EXPECT_GT(normalLog.size(), 1000u);
    EXPECT_EQ(folder.Read("fast.log"), normalLog);
}

TEST_F(RunCommands, AWindowFrameAtNormalSpeedIsOneBareFrameOfTheSceneAsBefore)
{
    // What a window frame was before speeds, pause and the sensor history:
    // the scene's frame alone.
    {
        Window bare;
        bare.LoadNetworkRun();
        bare.Command(PanelId::StartLog, folder.File("bare.log"));
        for (int i = 0; i < 240; ++i)
            bare.app.scene.AdvanceFrame(1.0f / 60);
        bare.Command(PanelId::StopLog);
    }
    Fen::setRandomState(0);
    {
        Window window;
        window.LoadNetworkRun();
        window.Press(VirtualKey::F4); // the sensor panel reads, never steps
        window.Command(PanelId::StartLog, folder.File("window.log"));
        window.Frames(240);
        window.Command(PanelId::StopLog);
    }
    EXPECT_GT(folder.Read("bare.log").size(), 1000u);
    EXPECT_EQ(folder.Read("window.log"), folder.Read("bare.log"));
}

TEST_F(RunCommands, PauseStopsTheWorldAndEachStepAdvancesItOneFrame)
{
    Window window;
    window.LoadNetworkRun();
    window.Frames(10);
    window.Press('P');
    EXPECT_EQ(window.Status(), u"Paused");
    EXPECT_EQ(window.shell.GetRunBar().GetText(PanelId::Pause), "Resume");
    const long paused = window.app.WorldFrames();
    const Fen::Point still = window.Position();
    window.Frames(30);
    EXPECT_EQ(window.app.WorldFrames(), paused);
    EXPECT_EQ(window.Position().x, still.x);
    window.Press('N');
    window.Frames(5);
    EXPECT_EQ(window.app.WorldFrames(), paused + 1);
    EXPECT_NE(window.Position().x, still.x);
    window.shell.GetRunBar().Click(PanelId::Step);
    window.Frames(1);
    EXPECT_EQ(window.app.WorldFrames(), paused + 2);
    window.app.statusBar.SetTime(100.0f); // the messages have run out
    EXPECT_EQ(window.Status(), u"Paused");
    window.shell.GetRunBar().Click(PanelId::Pause);
    EXPECT_EQ(window.Status(), u"Running");
    window.Frames(3);
    EXPECT_EQ(window.app.WorldFrames(), paused + 5);
    window.Press('N');
    EXPECT_EQ(window.Status(), u"Steps are taken while paused: press P first");
}

TEST_F(RunCommands, SpeedKeysAndButtonsStepThroughTheSpeedsAndShowThem)
{
    Window window;
    window.Press(VirtualKey::Minus);
    EXPECT_EQ(window.Status(), u"Speed ×1/2");
    EXPECT_EQ(window.shell.GetRunBar().GetText(PanelId::Speed), "×1/2");
    window.Press(VirtualKey::Subtract);
    window.shell.GetRunBar().Click(PanelId::Slower);
    window.shell.GetRunBar().Click(PanelId::Slower); // stays at the slowest
    EXPECT_EQ(window.Status(), u"Speed ×1/8");
    for (int i = 0; i < 9; ++i)
        window.shell.GetRunBar().Click(PanelId::Faster);
    EXPECT_EQ(window.Status(), u"As fast as possible");
    EXPECT_EQ(window.shell.GetRunBar().GetText(PanelId::Speed), "max");
    window.app.statusBar.SetTime(100.0f);
    EXPECT_EQ(window.Status(), u"As fast as possible") << "the resting text";
}

TEST_F(RunCommands, ResetLoadsTheSameFilesKeepsTheSelectionAndTheLogAndRepeatsTheRun)
{
    Window window;
    window.LoadNetworkRun();
    window.Command(PanelId::RobotTarget);
    window.Command(PanelId::StartLog, folder.File("run.log"));
    std::vector<double> first;
    for (int i = 0; i < 60; ++i) {
        window.Frames(1);
        first.push_back(window.Position().x);
    }
    const std::string logged = folder.Read("run.log");
    window.Press('R');
    EXPECT_EQ(window.Status(), u"Reset; still recording into " + Host::Utf8ToUtf16(folder.File("run.log")));
    EXPECT_TRUE(window.app.scene.IsLogging()) << "the recording goes on from the start";
    EXPECT_EQ(folder.Read("run.log"), logged) << "every line stays";
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back(), '\n');
    window.Command(PanelId::StopLog);
    EXPECT_EQ(window.app.scene.SceneFile(), Examples + "Crowded.xml");
    EXPECT_EQ(window.app.scene.NetworkFile(), Examples + "AvoidObstacles.xml");
    EXPECT_TRUE(window.app.scene.IsNeuralNetworkControl());
    EXPECT_TRUE(window.shell.GetUserPanel().IsChecked(PanelId::NeuralNetwork));
    EXPECT_TRUE(window.shell.GetUserPanel().IsChecked(PanelId::RobotTarget)) << "the camera stays";
    // The same files from the same noise: the run repeats.
    std::vector<double> again;
    for (int i = 0; i < 60; ++i) {
        window.Frames(1);
        again.push_back(window.Position().x);
    }
    EXPECT_EQ(again, first);
    window.shell.GetRunBar().Click(PanelId::Reset);
    EXPECT_EQ(window.Status(), u"Reset");
}
