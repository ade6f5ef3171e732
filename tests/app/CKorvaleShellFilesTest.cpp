#include "app/CKorvale.h"
#include "app/CKorvaleShell.h"
#include "app/KorvalePanels.h"
#include "model/IFenWorld.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace Korvale;

// The Files page of the user panel over a folder made for the test, which
// is the program's working folder as the shell is made.
namespace {

const std::string Examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";

std::string Copy(const std::string& example, const std::filesystem::path& to)
{
    std::filesystem::copy_file(Examples + example, to);
    return to.string();
}

class FilesPage : public testing::Test {
protected:
    FilesPage()
    {
        Copy("OpenArena.xml", folder.File("arena.xml"));
        Copy("Robot.xml", folder.File("bot.xml"));
        std::filesystem::create_directory(folder.File("nets"));
        Copy("DriveForward.xml", folder.File("nets/forward.xml"));
        folder.Write("run.log", "00000012 000-0.25 1.0 0.0 0.0 1.0 \n");
        folder.Write("notes.txt", "not for the list");
        folder.Write(".hidden.xml", "<world/>");
        std::filesystem::current_path(folder.File(""));
    }
    ~FilesPage() override { std::filesystem::current_path(previous); }

    std::vector<std::string> Rows()
    {
        std::vector<std::string> rows;
        for (const Host::ListItem& item : user().GetControl(PanelId::FileList)->items)
            rows.push_back(item.kind.empty() ? item.text : item.kind + " " + item.text);
        return rows;
    }
    int Row(const std::string& text)
    {
        const auto rows = Rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].ends_with(text))
                return static_cast<int>(i);
        ADD_FAILURE() << "no row " << text;
        return -1;
    }
    Host::Dialog& user() { return shell->GetUserPanel(); }

    std::filesystem::path previous = std::filesystem::current_path();
    TestSupport::TempFolder folder;
    Host::Framework framework;
    CKorvale app;
    std::unique_ptr<CKorvaleShell> shell = nullptr;
};

}

TEST_F(FilesPage, ListsFoldersThenModelFilesAndLogsWithTheirKindAndLoadsOnADoubleClick)
{
    shell = std::make_unique<CKorvaleShell>(framework, app);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"../", "nets/", "scene arena.xml", "robot bot.xml", "log run.log"}))
        << "sorted by name within folders and files: arena, bot, run";
    user().SelectPage(PanelPage::Files);

    user().ClickListItem(PanelId::FileList, Row("bot.xml"));
    EXPECT_EQ(user().GetText(PanelId::FileName), "bot.xml");
    EXPECT_EQ(app.scene.GetRobot(), nullptr) << "one click only names the file";

    user().ClickListItem(PanelId::FileList, Row("arena.xml"), true);
    EXPECT_EQ(app.statusBar.GetText(), u"Scene was loaded successfully");
    EXPECT_EQ(app.scene.SceneFile(), "arena.xml");
    user().ClickListItem(PanelId::FileList, Row("bot.xml"), true);
    EXPECT_EQ(app.statusBar.GetText(), u"Robot was loaded successfully");
    ASSERT_NE(app.scene.GetRobot(), nullptr);

    // Into a folder with a double-click (a click only selects it), and out.
    user().ClickListItem(PanelId::FileList, Row("nets/"));
    EXPECT_EQ(Rows().size(), 5u);
    user().ClickListItem(PanelId::FileList, Row("nets/"), true);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"../", "net forward.xml"}));
    EXPECT_EQ(user().GetText(PanelId::FolderName), "Folder: nets");
    EXPECT_EQ(user().GetText(PanelId::BoxFolder), "nets/") << "beside the box: where its names are taken from";
    user().ClickListItem(PanelId::FileList, Row("forward.xml"), true);
    EXPECT_EQ(user().GetText(PanelId::FileName), "forward.xml");
    EXPECT_EQ(app.statusBar.GetText(), u"Neural network was loaded successfully");
    EXPECT_EQ(app.scene.NetworkFile(), "nets/forward.xml");
    // A name typed while the page shows a folder is taken from that folder,
    // for every command of the box.
    user().SetText(PanelId::FileName, "forward.xml");
    user().Click(PanelId::LoadNetwork);
    EXPECT_EQ(app.statusBar.GetText(), u"Neural network was loaded successfully");
    EXPECT_EQ(app.scene.NetworkFile(), "nets/forward.xml");
    user().SetText(PanelId::FileName, "../bot.xml");
    user().Click(PanelId::LoadRobot);
    EXPECT_EQ(app.scene.RobotFile(), "bot.xml");
    user().SetText(PanelId::FileName, "mine.log");
    user().Click(PanelId::StartLog);
    EXPECT_TRUE(std::filesystem::exists(folder.File("nets/mine.log")));
    user().Click(PanelId::StopLog);
    user().ClickListItem(PanelId::FileList, Row("../"), true);
    EXPECT_EQ(Rows().size(), 5u);
    EXPECT_EQ(user().GetText(PanelId::BoxFolder),
              std::filesystem::path(folder.File("")).parent_path().filename().string() + "/");
    user().SetText(PanelId::FileName, "bot.xml");
    user().Click(PanelId::LoadRobot);
    EXPECT_EQ(app.scene.RobotFile(), "bot.xml") << "the working folder's names stay as typed";

    // A log double-clicked is only named: there is nothing to load it as.
    const std::u16string before = app.statusBar.GetText();
    user().ClickListItem(PanelId::FileList, Row("run.log"), true);
    EXPECT_EQ(user().GetText(PanelId::FileName), "run.log");
    EXPECT_EQ(app.statusBar.GetText(), before);
}

TEST_F(FilesPage, TheListFollowsNewFilesAndKeepsTheSelectedRow)
{
    shell = std::make_unique<CKorvaleShell>(framework, app);
    user().SelectPage(PanelPage::Files);
    user().ClickListItem(PanelId::FileList, Row("run.log"));
    folder.Write("another.log", "");
    shell->OnFrameMove(1.0, 0.0f);
    EXPECT_EQ(Rows().size(), 5u) << "read again every 2 s";
    shell->OnFrameMove(2.5, 0.0f);
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"../", "nets/", "log another.log", "scene arena.xml", "robot bot.xml",
                                        "log run.log"}));
    EXPECT_EQ(user().GetControl(PanelId::FileList)->value, Row("run.log"));
}
