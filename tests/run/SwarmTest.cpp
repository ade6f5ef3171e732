// The swarm in the run layer: every robot read, driven, given networks and
// placed by its number, and carried whole by snapshots.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/CKorvaleScene.h"
#include "base/StateArchive.h"
#include "control/CFeedForward.h"
#include "engine/NeuralRobot.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "run/CommandError.h"
#include "run/NetworkParts.h"
#include "run/Simulation.h"
#include "run/SimulationCore.h"
#include "RunTestFiles.h"

using namespace Korvale::Run;
using RunTestFiles::Example;

namespace {

using Keys = std::array<bool, 4>;
constexpr Keys none{}, forward{true, false, false, false};

// The user's robot (keyboard, no network) at the scene's start, then three
// scene robots well apart: one with a network, one without, one more with;
// a body in a corner.
SimulationOptions Three()
{
    SimulationOptions options;
    options.scene = ModelFile::Text(R"(<world width="100" height="100" startX="50" startY="80">
  <object x="80" y="80" r="5" mass="1"/>
  <robot file="Robot.xml" x="20" y="50" angle="0" network="AvoidObstacles.xml"/>
  <robot file="Robot.xml" x="50" y="50" angle="90"/>
  <robot file="Robot.xml" x="80" y="20" angle="180" network="AvoidObstacles.xml"/>
</world>
)",
                                    Example("Three.xml"));
    options.robot = ModelFile::Read(Example("Robot.xml"));
    options.seed = 3;
    return options;
}

SimulationOptions Swarm(bool usersRobot = true)
{
    SimulationOptions options;
    options.scene = ModelFile::Read(Example("Swarm.xml"));
    if (usersRobot) {
        options.robot = ModelFile::Read(Example("Robot.xml"));
        options.network = ModelFile::Read(Example("AvoidObstacles.xml"));
    }
    options.seed = 5;
    return options;
}

// Every robot's x, y and angle, one after the other.
std::vector<double> Poses(const SimulationCore& simulation)
{
    std::vector<double> flat;
    for (const auto& pose : simulation.SwarmPoses())
        flat.insert(flat.end(), pose.begin(), pose.end());
    return flat;
}

void ExpectSameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0);
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Data(const std::string& name) { return std::string(KORVALE_SOURCE_DIR) + "/tests/run/data/" + name; }

// A swarm run that changes its robots' controls as it goes: keys for a
// scene robot, the keyboard for another, a network swapped in.
void Drive(SimulationCore& simulation, std::int64_t frame)
{
    if (frame == 40) {
        simulation.DriveSwarmRobot(3, Control::Keyboard);
        simulation.HoldSwarmKeys(3, {false, false, true, false});
    }
    if (frame == 70)
        simulation.HoldSwarmKeys(5, forward); // takes over from its network
    if (frame == 150)
        simulation.HoldSwarmKeys(5, none);
}

std::string StateAfter(SimulationCore& simulation, std::int64_t from, std::int64_t to)
{
    for (std::int64_t frame = from; frame < to; ++frame) {
        Drive(simulation, frame);
        simulation.Frame();
    }
    return simulation.GetState();
}

} // namespace

TEST(SwarmArrays, TheUsersRobotComesFirstThenTheScenesInFileOrder)
{
    SimulationCore simulation(Swarm());
    simulation.Step(30);
    ASSERT_EQ(simulation.SwarmSize(), 21u);
    const auto poses = simulation.SwarmPoses();
    EXPECT_EQ(poses[0], simulation.Pose());
    EXPECT_EQ(simulation.SwarmInfrared()[0], simulation.Infrared());
    EXPECT_EQ(simulation.SwarmCommands()[0], simulation.Commands());
    EXPECT_EQ(simulation.SwarmCameras()[0], simulation.Cameras());
    const Tarn::IFenWorld& world = *simulation.Scene().GetWorld();
    for (unsigned i = 0; i < 20; ++i) {
        const Fen::NeuralRobot& robot = world.GetSceneRobot(i).GetPhysicalObject();
        EXPECT_EQ(poses[i + 1], (std::array<double, 3>{robot.pos.x, robot.pos.y, robot.angle})) << i;
        EXPECT_EQ(simulation.SwarmInfrared()[i + 1].size(), robot.irSensors.size());
    }
    EXPECT_THROW(simulation.SwarmControl(21), std::out_of_range);

    // Without the user's robot the scene's come first, and the single-robot
    // readings read robot 0, the scene's first.
    SimulationCore scenesOnly(Swarm(false));
    ASSERT_EQ(scenesOnly.SwarmSize(), 20u);
    EXPECT_EQ(scenesOnly.Robot(), nullptr);
    EXPECT_EQ(scenesOnly.Pose(), scenesOnly.SwarmPoses()[0]);
    EXPECT_EQ(scenesOnly.Infrared(), scenesOnly.SwarmInfrared()[0]);
    EXPECT_EQ(scenesOnly.InfraredCount(), 8u);
    const auto loaded = SimulationCore(Swarm()).SwarmPoses();
    const std::vector<std::array<double, 3>> scenes(loaded.begin() + 1, loaded.end());
    EXPECT_EQ(scenesOnly.SwarmPoses(), scenes);
}

TEST(SwarmControls, KeysDriveOrTakeOverAnyRobotAndOneWithoutNetworkStandsStill)
{
    SimulationCore simulation(Three());
    const auto start = simulation.SwarmPoses();
    simulation.Step(30);
    auto poses = simulation.SwarmPoses();
    EXPECT_NE(poses[1], start[1]) << "the network drives robot 1";
    EXPECT_EQ(poses[2], start[2]) << "robot 2 has no network";
    EXPECT_EQ(simulation.SwarmCommands()[2], none);
    EXPECT_EQ(simulation.SwarmControl(2), Control::Network);
    EXPECT_EQ(simulation.SwarmNetwork(2), nullptr);

    // Keys held for robot 2 take over from its (empty) network; no other robot sees them.
    simulation.HoldSwarmKeys(2, forward);
    simulation.Step(30);
    EXPECT_EQ(simulation.SwarmCommands()[2], forward);
    EXPECT_GT(simulation.SwarmPoses()[2][1], start[2][1] + 1) << "robot 2 heads along y";
    EXPECT_EQ(simulation.SwarmPoses()[0], start[0]) << "the user's robot holds no keys";
    EXPECT_EQ(simulation.SwarmKeys(), (std::vector<Keys>{none, none, forward, none}));

    // The keyboard alone: robot 1 stands while no key is held for it.
    simulation.DriveSwarmRobot(1, Control::Keyboard);
    EXPECT_EQ(simulation.SwarmControl(1), Control::Keyboard);
    simulation.Step(1);
    EXPECT_EQ(simulation.SwarmCommands()[1], none);
    poses = simulation.SwarmPoses();
    simulation.Step(10);
    EXPECT_EQ(simulation.SwarmPoses()[1], poses[1]);
    simulation.DriveSwarmRobot(1, Control::Network);
    simulation.Step(10);
    EXPECT_NE(simulation.SwarmPoses()[1], poses[1]);

    // The user's robot's keys are the keyboard's.
    simulation.HoldSwarmKeys(0, forward);
    simulation.Step(1);
    EXPECT_EQ(simulation.Commands(), forward);
    EXPECT_EQ(simulation.SwarmKeys()[0], forward);
}

TEST(SwarmControls, NetworksForOneOrManyAreCheckedAgainstEveryRobotFirst)
{
    SimulationCore simulation(Three());
    const SharedNetwork avoider = LoadNetworkFile(Example("AvoidObstacles.xml"));
    simulation.SetSwarmNetwork({0, 2}, avoider);
    ASSERT_NE(simulation.SwarmNetwork(2), nullptr);
    EXPECT_EQ(simulation.SwarmNetwork(2)->weights[0].rows, avoider->weights[0].rows);
    EXPECT_NE(simulation.GetNetwork(), nullptr) << "robot 0's network is the user's network control's";
    const auto start = simulation.SwarmPoses();
    simulation.Step(20);
    EXPECT_NE(simulation.SwarmPoses()[2], start[2]) << "robot 2 drives with its new network";

    NetworkParts parts = PartsOf(*avoider);
    parts.weights[0].columns = 7;
    parts.weights[0].values.resize(static_cast<std::size_t>(parts.weights[0].rows * 7));
    for (auto* normal : {&parts.mean, &parts.std})
        if (*normal)
            (*normal)->resize(7);
    const SharedNetwork seven = BuildNetwork(parts);
    SimulationCore fresh(Three());
    try {
        fresh.SetSwarmNetwork({2, 1}, seven);
        FAIL() << "a network of 7 inputs was taken";
    } catch (const std::invalid_argument& misfit) {
        EXPECT_STREQ(misfit.what(), "robot 2: the network takes 7 inputs, but the robot has 8 infrared sensors");
    }
    EXPECT_EQ(fresh.SwarmNetwork(2), nullptr);
    EXPECT_EQ(fresh.SwarmNetwork(1)->weights[0].n, 8);
}

TEST(SwarmPlacement, AllAtOnceOrNoneWithTheWallsBodiesAndOtherRobotsJudged)
{
    SimulationCore simulation(Three());
    simulation.Step(10);
    const auto before = simulation.SwarmPoses();
    const std::string state = simulation.GetState();
    const auto refusal = [&](const std::vector<std::size_t>& robots,
                             const std::vector<std::array<double, 3>>& poses) -> std::string {
        try {
            simulation.PlaceSwarmRobots(robots, poses);
        } catch (const std::invalid_argument& fault) {
            EXPECT_EQ(simulation.GetState(), state) << "a refused placement changes nothing";
            return fault.what();
        }
        return "placed";
    };
    EXPECT_EQ(refusal({1}, {{1, 50, 0}}), "robot 1 at (1, 50) does not lie inside the walls");
    EXPECT_EQ(refusal({1, 3}, {{30, 30, 0}, {50, 80, 0}}), "robot 3 at (50, 80) touches robot 0 at (50, 80)");
    EXPECT_EQ(refusal({3}, {{80, 80, 0}}), "robot 3 at (80, 80) touches the object at (80, 80)");
    EXPECT_EQ(refusal({1, 2}, {{40, 40, 0}, {41, 40, 0}}), "robot 1 at (40, 40) touches robot 2 at (41, 40)");
    EXPECT_EQ(refusal({2, 2}, {{40, 40, 0}, {60, 40, 0}}), "robot 2 is placed twice");
    EXPECT_EQ(refusal({1}, {{NAN, 40, 0}}), "robot 1's pose must be finite numbers");

    // Two robots trade places: each judged where the other will stand.
    simulation.PlaceSwarmRobots({1, 2}, {before[2], before[1]});
    const auto after = simulation.SwarmPoses();
    EXPECT_EQ(after[1], before[2]);
    EXPECT_EQ(after[2], before[1]);
    const Fen::NeuralRobot& moved = simulation.Scene().GetWorld()->GetSceneRobot(0).GetPhysicalObject();
    EXPECT_EQ(moved.speed.x, 0.0);
    EXPECT_EQ(moved.angSpeed, 0.0);
}

TEST(SwarmSnapshot, ARestoredSwarmContinuesBitForBitWithEveryRobotsControl)
{
    constexpr std::int64_t at = 100, end = 200;
    SimulationCore original(Swarm());
    const std::string middle = StateAfter(original, 0, at);
    const std::string whole = StateAfter(original, at, end);

    SimulationOptions other = Swarm();
    other.seed = 77;
    SimulationCore restored(other);
    restored.SetState(middle);
    EXPECT_EQ(restored.SwarmControl(3), Control::Keyboard);
    EXPECT_EQ(restored.SwarmKeys()[3], (Keys{false, false, true, false}));
    EXPECT_EQ(restored.SwarmKeys()[5], forward);
    EXPECT_EQ(StateAfter(restored, at, end), whole);
    ExpectSameBits(Poses(restored), Poses(original));

    // A state without a robot's keys resets them in a simulation that holds some.
    SimulationCore fresh(Swarm());
    const std::string start = fresh.GetState();
    fresh.HoldSwarmKeys(4, forward);
    fresh.SetState(start);
    EXPECT_EQ(fresh.SwarmKeys()[4], none);
}

TEST(SwarmSnapshot, RunsOnSeveralThreadsAreTheRunAlone)
{
    SimulationCore alone(Swarm());
    const std::string expected = StateAfter(alone, 0, 120);
    std::vector<std::string> states(3);
    std::vector<std::thread> threads;
    for (std::string& state : states)
        threads.emplace_back([&state] {
            SimulationCore simulation(Swarm());
            state = StateAfter(simulation, 0, 120);
        });
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& state : states)
        EXPECT_EQ(state, expected);
}

TEST(SwarmSnapshot, StatesSavedBeforeTheSwarmsControlsWereCarriedStillLoad)
{
    // A simulation of one robot saves the very bytes it saved then.
    SimulationOptions crowded = RunTestFiles::Avoider("Crowded.xml");
    crowded.seed = 3;
    SimulationCore one(crowded);
    one.Step(90);
    const std::string saved = FileBytes(Data("avoider-crowded-90-frames.state"));
    EXPECT_EQ(one.GetState(), saved);
    SimulationCore loaded(RunTestFiles::Avoider("Crowded.xml"));
    loaded.SetState(saved);
    EXPECT_EQ(loaded.GetState(), saved);

    // A swarm saved then, without its robots' controls, loads and runs on as
    // the swarm that saved it.
    SimulationOptions swarm = Swarm();
    swarm.seed = 3;
    SimulationCore running(swarm);
    running.Step(90);
    SimulationCore old(Swarm());
    old.SetState(FileBytes(Data("swarm-90-frames-first-format.state")));
    running.Step(60);
    old.Step(60);
    ExpectSameBits(Poses(old), Poses(running));
}

TEST(SwarmContents, AScenesRobotFilesTravelWithItsText)
{
    SimulationCore original(Swarm());
    const SimulationContents contents = original.GetContents();
    ASSERT_EQ(contents.sceneFiles.size(), 2u);
    EXPECT_EQ(contents.sceneFiles.at("Robot.xml"), *ModelFile::Read(Example("Robot.xml")).text);
    EXPECT_EQ(contents.sceneFiles.count("AvoidObstacles.xml"), 1u);
    ASSERT_EQ(contents.sceneNetworks.size(), 20u);

    // Where none of the files is, the texts stand in for them.
    SimulationOptions elsewhere = Swarm();
    elsewhere.scene = ModelFile::Text(*contents.scene.text, "/nonexistent/folder/Swarm.xml");
    elsewhere.sceneFiles = contents.sceneFiles;
    SimulationCore moved(elsewhere);
    original.Step(60);
    moved.Step(60);
    ExpectSameBits(Poses(moved), Poses(original));

    elsewhere.sceneFiles.erase("Robot.xml");
    EXPECT_THROW(SimulationCore{elsewhere}, CommandError);
}
