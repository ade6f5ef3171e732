#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/StateArchive.h"
#include "run/CommandError.h"
#include "run/Simulation.h"
#include "run/SimulationCore.h"
#include "RunTestFiles.h"

using namespace Korvale::Run;
using RunTestFiles::Avoider;
using RunTestFiles::Example;

namespace {

// `frames` trace rows of the simulation from where it stands.
std::vector<double> TraceOf(SimulationCore& simulation, std::int64_t frames)
{
    std::vector<double> rows(static_cast<std::size_t>(frames) * simulation.TraceColumns());
    simulation.Trace(frames, rows.data());
    return rows;
}

// Equal to the bit, NaN and signed zero included.
void ExpectSameBits(const std::vector<double>& a, const std::vector<double>& b)
{
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)), 0);
}

constexpr const char* twoOutputs = R"(<network inputDimensions="8" outputDimensions="2" numLayers="1">
  <layers><layer index="1" dimensions="2" transferFcn="logsig"/></layers>
  <weights><inputlayer from="0" to="1"><matrix m="2" n="8">
    0 0 0 0 0 0 0 0
    0 0 0 0 0 0 0 0
  </matrix></inputlayer></weights>
  <biases><bias to="1"><vector m="2">5 -5</vector></bias></biases>
</network>
)";

} // namespace

TEST(SimulationLoad, LoadsFilesByNameAsFromTheirTextReadOnce)
{
    SimulationOptions named = Avoider();
    named.scene = ModelFile::Named(Example("Default.xml"));
    named.robot = ModelFile::Named(Example("Robot.xml"));
    named.network = ModelFile::Named(Example("AvoidObstacles.xml"));
    SimulationCore byName(named);
    SimulationCore byText(Avoider());
    ExpectSameBits(TraceOf(byName, 200), TraceOf(byText, 200));
    EXPECT_EQ(byText.GetContents().scene.text, Avoider().scene.text);
}

TEST(SimulationLoad, AFailedLoadThrowsTheStatusLinesText)
{
    SimulationOptions options = Avoider();
    options.robot = ModelFile::Read(Example("Default.xml"));
    try {
        SimulationCore simulation(options);
        FAIL() << "a scene file loaded as the robot";
    } catch (const CommandError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Error in CFenNeuralRobotIO: bad nodeName\nRobot file '" + Example("Default.xml")
                      + "': this is a scene file (root element \"world\"), not a robot");
    }
}

TEST(SimulationLoad, ANetworkControlWithoutANetworkWaitsForOneUnlessThePanelsRuleIsAsked)
{
    SimulationOptions options = Avoider();
    options.network = {};
    options.control = Control::Network;
    SimulationCore waiting(options);
    EXPECT_FALSE(waiting.HasFittingNetwork());
    options.networkControlNeedsNetwork = true;
    try {
        SimulationCore refused(options);
        FAIL() << "the network control was selected without a network";
    } catch (const CommandError& error) {
        EXPECT_STREQ(error.what(), "Inconsistent neural network");
    }
}

TEST(SimulationLoad, AWarningGoesToTheCallbackAsItComesOrWaitsToBeTaken)
{
    SimulationOptions options = Avoider();
    options.network = ModelFile::Text(twoOutputs, "two.xml");
    const std::string warning = "Warning: network file 'two.xml' has 2 outputs, not 4 (forward, backward, left, "
                                "right): it never changes the robot's commands, so a robot at rest stays at rest";
    SimulationCore kept(options);
    EXPECT_EQ(kept.TakeWarnings(), std::vector<std::string>{warning});
    EXPECT_TRUE(kept.TakeWarnings().empty());

    std::vector<std::string> told;
    options.warn = [&](const std::string& text) { told.push_back(text); };
    SimulationCore passed(options);
    EXPECT_EQ(told, std::vector<std::string>{warning});
    EXPECT_TRUE(passed.TakeWarnings().empty());
}

TEST(SimulationSnapshot, ARestoredStateContinuesBitForBit)
{
    SimulationCore original(Avoider());
    original.Step(150);
    const std::string state = original.GetState();
    const std::vector<double> after = TraceOf(original, 300);

    // Another seed: the noise travels with the state.
    SimulationOptions other = Avoider();
    other.seed = 99;
    SimulationCore restored(other);
    restored.SetState(state);
    EXPECT_EQ(restored.FrameCount(), 150);
    ExpectSameBits(TraceOf(restored, 300), after);
    EXPECT_EQ(restored.GetState(), original.GetState());
}

TEST(SimulationSnapshot, RefusesDamagedCutOrForeignStatesAndStaysAsItWas)
{
    SimulationCore simulation(Avoider());
    simulation.Step(20);
    const std::string before = simulation.GetState();
    const auto refusal = [&](const std::string& state) -> std::string {
        try {
            simulation.SetState(state);
        } catch (const Tarn::StateMismatch& mismatch) {
            EXPECT_EQ(simulation.GetState(), before);
            return mismatch.what();
        }
        return "loaded";
    };

    std::string damaged = before;
    damaged[damaged.size() / 2] ^= 0x10;
    EXPECT_EQ(refusal(damaged), "the state is damaged: its checksum differs");
    EXPECT_EQ(refusal(before.substr(0, 5)), "the state is cut short");

    SimulationOptions slower = Avoider();
    slower.dt = 0.02;
    EXPECT_EQ(refusal(SimulationCore(slower).GetState()),
              "the state belongs to another simulation: the frame times differ");
    EXPECT_NE(refusal(SimulationCore(Avoider("Rooms.xml")).GetState()), "loaded");
}

TEST(SimulationMetrics, ARunThatReadsOnlyTheDistanceRunsAndMeasuresItAsAFullOne)
{
    SimulationOptions options = Avoider("Rooms.xml");
    SimulationCore full(options);
    options.distanceOnly = true;
    SimulationCore distanceOnly(options);
    ExpectSameBits(TraceOf(distanceOnly, 400), TraceOf(full, 400));
    EXPECT_EQ(distanceOnly.GetMetrics().distance, full.GetMetrics().distance);
    EXPECT_EQ(distanceOnly.GetMetrics().frames, 400);
    EXPECT_GT(full.GetMetrics().coverage, 1);
}

TEST(SimulationFront, ThreadsSharingOneSimulationEachGetWholeFrames)
{
    Simulation shared(Avoider());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                shared.Step(2);
                (void)shared.Pose();
                (void)shared.GetMetrics();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(shared.GetMetrics().frames, 200);
    EXPECT_DOUBLE_EQ(shared.Time(), 200 * shared.FrameTime());
}
