// A simulation of a swarm: every robot's run measures and the swarm's.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/NeuralRobot.h"
#include "engine/RunMetrics.h"
#include "engine/World.h"
#include "run/SimulationCore.h"
#include "RunTestFiles.h"
#include "tests/support/TempFolder.h"

using namespace Korvale::Run;
using RunTestFiles::Example;

namespace {

// A scene in `folder` with a copy of the example robot beside it.
SimulationOptions SceneWithRobots(const TestSupport::TempFolder& folder, const std::string& inside)
{
    folder.Write("Robot.xml", ModelFile::Read(Example("Robot.xml")).text.value());
    SimulationOptions options;
    options.scene = ModelFile::Named(
        folder.Write("Robots.xml", "<world width=\"100\" height=\"100\">\n" + inside + "</world>\n"));
    options.seed = 5;
    return options;
}

SimulationOptions SwarmExample()
{
    SimulationOptions options;
    options.scene = ModelFile::Read(Example("Swarm.xml")); // as the module reads it: text, from its folder
    options.seed = 3;
    return options;
}

} // namespace

TEST(SwarmSimulation, EveryRobotsContactTestAgreesWithTheLoneRobotsTest)
{
    SimulationCore simulation(SwarmExample());
    const std::size_t n = simulation.SwarmSize();
    ASSERT_EQ(n, 20u);
    std::vector<Fen::Point> before(n);
    std::int64_t contacts = 0;
    for (int frame = 0; frame < 600; ++frame) {
        for (std::size_t i = 0; i < n; ++i)
            before[i] = simulation.SwarmRobot(i)->pos;
        simulation.Frame();
        Fen::World& world = simulation.World();
        for (std::size_t i = 0; i < n; ++i) {
            const Fen::NeuralRobot& robot = *simulation.SwarmRobot(i);
            // Every body of the world visited, as the shared grid must not miss one.
            Fen::PhysicalObject copy;
            Fen::RunMetrics::copyShape(robot, copy);
            const bool touching = Fen::RunMetrics::touchesWall(world, copy)
                || Fen::RunMetrics::bodyTouched(world, robot, &robot) != nullptr;
            const Fen::RunMetrics::Frame& last = simulation.RobotMetrics(i).lastFrame();
            ASSERT_EQ(last.contact, touching) << "robot " << i << " frame " << frame;
            ASSERT_EQ(last.distance, (robot.pos - before[i]).norm()) << "robot " << i << " frame " << frame;
            contacts += touching ? 1 : 0;
        }
    }
    EXPECT_GT(contacts, 0) << "a crowded arena where robots meet bodies, walls and each other";
    EXPECT_EQ(simulation.RobotMetrics(7).frames(), 600);
    EXPECT_THROW(simulation.RobotMetrics(n), std::out_of_range);
}

TEST(SwarmSimulation, TheSwarmMeasuresOfRobotsStandingWhereTheFileSays)
{
    // Robot.xml has radius 3: the first two have a gap of 5 < 6 between them.
    const TestSupport::TempFolder folder;
    SimulationCore simulation(SceneWithRobots(folder, R"(  <robot file="Robot.xml" x="20" y="50" angle="0"/>
  <robot file="Robot.xml" x="31" y="50" angle="0"/>
  <robot file="Robot.xml" x="80" y="50" angle="90"/>
)"));
    simulation.Step(30); // no network: they stand still
    const SwarmState swarm = simulation.GetSwarmState();
    EXPECT_EQ(swarm.robots, 3);
    EXPECT_DOUBLE_EQ(swarm.largestCluster, 2.0 / 3);
    EXPECT_DOUBLE_EQ(swarm.centreDistance, 218.0 / 9); // the centre at x = 131 / 3
    EXPECT_DOUBLE_EQ(swarm.nearestNeighbour, (11 + 11 + 49) / 3.0);
    EXPECT_EQ(swarm.cellsVisited, 3); // cells 6 wide: (3, 8), (5, 8), (13, 8)
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(simulation.RobotMetrics(i).distance(), 0) << i;
        EXPECT_EQ(simulation.RobotMetrics(i).coverage(), 1) << i;
    }
}

TEST(SwarmSimulation, AStateCarriesEveryRobotsMeasures)
{
    SimulationCore simulation(SwarmExample());
    simulation.Step(200);
    const std::string state = simulation.GetState();
    simulation.Step(200);
    const double distance = simulation.RobotMetrics(13).distance();
    const std::int64_t cells = simulation.GetSwarmState().cellsVisited;

    SimulationCore other(SwarmExample());
    other.SetState(state);
    EXPECT_EQ(other.RobotMetrics(13).frames(), 200);
    other.Step(200);
    EXPECT_EQ(other.RobotMetrics(13).distance(), distance);
    EXPECT_EQ(other.GetSwarmState().cellsVisited, cells);
    EXPECT_GT(cells, 20);
}

TEST(SwarmSimulation, AUsersRobotIsRobotZeroAndTheScenesRobotsFollow)
{
    const TestSupport::TempFolder folder;
    SimulationOptions options = SceneWithRobots(folder, "  <robot file=\"Robot.xml\" x=\"95\" y=\"95\"/>\n");
    options.robot = ModelFile::Read(Example("Robot.xml"));
    options.network = ModelFile::Read(Example("DriveForward.xml"));
    SimulationCore simulation(options);
    ASSERT_EQ(simulation.SwarmSize(), 2u);
    EXPECT_EQ(simulation.SwarmRobot(0), simulation.Robot());
    EXPECT_EQ(&simulation.RobotMetrics(0), &simulation.LiveMetrics());
    simulation.Step(100);
    EXPECT_GT(simulation.RobotMetrics(0).distance(), 10);
    EXPECT_EQ(simulation.RobotMetrics(1).distance(), 0) << "no network: it stands still";
    EXPECT_EQ(simulation.SwarmRobot(1)->pos, (Fen::Point{95, 95}));
}
