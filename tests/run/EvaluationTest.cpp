#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "run/Cancellation.h"
#include "run/Evaluation.h"
#include "run/NetworkParts.h"
#include "run/SimulationCore.h"
#include "run/StartPlaces.h"
#include "run/WorkerPool.h"
#include "RunTestFiles.h"

using namespace Korvale::Run;
using RunTestFiles::Example;

namespace {

EvaluationJob TwoByTwoByTwo(bool randomStart)
{
    EvaluationJob job;
    job.networks = {LoadNetworkFile(Example("AvoidObstacles.xml")), LoadNetworkFile(Example("DriveForward.xml"))};
    job.scenes = {ModelFile::Read(Example("Default.xml")), ModelFile::Read(Example("Rooms.xml"))};
    job.robot = ModelFile::Read(Example("Robot.xml"));
    job.seeds = {3, 1ULL << 40};
    job.frames = 240;
    job.randomStart = randomStart;
    return job;
}

std::vector<Metrics> EvaluateOn(const EvaluationJob& job, unsigned threads)
{
    WorkerPool pool(threads);
    Cancellation never({});
    return Evaluate(job, pool, never);
}

// Run (i, j, k) as a simulation made for it alone would run it.
Metrics RunAlone(const EvaluationJob& job, std::size_t i, std::size_t j, std::size_t k)
{
    SimulationOptions options;
    options.scene = job.scenes[j];
    options.robot = job.robot;
    options.networkObject = job.networks[i];
    options.seed = job.seeds[k];
    options.dt = job.dt;
    SimulationCore simulation(options);
    if (job.randomStart) {
        const auto [x, y, angle] = StartPlaces(job.seeds[k]).Draw(simulation);
        simulation.PlaceRobot(x, y, angle);
    }
    simulation.Step(job.frames);
    return simulation.GetMetrics();
}

void ExpectSame(const Metrics& a, const Metrics& b, const std::string& where)
{
    EXPECT_EQ(a.frames, b.frames) << where;
    EXPECT_EQ(a.distance, b.distance) << where;
    EXPECT_EQ(a.coverage, b.coverage) << where;
    EXPECT_EQ(a.contactFrames, b.contactFrames) << where;
    EXPECT_EQ(a.stuck, b.stuck) << where;
    EXPECT_EQ(a.avoid, b.avoid) << where;
}

} // namespace

TEST(Evaluation, GivesEveryRunAsItRunsAloneOnAnyNumberOfThreads)
{
    for (const bool randomStart : {false, true}) {
        const EvaluationJob job = TwoByTwoByTwo(randomStart);
        const std::vector<Metrics> oneThread = EvaluateOn(job, 1);
        ASSERT_EQ(oneThread.size(), 8u);
        EXPECT_GT(oneThread[0].distance, 0); // the runs drive, so equal numbers say something
        for (std::size_t i = 0; i < 2; ++i)
            for (std::size_t j = 0; j < 2; ++j)
                for (std::size_t k = 0; k < 2; ++k)
                    ExpectSame(oneThread[(i * 2 + j) * 2 + k], RunAlone(job, i, j, k),
                               "run " + std::to_string(i) + std::to_string(j) + std::to_string(k));
        for (const unsigned threads : {2u, 8u}) {
            const std::vector<Metrics> runs = EvaluateOn(job, threads);
            ASSERT_EQ(runs.size(), oneThread.size());
            for (std::size_t r = 0; r < runs.size(); ++r)
                ExpectSame(runs[r], oneThread[r], std::to_string(threads) + " threads, run " + std::to_string(r));
        }
    }
}

TEST(Evaluation, NamesANetworkThatDoesNotFitTheRobotBeforeAnyRun)
{
    EvaluationJob job = TwoByTwoByTwo(false);
    NetworkParts parts;
    parts.weights = {{4, 3, std::vector<double>(12, 0.0)}};
    parts.biases = {std::vector<double>(4, 0.0)};
    parts.transfer = {"logsig"};
    job.networks.push_back(BuildNetwork(parts));
    try {
        EvaluateOn(job, 2);
        FAIL() << "a network of 3 inputs drove a robot of 8 sensors";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "networks[2] takes 3 inputs, but the robot has 8 infrared sensors");
    }
}
