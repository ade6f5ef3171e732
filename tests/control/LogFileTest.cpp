// The run log on real files: only new files are created, an existing file
// keeps every byte, records reach the file as they are written, and a full
// file keeps its whole records.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "control/CLogFile.h"
#include "LogTestSupport.h"

using namespace Tarn;

using namespace LogTest;
namespace fs = std::filesystem;

namespace {

const std::string exists = "Error in CLog: log file already exists\n";
const std::string cannotCreate = "Error in CLog: unable to create log file\n";

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder per test, removed afterwards.
class LogFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "korvale_log_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
    KeyboardRobot robot;
};

const std::string previousRun = "00000001 1.0 0.0 0.0 0.0 \nsomething the user wants to keep\n";

} // namespace

TEST_F(LogFiles, NewFileReceivesEachRecordAtOnce)
{
    const fs::path path = folder / "run.log";
    Tarn::CLog log;
    ASSERT_TRUE(log.Create(path.string())) << log.GetErrorText();
    EXPECT_TRUE(fs::exists(path));
    log.AttachRobot(&robot.robot);
    ASSERT_TRUE(log.Start());
    log.Write(0.2);
    // Readable by another program before the log is closed.
    EXPECT_EQ(Contents(path), "000000.5 00000001 0.0 0.0 0.0 0.0 \n");
    robot.Press(VirtualKey::Up);
    log.Write(0.2);
    EXPECT_EQ(Contents(path), "000000.5 00000001 0.0 0.0 0.0 0.0 \n000000.5 00000001 1.0 0.0 0.0 0.0 \n");
    log.Close();
    EXPECT_TRUE(log.IsOk());
}

TEST_F(LogFiles, ExistingFileKeepsEveryByte)
{
    const fs::path path = folder / "run.log";
    WriteFile(path, previousRun);
    const auto modified = fs::last_write_time(path);

    Tarn::CLog log;
    EXPECT_FALSE(log.Create(path.string()));
    log.AttachRobot(&robot.robot);
    EXPECT_FALSE(log.Start());
    log.Write(1.0);
    log.Close();

    EXPECT_EQ(log.GetErrorText(), exists + "Error in CLog: log file is not created yet\n");
    EXPECT_EQ(Contents(path), previousRun);
    EXPECT_EQ(fs::last_write_time(path), modified);
}

TEST_F(LogFiles, ExistingEmptyFileIsNotTakenOver)
{
    const fs::path path = folder / "empty.log";
    WriteFile(path, "");
    Tarn::CLog log;
    EXPECT_FALSE(log.Create(path.string()));
    EXPECT_EQ(log.GetErrorText(), exists);
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(LogFiles, LinkToAnExistingFileLeavesItsTargetAlone)
{
    const fs::path target = folder / "kept.txt";
    WriteFile(target, previousRun);
    fs::create_symlink(target, folder / "run.log");
    Tarn::CLog log;
    EXPECT_FALSE(log.Create((folder / "run.log").string()));
    EXPECT_EQ(log.GetErrorText(), exists);
    EXPECT_EQ(Contents(target), previousRun);
}

TEST_F(LogFiles, DanglingLinkIsNotFollowed)
{
    // A test that only tries to read the name would find nothing there and
    // then create the link's target wherever it points.
    const fs::path target = folder / "elsewhere.txt";
    fs::create_symlink(target, folder / "run.log");
    Tarn::CLog log;
    EXPECT_FALSE(log.Create((folder / "run.log").string()));
    EXPECT_EQ(log.GetErrorText(), exists);
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(LogFiles, FolderNameCountsAsExisting)
{
    Tarn::CLog log;
    EXPECT_FALSE(log.Create(folder.string()));
    EXPECT_EQ(log.GetErrorText(), exists);
}

TEST_F(LogFiles, UnusablePathThenAGoodName)
{
    Tarn::CLog log;
    EXPECT_FALSE(log.Create((folder / "no such folder" / "run.log").string()));
    EXPECT_EQ(log.GetErrorText(), cannotCreate);
    EXPECT_FALSE(log.Create(""));
    EXPECT_EQ(log.GetErrorText(), cannotCreate + cannotCreate);
    EXPECT_TRUE(log.Create((folder / "run.log").string()));
    EXPECT_TRUE(log.IsCreated());
}

TEST_F(LogFiles, RelativeNameIsTakenFromTheWorkingFolder)
{
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    Tarn::CLog log;
    const bool created = log.Create("relative.log");
    fs::current_path(before);
    EXPECT_TRUE(created) << log.GetErrorText();
    EXPECT_TRUE(fs::exists(folder / "relative.log"));
}

TEST_F(LogFiles, SecondLogOnTheSameNameFails)
{
    const fs::path path = folder / "run.log";
    Tarn::CLog first;
    ASSERT_TRUE(first.Create(path.string()));
    first.AttachRobot(&robot.robot);
    first.Start();
    first.Write(0.2);
    Tarn::CLog second;
    EXPECT_FALSE(second.Create(path.string()));
    EXPECT_EQ(second.GetErrorText(), exists);
    EXPECT_EQ(CountLines(Contents(path)), 1);
}

// Logs into a file that may not grow past two and a half records, as on a
// full disk, and exits with 0 when the file holds exactly the two whole
// records and the log reported the failure once and stopped.
[[noreturn]] void LogIntoAFullFile(const fs::path& path, Fen::NeuralRobot& robot, const std::string& record)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{2 * record.size() + record.size() / 2, RLIM_INFINITY};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::_Exit(10);
    Tarn::CLog log;
    if (!log.Create(path.string()))
        std::_Exit(11);
    log.AttachRobot(&robot);
    log.Start();
    for (int frame = 0; frame < 6; ++frame)
        log.Write(0.2);
    if (log.GetErrorText() != "Error in CLog: unable to write log file\n")
        std::_Exit(12);
    if (log.IsLogging() || log.IsCreated())
        std::_Exit(13);
    if (Contents(path) != record + record)
        std::_Exit(14);
    std::_Exit(0);
}

// Run in a child process, since the size limit applies to the whole process.
TEST_F(LogFiles, FullFileKeepsItsWholeRecords)
{
    const std::string record = "000000.5 00000001 0.0 0.0 0.0 0.0 \n";
    EXPECT_EXIT(LogIntoAFullFile(folder / "full.log", robot.robot, record), ::testing::ExitedWithCode(0), "");
}

TEST_F(LogFiles, LogFileAppendsWholeTexts)
{
    int error = -1;
    auto file = Tarn::CLogFile::CreateNew((folder / "direct.log").string(), error);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(file->Append("one \n"));
    EXPECT_TRUE(file->Append(""));
    EXPECT_TRUE(file->Append("two \n"));
    EXPECT_EQ(Contents(folder / "direct.log"), "one \ntwo \n");
    EXPECT_EQ(Tarn::CLogFile::CreateNew((folder / "direct.log").string(), error), nullptr);
    EXPECT_EQ(error, EEXIST);
}
