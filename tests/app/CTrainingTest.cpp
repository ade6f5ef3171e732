// The window's Train: korvale-train run beside the window, here a stand-in
// script that says what a trainer says and writes what it would write.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/CTraining.h"
#include "CKorvaleSceneTestFiles.h"
#include "RecordingCommandHost.h"
#include "tests/support/TempFolder.h"

using namespace Korvale;
using namespace TestSupport;
using namespace SceneTestFiles;

namespace {

using Lines = std::vector<std::string>;

// A trainer that writes its arguments to arguments.txt, reports progress,
// and ends as `ending` says (shell commands; $student is the -o file).
std::string Trainer(const std::string& ending)
{
    return "#!/bin/sh\n"
           "printf '%s\\n' \"$@\" > arguments.txt\n"
           "echo 'progress: candidate 1 of 5, epoch 1 of 200'\n"
           "while [ \"$1\" != -o ]; do shift; done\n"
           "student=$2\n"
        + ending + "\n";
}

class Training : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The students' names are free names of the working folder.
        std::filesystem::current_path(folder.File(""));
        ASSERT_TRUE(commands.LoadScene(folder.Write("scene.xml", sceneWithStart)));
        ASSERT_TRUE(commands.LoadRobot(folder.Write("robot.xml", robotTwoSensors)));
        ASSERT_TRUE(commands.LoadNetwork(folder.Write("old.xml", networkTwoInputs)));
        folder.Write("student.txt", networkTwoInputs);
        host.Take();
    }
    ~Training() override { std::filesystem::current_path(previous); }

    void UseTrainer(const std::string& ending)
    {
        folder.Write("trainer.sh", Trainer(ending));
        std::filesystem::permissions(folder.File("trainer.sh"), std::filesystem::perms::owner_all);
    }

    // Polls as the window does once a frame, until the trainer has ended.
    void WaitForTheEnd()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (training.IsRunning() && std::chrono::steady_clock::now() < end) {
            training.Poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_FALSE(training.IsRunning());
    }

    Lines Arguments() const
    {
        Lines lines;
        std::string text = folder.Read("arguments.txt");
        for (std::size_t at = 0, next; (next = text.find('\n', at)) != std::string::npos; at = next + 1)
            lines.push_back(text.substr(at, next - at));
        return lines;
    }

    std::filesystem::path previous = std::filesystem::current_path();
    TempFolder folder;
    CKeyboard keyboard;
    CKorvaleScene scene{nullptr, &keyboard};
    RecordingCommandHost host;
    CSceneCommands commands{scene, host};
    int loaded = 0;
    CTraining training{scene, commands, host, folder.File("trainer.sh"), [this] { ++loaded; }};
};

TEST_F(Training, TrainsOnTheDemonstrationAndItsCorrectionsThenLoadsAndSelectsTheStudent)
{
    UseTrainer("cp student.txt \"$student\"; echo 'done: student-0001.xml: 90.4 % agreement'");
    training.LogStarted("demo.log", false);
    training.LogStarted("corrections-0001.log", true);
    ASSERT_TRUE(training.Start());
    WaitForTheEnd();

    EXPECT_EQ(Arguments(),
              (Lines{"demo.log", "--corrections", "corrections-0001.log", "-o", "student-0001.xml", "--robot",
                     folder.File("robot.xml"), "--progress-lines", "--validate", folder.File("scene.xml")}));
    const Lines calls = host.Take();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), "info: Training student-0001.xml on 2 logs");
    EXPECT_EQ(calls[1], "info: Training: candidate 1 of 5, epoch 1 of 200");
    EXPECT_EQ(calls.back(), "info: Trained student-0001.xml: 90.4 % agreement");
    // The Teach page keeps the figures after the status line has moved on.
    EXPECT_EQ(training.Summary(), "Trained student-0001.xml: 90.4 % agreement");
    EXPECT_EQ(scene.NetworkFile(), "student-0001.xml");
    EXPECT_TRUE(scene.IsNeuralNetworkControl());
    EXPECT_EQ(loaded, 1);

    // The next student goes into the next free name.
    ASSERT_TRUE(training.Start());
    WaitForTheEnd();
    EXPECT_EQ(Arguments()[4], "student-0002.xml");
}

TEST_F(Training, CorrectionsLogsChosenByHandAreKnownByTheirNamesAndFollowTheDemonstrations)
{
    UseTrainer("true");
    training.Toggle("./corrections-0003.log");
    training.Toggle("first.log");
    training.LogStarted("takeover.log", true);
    ASSERT_TRUE(training.Start());
    WaitForTheEnd();
    const Lines arguments = Arguments();
    ASSERT_GE(arguments.size(), 5u);
    EXPECT_EQ(Lines(arguments.begin(), arguments.begin() + 5),
              (Lines{"first.log", "--corrections", "corrections-0003.log", "takeover.log", "-o"}));
}

TEST_F(Training, AFailureSaysWhyInOneLineAndLeavesTheNetworkThatDrove)
{
    UseTrainer("echo \"korvale-train: demo.log:3: field 2 is not a number: 'abc'\"; exit 1");
    training.LogStarted("demo.log", false);
    ASSERT_TRUE(training.Start());
    WaitForTheEnd();
    EXPECT_EQ(host.Take().back(), "error: Training failed: demo.log:3: field 2 is not a number: 'abc'");
    EXPECT_EQ(training.Summary(), "Training failed: demo.log:3: field 2 is not a number: 'abc'");
    EXPECT_EQ(scene.NetworkFile(), folder.File("old.xml"));
    EXPECT_EQ(loaded, 0);

    // A trainer that ends well but leaves no network file in one piece.
    UseTrainer("echo '<network' > \"$student\"; echo 'done: student-0001.xml: 90.4 % agreement'");
    ASSERT_TRUE(training.Start());
    WaitForTheEnd();
    EXPECT_EQ(host.Take().back(), "error: Training failed: student-0001.xml does not read as a network");
    EXPECT_EQ(scene.NetworkFile(), folder.File("old.xml"));
    EXPECT_EQ(loaded, 0);
}

TEST_F(Training, WithoutLogsOrWhileItTrainsNothingStarts)
{
    UseTrainer("sleep 1");
    EXPECT_FALSE(training.Start());
    EXPECT_EQ(host.Take(),
              (Lines{"error: Nothing to train on: record a log with Start Log, or choose logs on the "
                     "Teach page"}));
    training.LogStarted("demo.log", false);
    ASSERT_TRUE(training.Start());
    host.Take();
    EXPECT_FALSE(training.Start());
    EXPECT_EQ(host.Take(), (Lines{"error: Training is running already"}));
    WaitForTheEnd();
}

} // namespace

// Installed, korvale-train is in the window's own folder (bin/); in a build,
// in tools/ beside app/.
TEST(TrainingProgram, IsBesideAnInstalledWindowElseInItsBuildsTools)
{
    TempFolder installed;
    std::filesystem::create_directories(installed.File("bin"));
    installed.Write("bin/korvale", "");
    installed.Write("bin/korvale-train", "#!/bin/sh\n");
    EXPECT_EQ(CTraining::ProgramFor(installed.File("bin/korvale")), installed.File("bin/korvale-train"));

    TempFolder build;
    std::filesystem::create_directories(build.File("app"));
    build.Write("app/korvale", "");
    EXPECT_EQ(CTraining::ProgramFor(build.File("app/korvale")), build.File("tools/korvale-train"));
}
