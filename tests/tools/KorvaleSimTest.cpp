#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <tuple>
#include <pugixml.hpp>

#include "KorvaleSimRun.h"


using namespace KorvaleSimRun;

namespace {

constexpr const char* robotWithBadCamera = R"(<neuralrobot wheelDistance="2" robotSpeed="4">
  <object x="20" y="30" r="1.5" mass="1"/>
  <sensors><camera x="0" y="0" height="1" orientation="0" fieldOfView="30"/></sensors>
</neuralrobot>)";

constexpr const char* networkSevenInputs = R"(<network inputDimensions="7" outputDimensions="4" numLayers="1">
  <layers><layer index="1" dimensions="4" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="4" n="7">
    0 0 0 0 0 0 0  0 0 0 0 0 0 0  0 0 0 0 0 0 0  0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="4">5 -5 -5 -5</vector></bias></biases>
</network>)";

std::string Shortest(double value)
{
    char buffer[32];
    return {buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr};
}

class KorvaleSim : public ::testing::Test {
protected:
    Folder folder;
};

// ---- usage errors: status 2 and one line of hint

TEST_F(KorvaleSim, UsageErrorsExitWithTwoAndOneLineOfHint)
{
    const std::vector<std::vector<std::string>> commandLines = {
        {},
        {"--scene", Example("Default.xml")},
        {"--scene", Example("Default.xml"), "--seconds", "1", "--steps", "10"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--fast"},
        {"--scene", Example("Default.xml"), "--steps", "-1"},
        {"--scene", Example("Default.xml"), "--seconds", "abc"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--dt", "0"},
        {"--scene", Example("Default.xml"), "--steps", "600", "--dt", "1e308"},
        {"--scene", Example("Default.xml"), "--seconds", "10", "--dt", "1e308"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--dt", "1.0001"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--dt", "0.0009"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--control", "joystick", "--robot", "r.xml"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--trace", "t.csv"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--scene", Example("Rooms.xml")},
        {"--scene"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--seed", "1.5"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--seed", "18446744073709551616"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--seed", "-9223372036854775809"},
        {"--scene", Example("Default.xml"), "--steps", "10", "--pairs", "fast"},
    };
    for (const auto& arguments : commandLines) {
        const Result result = folder.Run(arguments);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_EQ(result.err.rfind("korvale-sim: ", 0), 0u) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(KorvaleSim, BadKeyScriptIsAUsageErrorNamingTheLine)
{
    const std::string keys = folder.Write("keys.txt", "0 Up down\n1.5 Space down\n");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--keys",
                                      keys, "--steps", "10"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(keys + ":2:"), std::string::npos) << result.err;
}

TEST_F(KorvaleSim, HelpPrintsTheUsage)
{
    const Result result = folder.Run({"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("usage: korvale-sim --scene FILE", 0), 0u);
}

// ---- command errors: status 1 and the status line's text

TEST_F(KorvaleSim, MissingSceneShowsTheOpenError)
{
    const Result result = folder.Run({"--scene", folder.File("missing.xml"), "--steps", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Error in CFenIOStruct: cannot open the file\n"
              "Scene file '"
                  + folder.File("missing.xml") + "': no such file\n");
    EXPECT_EQ(result.out, "");
}

TEST_F(KorvaleSim, BadRobotShowsEveryLineInnermostFirst)
{
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot",
                                      folder.Write("robot.xml", robotWithBadCamera), "--steps", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Error in CFenCircularCamReader: incomplete definition of camera\n"
              "Error in CFenNeuralRobotIO: unable to read camera\n"
              "Error in CFenNeuralRobotIO: unable to read sensors\n"
              "Robot file '"
                  + folder.File("robot.xml")
                  + "': the camera lacks a part it needs (a required attribute or element)\n");
}

TEST_F(KorvaleSim, EveryFailedLoadEndsWithTheLineThatNamesItsFileAsGiven)
{
    // Run in the test's folder, so that the names stay as typed.
    folder.Write("Robot.xml", robotWithBadCamera);
    std::filesystem::create_directory(folder.File("robots"));
    folder.Write("net.xml", "<network inputDimensions=\"8\">\n\n  <layers>\n    <layer");
    struct Case {
        std::vector<std::string> files;
        std::string last;
    };
    const std::string scene = Example("Default.xml");
    const Case cases[] = {
        {{"--scene", "Nope.xml", "--robot", "Robot.xml", "--network", "net.xml"},
         "Scene file 'Nope.xml': no such file"},
        {{"--scene", scene, "--robot", "robots/", "--network", "net.xml"}, "Robot file 'robots/': is a folder"},
        {{"--scene", scene, "--robot", Example("Robot.xml"), "--network", "net.xml"},
         "Network file 'net.xml': not well-formed XML at line 4, column 10 (unexpected end of data)"},
        {{"--scene", "Robot.xml"},
         "Scene file 'Robot.xml': this is a robot file (root element \"neuralrobot\"), not a scene"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.files;
        arguments.insert(arguments.end(), {"--steps", "1"});
        const Result result = folder.Run(arguments, "cd " + Quote(folder.File("")) + " && ");
        EXPECT_EQ(result.status, 1) << c.last;
        // The message chain stays as it was; the file's line comes last.
        const std::size_t last = result.err.rfind('\n', result.err.size() - 2);
        ASSERT_NE(last, std::string::npos) << result.err;
        EXPECT_EQ(result.err.substr(last + 1), c.last + "\n");
        EXPECT_EQ(result.err.rfind("Error in C", 0), 0u) << result.err;
    }
}

TEST_F(KorvaleSim, NetworkThatDoesNotFitTheRobotSaysWhyOnce)
{
    const std::string net = folder.Write("Seven.xml", networkSevenInputs);
    const std::string why = "Network file '" + net + "' takes 7 inputs, but the robot has 8 infrared sensors\n";
    const Result result = folder.Run(
        {"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--network", net, "--steps", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Inconsistent neural network\n" + why);
    // With the keyboard driving the run goes on, and the line says what the
    // network could not do.
    const Result keyboard = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--network",
                                        net, "--control", "keyboard", "--steps", "1", "--quiet"});
    EXPECT_EQ(keyboard.status, 0);
    EXPECT_EQ(keyboard.err, why);
}

TEST_F(KorvaleSim, ANetworkTheControlCannotReadWarnsOnceAndTheRunGoesOn)
{
    folder.Write("three.xml", R"(<network inputDimensions="8" outputDimensions="3" numLayers="1">
  <layers><layer index="1" dimensions="3" transferFcn="logsig"/></layers>
  <weights><inputlayer to="1"><matrix m="3" n="8">
    0 0 0 0 0 0 0 0  0 0 0 0 0 0 0 0  0 0 0 0 0 0 0 0</matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="3">5 -5 -5</vector></bias></biases>
</network>)");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--network",
                                      folder.File("three.xml"), "--steps", "60", "--quiet"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "Warning: network file '" + folder.File("three.xml")
                  + "' has 3 outputs, not 4 (forward, backward, left, right): it never changes the "
                    "robot's commands, so a robot at rest stays at rest\n");
}

TEST_F(KorvaleSim, NetworkControlWithoutNetwork)
{
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--control",
                                      "network", "--steps", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Inconsistent neural network\n");
}

TEST_F(KorvaleSim, LogWithoutRobot)
{
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--log", folder.File("run.log"), "--steps", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Error in CKorvaleScene: robot is not loaded\n"
              "Log file '"
                  + folder.File("run.log") + "': there is no robot to record\n");
}

TEST_F(KorvaleSim, LogOverAnExistingFileShowsOneFaultALine)
{
    const std::string log = folder.Write("run.log", "keep\n");
    for (const std::string& existing : {log, std::string("/dev/full")}) {
        const Result result = folder.Run(
            {"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--log", existing, "--steps", "1"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err,
                  "Error in CLog: log file already exists\n"
                  "Error in CLog: log file is not created yet\n"
                  "Error in CKorvaleScene: unable to start log\n"
                  "Log file '"
                      + existing + "': already exists\n");
    }
    EXPECT_EQ(ReadFile(log), "keep\n");
}

TEST_F(KorvaleSim, LogThatReachesTheFileSizeLimitEndsTheRunWithItsMessage)
{
    // 2048 bytes hold about 23 records of this robot; ten seconds would make
    // 99. The limit is the shell's, so the program gets the signal such a
    // write raises as any user's program would.
    const std::string log = folder.File("run.log");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--network",
                                      Example("AvoidObstacles.xml"), "--log", log, "--seconds", "10"},
                                     "ulimit -f 4;");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "Error in CLog: unable to write log file\n"
              "Log file '"
                  + log + "': could not be written (file too large); it keeps every complete record\n");
    const std::string text = ReadFile(log);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "only whole records stay";
    std::istringstream lines(text);
    std::size_t records = 0;
    for (std::string line; std::getline(lines, line); ++records)
        EXPECT_EQ(std::count(line.begin(), line.end(), ' '), 8 + 4) << "record " << records << ": " << line;
    EXPECT_GT(records, 10u);
    EXPECT_LT(records, 99u);
    // The run stopped there: the summary tells how far it got.
    EXPECT_EQ(result.out.rfind("simulated ", 0), 0u) << result.out;
    EXPECT_EQ(result.out.find("simulated 10.000 s"), std::string::npos) << result.out;
}

TEST_F(KorvaleSim, TraceThatCannotBeWritten)
{
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--trace",
                                      folder.File("no/such/folder/t.csv"), "--steps", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot write the trace"), std::string::npos);
}

// ---- runs

TEST_F(KorvaleSim, TraceHasOneRowPerFrameWithTheEndTimeOfTheFrame)
{
    const std::string trace = folder.File("t.csv");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--steps",
                                      "12", "--trace", trace, "--quiet"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const Trace t = Trace::Read(trace);
    EXPECT_EQ(t.columns, (std::vector<std::string>{"time", "x", "y", "angle", "ir0", "ir1", "ir2", "ir3", "ir4", "ir5",
                                                   "ir6", "ir7", "forward", "backward", "left", "right"}));
    ASSERT_EQ(t.rows.size(), 12u);
    for (std::size_t i = 0; i < t.rows.size(); ++i) {
        EXPECT_EQ(t.rows[i][0], Shortest(static_cast<double>(i + 1) * (1.0 / 60.0)));
        EXPECT_EQ(t.rows[i].size(), t.columns.size());
    }
    // The keyboard drives and nothing is pressed: the robot stays at the start.
    EXPECT_EQ(t.Value(11, "x"), 20);
    EXPECT_EQ(t.Value(11, "y"), 20);
}

TEST_F(KorvaleSim, SeedsRepeatARunAndChangeItWhileNoSeedKeepsTheRunOfOld)
{
    const auto run = [this](const std::vector<std::string>& seed) {
        std::vector<std::string> arguments = {"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"),
                                              "--network", Example("DriveForward.xml"), "--steps", "30", "--trace",
                                              folder.File("t.csv"), "--quiet"};
        arguments.insert(arguments.end(), seed.begin(), seed.end());
        const Result result = folder.Run(arguments);
        EXPECT_EQ(result.status, 0) << result.err;
        return ReadFile(folder.File("t.csv"));
    };
    // Without a seed the generator starts where it always has: this second
    // row was written by the runner before seeds existed.
    const std::string unseeded = run({});
    EXPECT_NE(unseeded.find("\n0.03333333333333333,20.270603615062235,19.999956778587144,0.0003107515893954557,"
                            "0,0,0,0,0,0,0,0,1,0,0,0\n"),
              std::string::npos)
        << unseeded.substr(0, 300);

    const std::string seven = run({"--seed", "7"});
    EXPECT_EQ(run({"--seed=7"}), seven);
    EXPECT_NE(seven, unseeded);
    EXPECT_NE(run({"--seed", "8"}), seven);
    EXPECT_NE(run({"--seed", "0"}), unseeded);
    // A negative seed counts modulo 2^64.
    EXPECT_EQ(run({"--seed", "-1"}), run({"--seed", "18446744073709551615"}));
}

TEST_F(KorvaleSim, EveryWayOfFindingPairsGivesTheSameRunInACrowdedArena)
{
    // The robot drives through the 1000-body maze, pushing bodies into each
    // other and the walls; the all-pairs loop and the broad phase agree on
    // every byte of the trace and the log.
    const auto run = [this](const std::string& pairs, const std::string& network, const std::string& steps,
                            const std::string& dt) {
        const std::string name = pairs + "-" + network;
        const Result result =
            folder.Run({"--scene", Example("Crowded1000.xml"), "--robot", Example("Robot.xml"), "--network",
                        Example(network), "--steps", steps, "--dt", dt, "--pairs", pairs, "--trace",
                        folder.File(name + ".csv"), "--log", folder.File(name + ".log"), "--quiet"});
        EXPECT_EQ(result.status, 0) << result.err;
        return ReadFile(folder.File(name + ".csv")) + ReadFile(folder.File(name + ".log"));
    };
    for (const auto& [network, steps, dt] :
         {std::tuple{"AvoidObstacles.xml", "400", "0.0166667"}, std::tuple{"DriveForward.xml", "300", "0.05"}}) {
        const std::string all = run("all", network, steps, dt);
        ASSERT_GT(all.size(), 1000u) << network;
        EXPECT_EQ(run("broad", network, steps, dt), all) << network;
        EXPECT_EQ(run("auto", network, steps, dt), all) << network;
    }
}

TEST_F(KorvaleSim, FrameTimesAtBothEndsOfTheWorldsStepsAreTakenAsGiven)
{
    for (const char* dt : {"1", "0.001"}) {
        const std::string trace = folder.File(std::string("run") + dt + ".csv");
        const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--dt",
                                          dt, "--steps", "3", "--trace", trace});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Trace::Read(trace).Value(2, "time"), 3 * std::stod(dt)) << dt;
    }
}

TEST_F(KorvaleSim, ARobotAtTopSpeedStaysInsideTheWallsAtTheStepSizesTheReadmeGives)
{
    // Forward with both turns drives both wheels at twice robotSpeed, up to
    // 5 % more with the noise: 2.1 x 8 units a second for Robot.xml (r 3),
    // straight into the wall of an empty arena, again and again.
    const std::string scene = folder.Write("empty.xml", R"(<world width="100" height="100" startX="50" startY="50"/>)");
    const std::string keys = folder.Write("keys.txt", "0 Up down\n0 Left down\n0 Right down\n");
    const auto framesOutside = [&](const char* dt) {
        const std::string trace = folder.File(std::string("run") + dt + ".csv");
        const Result result = folder.Run({"--scene", scene, "--robot", Example("Robot.xml"), "--keys", keys, "--dt", dt,
                                          "--steps", "2000", "--trace", trace, "--quiet"});
        EXPECT_EQ(result.status, 0) << result.err;
        const Trace t = Trace::Read(trace);
        EXPECT_EQ(t.rows.size(), 2000u);
        int outside = 0;
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const double x = t.Value(i, "x"), y = t.Value(i, "y");
            outside += !(x >= 0 && x <= 100 && y >= 0 && y <= 100);
        }
        return outside;
    };
    // Below r / (2.1 x robotSpeed) = 0.1786 s the centre never leaves.
    EXPECT_EQ(framesOutside("0.178"), 0);
    // Beyond it, a frame can end with the centre past the wall.
    EXPECT_GT(framesOutside("0.25"), 0);
}

TEST_F(KorvaleSim, SecondsAreRoundedToWholeFrames)
{
    const std::string trace = folder.File("t.csv");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--seconds",
                                      "1", "--dt", "0.3", "--trace", trace});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Trace::Read(trace).rows.size(), 3u);
}

TEST_F(KorvaleSim, KeysTakeEffectAtTheFirstFrameStartingAtOrAfterTheirTime)
{
    const std::string keys = folder.Write("keys.txt", "# drive half a second\n0 Up down\n\n0.51 Up up\n");
    const std::string trace = folder.File("t.csv");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--keys",
                                      keys, "--steps", "60", "--trace", trace});
    ASSERT_EQ(result.status, 0) << result.err;
    const Trace t = Trace::Read(trace);
    ASSERT_EQ(t.rows.size(), 60u);
    // Frame 30 starts at 0.5 s, frame 31 at about 0.517 s.
    for (std::size_t i = 0; i < 60; ++i)
        EXPECT_EQ(t.Value(i, "forward"), i <= 30 ? 1 : 0) << "frame " << i;
    const double travelled = t.Value(30, "x") - 20;
    EXPECT_NEAR(travelled, 8.0 * 31 / 60, 8.0 * 31 / 60 * 0.05); // robotSpeed 8, wheel noise 5 %
    EXPECT_EQ(t.Value(59, "x"), t.Value(31, "x"));
}

TEST_F(KorvaleSim, LogRecordsEveryTenthOfASecond)
{
    const std::string log = folder.File("run.log");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--log", log,
                                      "--dt", "0.0625", "--steps", "8"});
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream lines(ReadFile(log));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        std::istringstream fields(line);
        EXPECT_EQ(std::distance(std::istream_iterator<std::string>(fields), std::istream_iterator<std::string>()),
                  8 + 4);
    }
    EXPECT_EQ(count, 4);
}

TEST_F(KorvaleSim, PlotShowsArenaBodiesAndPath)
{
    const std::string plot = folder.File("run.svg");
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--network",
                                      Example("DriveForward.xml"), "--steps", "30", "--plot", plot});
    ASSERT_EQ(result.status, 0) << result.err;
    pugi::xml_document svg;
    ASSERT_TRUE(svg.load_file(plot.c_str()));
    const pugi::xml_node root = svg.child("svg");
    ASSERT_TRUE(root);
    int bodies = 0, paths = 0;
    for (const pugi::xpath_node node : root.select_nodes("//circle[@fill!='none'] | //polygon"))
        bodies += node.node() ? 1 : 0;
    for (const pugi::xpath_node node : root.select_nodes("//polyline"))
        paths += node.node() ? 1 : 0;
    EXPECT_EQ(bodies, 6 + 1); // the scene's six bodies and the robot
    EXPECT_EQ(paths, 1);
}

TEST_F(KorvaleSim, SummaryLineUnlessQuiet)
{
    const Result result = folder.Run({"--scene", Example("Default.xml"), "--robot", Example("Robot.xml"), "--network",
                                      Example("DriveForward.xml"), "--seconds", "1"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("simulated 1.000 s in ", 0), 0u) << result.out;
    EXPECT_NE(result.out.find("real time), robot travelled "), std::string::npos) << result.out;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1);
    EXPECT_EQ(result.err, "") << "no progress bar when standard error is not a terminal";
}

} // namespace
