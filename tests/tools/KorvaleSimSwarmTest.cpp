// korvale-sim with a scene's robots: every robot in the trace, the summary,
// the per-robot lines and the plot.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <pugixml.hpp>

#include "KorvaleSimRun.h"

using namespace KorvaleSimRun;

namespace {

constexpr const char* twoSensorRobot = R"(<neuralrobot wheelDistance="5.3" robotSpeed="8">
  <object x="50" y="50" r="3" height="4" angle="0" color="#cc3366" mass="1"/>
  <sensors>
    <irsensor x="2.856" y="0.504" height="2" orientation="10" range="10" aperture="0"/>
    <irsensor x="2.856" y="-0.504" height="2" orientation="-10" range="10" aperture="0"/>
  </sensors>
</neuralrobot>)";

class KorvaleSimSwarm : public ::testing::Test {
protected:
    Folder folder;

    // A scene in the test's folder beside copies of the example robot and network.
    std::string Scene(const std::string& inside)
    {
        folder.Write("Robot.xml", ReadFile(Example("Robot.xml")));
        folder.Write("AvoidObstacles.xml", ReadFile(Example("AvoidObstacles.xml")));
        folder.Write("Small.xml", twoSensorRobot);
        return folder.Write("Scene.xml", "<world width=\"100\" height=\"100\">\n" + inside + "</world>\n");
    }
};

} // namespace

TEST_F(KorvaleSimSwarm, TheTraceHasARowPerRobotPerFrameAndEmptyCellsForMissingSensors)
{
    const std::string scene = Scene(R"(  <robot file="Robot.xml" x="20" y="50" network="AvoidObstacles.xml"/>
  <robot file="Small.xml" x="60" y="50"/>
)");
    const std::string trace = folder.File("t.csv");
    const Result result = folder.Run({"--scene", scene, "--robot", Example("Robot.xml"), "--network",
                                      Example("AvoidObstacles.xml"), "--steps", "3", "--trace", trace, "--quiet"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Trace t = Trace::Read(trace);
    EXPECT_EQ(t.columns,
              (std::vector<std::string>{"time", "robot", "x", "y", "angle", "ir0", "ir1", "ir2", "ir3", "ir4", "ir5",
                                        "ir6", "ir7", "forward", "backward", "left", "right"}));
    ASSERT_EQ(t.rows.size(), 3u * 3u);
    for (std::size_t row = 0; row < t.rows.size(); ++row) {
        ASSERT_EQ(t.rows[row].size(), t.columns.size()) << row;
        EXPECT_EQ(t.rows[row][t.Column("robot")], std::to_string(row % 3)) << row;
    }
    // Robot 0 is the user's, from the robot file's place (50, 50), then the
    // scene's in file order; the small robot has two readings.
    EXPECT_NEAR(t.Value(0, "x"), 50, 0.5);
    EXPECT_NEAR(t.Value(1, "x"), 20, 0.5);
    EXPECT_EQ(t.Value(2, "x"), 60);
    EXPECT_NE(t.rows[2][t.Column("ir1")], "");
    EXPECT_EQ(t.rows[2][t.Column("ir2")], "");
    EXPECT_EQ(t.rows[2][t.Column("ir7")], "");
    EXPECT_EQ(t.rows[2][t.Column("forward")], "0") << "no network: it stands still";
    EXPECT_EQ(t.rows[1][t.Column("forward")], "1") << "its own copy of the avoider drives forward";
}

TEST_F(KorvaleSimSwarm, ALoneSceneRobotIsRobotZeroAndItsTraceHasNoRobotColumn)
{
    const std::string scene = Scene("  <robot file=\"Robot.xml\" x=\"30\" y=\"40\" network=\"AvoidObstacles.xml\"/>\n");
    const std::string trace = folder.File("t.csv");
    const Result result = folder.Run({"--scene", scene, "--steps", "60", "--trace", trace});
    ASSERT_EQ(result.status, 0) << result.err;
    const Trace t = Trace::Read(trace);
    EXPECT_EQ(t.columns.at(1), "x");
    ASSERT_EQ(t.rows.size(), 60u);
    EXPECT_NE(t.Value(59, "x"), 30) << "it drives";
    EXPECT_NE(result.out.find("real time), robot travelled "), std::string::npos) << result.out;
}

TEST_F(KorvaleSimSwarm, TheSummaryGivesTheSwarmAndPerRobotEachRobotsDistance)
{
    const Result result =
        folder.Run({"--scene", Example("Swarm.xml"), "--seconds", "2", "--per-robot", "--plot", folder.File("p.svg")});
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream lines(result.out);
    std::string summary;
    std::getline(lines, summary);
    const std::regex pattern(R"(simulated 2\.000 s in [0-9.]+ s wall time \([0-9.]+x real time\), 20 robots travelled )"
                             R"(([0-9.]+) units in all \(([0-9.]+) on average\); largest cluster ([0-9]+) of 20, mean )"
                             R"(distance to the centre [0-9.]+ units, to the nearest neighbour [0-9.]+ units, )"
                             R"(([0-9]+) cells visited)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(summary, match, pattern)) << summary;
    const double total = std::stod(match[1]);
    EXPECT_NEAR(std::stod(match[2]), total / 20, 0.0005);
    EXPECT_GE(std::stoi(match[3]), 1);
    EXPECT_GE(std::stoi(match[4]), 20);
    double sum = 0;
    int robot = 0;
    for (std::string line; std::getline(lines, line); ++robot) {
        const std::string prefix = "robot " + std::to_string(robot) + " travelled ";
        ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
        sum += std::stod(line.substr(prefix.size()));
    }
    EXPECT_EQ(robot, 20);
    EXPECT_NEAR(sum, total, 20 * 0.0005);

    pugi::xml_document svg;
    ASSERT_TRUE(svg.load_file(folder.File("p.svg").c_str()));
    EXPECT_EQ(svg.select_nodes("//polyline").size(), 20u) << "a path for every robot";
}

TEST_F(KorvaleSimSwarm, PerRobotIsOneFlag)
{
    const Result twice = folder.Run({"--scene", Example("Swarm.xml"), "--steps", "1", "--per-robot", "--per-robot"});
    EXPECT_EQ(twice.status, 2);
    EXPECT_EQ(twice.err, "korvale-sim: --per-robot given twice (korvale-sim --help shows the usage)\n");
}

TEST_F(KorvaleSimSwarm, ASwarmRunRepeatsToTheByteWhicheverWayPairsAreFound)
{
    const auto trace = [&](const std::string& name, const std::string& seed, const std::string& pairs) {
        const Result result = folder.Run({"--scene", Example("Swarm.xml"), "--steps", "120", "--seed", seed, "--pairs",
                                          pairs, "--trace", folder.File(name), "--quiet"});
        EXPECT_EQ(result.status, 0) << result.err;
        return ReadFile(folder.File(name));
    };
    const std::string first = trace("a.csv", "9", "auto");
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 1 + 120 * 20);
    EXPECT_EQ(trace("b.csv", "9", "auto"), first);
    EXPECT_EQ(trace("c.csv", "9", "all"), first);
    EXPECT_EQ(trace("d.csv", "9", "broad"), first);
    EXPECT_NE(trace("e.csv", "10", "auto"), first) << "another seed, other noise for every robot";
}
