#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "run/Cancellation.h"
#include "run/Environment.h"
#include "run/EnvironmentBatch.h"
#include "RunTestFiles.h"

using namespace Korvale::Run;

namespace {

// Two scenes the avoider drives, with episodes short enough that the run
// below resets each a few times.
std::vector<EnvironmentOptions> TwoScenes()
{
    std::vector<EnvironmentOptions> options(2);
    options[0].simulation = RunTestFiles::Avoider("Default.xml");
    options[1].simulation = RunTestFiles::Avoider("Rooms.xml");
    for (EnvironmentOptions& each : options) {
        each.reward = Reward::Distance;
        each.maxSteps = 40;
    }
    return options;
}

constexpr std::size_t count = 5;
constexpr int steps = 100;

// What environment i gave at every step: its reward, flags, restart and readings.
using Record = std::vector<std::vector<double>>;

Record RunBatch(unsigned threads)
{
    Cancellation never({});
    EnvironmentBatch batch(TwoScenes(), count, threads, never);
    const std::size_t readings = batch.At(0).Readings();
    std::vector<float> observed(count * readings);
    std::vector<double> rewards(count), distance(count), stuck(count), avoid(count), time(count);
    std::vector<std::int64_t> coverage(count), contacts(count), stepsDone(count);
    const auto terminated = std::make_unique<bool[]>(count);
    const auto truncated = std::make_unique<bool[]>(count);
    const auto restarted = std::make_unique<bool[]>(count);
    const EnvironmentBatch::Output out{observed.data(), nullptr,         rewards.data(),  terminated.get(),
                                       truncated.get(), restarted.get(), distance.data(), coverage.data(),
                                       contacts.data(), stuck.data(),    avoid.data(),    stepsDone.data(),
                                       time.data()};
    std::vector<std::optional<std::uint64_t>> seeds;
    for (std::size_t i = 0; i < count; ++i)
        seeds.emplace_back(100 + i);
    batch.Reset(seeds, std::vector<std::optional<std::array<double, 3>>>(count), nullptr, out, never);
    Record record(count);
    for (int step = 0; step < steps; ++step) {
        batch.Step(nullptr, out, never);
        for (std::size_t i = 0; i < count; ++i) {
            std::vector<double>& r = record[i];
            r.insert(r.end(), {rewards[i], double(terminated[i]), double(truncated[i]), double(restarted[i])});
            r.insert(r.end(), observed.begin() + i * readings, observed.begin() + (i + 1) * readings);
        }
    }
    return record;
}

// Environment i stepped alone, reset after each episode as the batch resets it.
std::vector<double> RunAlone(std::size_t i)
{
    Environment environment(TwoScenes()[i % 2]);
    environment.Reset(100 + i, std::nullopt);
    std::vector<float> observed(environment.Readings());
    std::vector<double> record;
    bool ended = false;
    for (int step = 0; step < steps; ++step) {
        Environment::Outcome outcome;
        const bool restart = ended;
        if (ended)
            environment.Reset(std::nullopt, std::nullopt);
        else
            outcome = environment.Step(nullptr);
        ended = !restart && (outcome.terminated || outcome.truncated);
        environment.Observe(observed.data(), nullptr);
        record.insert(record.end(), {outcome.reward, double(outcome.terminated), double(outcome.truncated),
                                     double(restart)});
        record.insert(record.end(), observed.begin(), observed.end());
    }
    return record;
}

} // namespace

TEST(EnvironmentBatch, StepsEachEnvironmentAsItStepsAloneOnAnyNumberOfThreads)
{
    const Record oneThread = RunBatch(1);
    // The run holds resets after truncation, so that equal records cover them.
    const std::size_t block = oneThread[0].size() / steps;
    int restarts = 0;
    for (int step = 0; step < steps; ++step)
        restarts += oneThread[0][step * block + 3] != 0;
    EXPECT_EQ(restarts, 2);
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(oneThread[i], RunAlone(i)) << "environment " << i;
    EXPECT_EQ(RunBatch(2), oneThread);
    EXPECT_EQ(RunBatch(8), oneThread);
}
