#include "app/CKorvale.h"
#include "app/CKorvaleShell.h"
#include "app/FileKind.h"
#include "engine/NeuralRobot.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "tests/support/TempFolder.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define KORVALE_LEAK_CHECKS 1
#endif
#endif

using namespace Korvale;

namespace {

// The OpenGL driver keeps memory to the end, in a library it unloads then:
// what is allocated while this lives is not a leak of ours.
struct DriverMemoryKept {
#ifdef KORVALE_LEAK_CHECKS
    DriverMemoryKept() { __lsan_disable(); }
    ~DriverMemoryKept() { __lsan_enable(); }
#endif
};

const std::string Examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

void PushDrop(std::uint32_t type, const std::string& file = {})
{
    SDL_Event event{};
    event.type = type;
    event.drop.file = file.empty() ? nullptr : SDL_strdup(file.c_str());
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

}

TEST(FileKind, ModelFilesByTheirRootElementLogsByTheirFirstLine)
{
    TestSupport::TempFolder folder;
    EXPECT_EQ(KindOfFile(Examples + "Crowded10000.xml"), FileKind::Scene);
    EXPECT_EQ(KindOfFile(Examples + "Robot.xml"), FileKind::Robot);
    EXPECT_EQ(KindOfFile(Examples + "AvoidObstacles.xml"), FileKind::Network);
    EXPECT_EQ(KindOfFile(Examples), FileKind::Folder);
    EXPECT_EQ(KindOfFile(folder.Write("declared.txt", "<?xml version=\"1.0\"?>\n<neuralrobot wheelDistance=")),
              FileKind::Robot);
    EXPECT_EQ(KindOfFile(folder.Write("commented.xml", "<!-- a --><world width=\"1\" height=\"1\"/>")),
              FileKind::Other);
    EXPECT_EQ(KindOfFile(folder.Write("other.xml", "<sweep/>")), FileKind::Other);
    EXPECT_EQ(KindOfFile(folder.Write("run.txt", "00000012 000-0.25 1.0 0.0 0.0 1.0 \n")), FileKind::Log);
    EXPECT_EQ(KindOfFile(folder.Write("new.log", "")), FileKind::Log);
    EXPECT_EQ(KindOfFile(folder.Write("notes.txt", "1.0 0.0 0.0 1.0 and more\n")), FileKind::Other);
    EXPECT_EQ(KindOfFile(folder.File("missing.xml")), FileKind::Other);
    EXPECT_STREQ(FileKindName(FileKind::Network), "network");
}

// Drop events go through the host's event loop as the desktop sends them:
// the real window on SDL's off-screen video, which needs no display.
TEST(FileDrop, ASceneAndARobotDroppedTogetherLoadSceneFirstWhateverTheirOrder)
{
    TestSupport::TempFolder folder;
    const std::string notes = folder.Write("notes.txt", "nothing to load");
    [[maybe_unused]] const DriverMemoryKept driverMemory;
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    Host::Framework framework;
    ASSERT_EQ(framework.Init({"-quitafterframe:2", "-constantframetime", "-nostats"}, "korvale"), 0);
    CKorvale app;
    CKorvaleShell shell(framework, app);
    ASSERT_EQ(framework.CreateWindowAndDevice("Korvale", 640, 480), 0);
    PushDrop(SDL_DROPBEGIN);
    PushDrop(SDL_DROPFILE, Examples + "Robot.xml");
    PushDrop(SDL_DROPFILE, notes);
    PushDrop(SDL_DROPFILE, Examples + "OpenArena.xml");
    PushDrop(SDL_DROPCOMPLETE);
    ASSERT_EQ(framework.MainLoop(), 0);

    ASSERT_NE(app.scene.GetRobot(), nullptr) << "the scene loaded after the robot would have deleted it";
    EXPECT_EQ(app.scene.SceneFile(), Examples + "OpenArena.xml");
    EXPECT_EQ(app.scene.GetWorld()->GetFenWorld().objects.size(), 7u);
    const Fen::Point start = app.scene.GetWorld()->GetStartPoint(0);
    const Fen::Point& pos = app.scene.GetRobot()->GetPhysicalObject().pos;
    EXPECT_NEAR(pos.x, start.x, 1.0);
    EXPECT_NEAR(pos.y, start.y, 1.0);
    EXPECT_EQ(app.statusBar.GetText(), u"Dropped file '" + std::u16string(notes.begin(), notes.end())
                                           + u"': not a scene, robot or network file\n");
}
