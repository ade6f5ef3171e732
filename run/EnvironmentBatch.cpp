#include "run/EnvironmentBatch.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "run/Cancellation.h"

namespace Korvale::Run {

namespace {

std::size_t CheckedCount(std::size_t count, std::size_t scenes)
{
    if (count < 1 || count > EnvironmentBatch::maxEnvironments)
        throw std::invalid_argument("a VectorEnv holds from 1 to " + std::to_string(EnvironmentBatch::maxEnvironments)
                                    + " environments, not " + std::to_string(count));
    if (scenes < 1)
        throw std::invalid_argument("a VectorEnv needs at least one scene");
    return count;
}

} // namespace

EnvironmentBatch::EnvironmentBatch(const std::vector<EnvironmentOptions>& options, std::size_t count, unsigned threads,
                       Cancellation& cancellation)
    : environments(CheckedCount(count, options.size())), ended(count, 0), pool(WorkerPool::Fitting(threads, count))
{
    RunAll([&](std::size_t i) { environments[i] = std::make_unique<Environment>(options[i % options.size()]); },
           cancellation);
    if (cancellation.Stopped())
        return;
    for (std::size_t i = 1; i < std::min(count, options.size()); ++i)
        if (environments[i]->Readings() != environments[0]->Readings() || environments[i]->Pixels() != environments[0]->Pixels())
            throw std::invalid_argument("every scene of a VectorEnv must give the robot the same readings and "
                                        "pixels: scene 1 gives " + std::to_string(environments[0]->Readings())
                                        + " readings, scene " + std::to_string(i + 1) + " gives "
                                        + std::to_string(environments[i]->Readings()));
}

EnvironmentBatch::EnvironmentBatch(std::vector<std::unique_ptr<Environment>> environments_, std::vector<char> ended_, unsigned threads)
    : environments(std::move(environments_)), ended(std::move(ended_)), pool(WorkerPool::Fitting(threads, environments.size()))
{
    ended.resize(environments.size(), 0);
}

template <class Item>
void EnvironmentBatch::RunAll(const Item& item, Cancellation& cancellation)
{
    pool.Run(
        environments.size(),
        [&](std::size_t i, unsigned worker) {
            // An environment is stepped whole or not at all.
            if (cancellation.Stopped())
                return;
            item(i);
            if (worker == 0)
                cancellation.Poll();
        },
        [&] { cancellation.Poll(); });
}

void EnvironmentBatch::Observe(std::size_t i, const Output& out) const
{
    const Environment& environment = *environments[i];
    environment.Observe(out.readings + i * environment.Readings(), out.pixels ? out.pixels + i * environment.Pixels() * 3 : nullptr);
    const Metrics m = environment.EpisodeMetrics();
    out.distance[i] = m.distance;
    out.coverage[i] = m.coverage;
    out.contactFrames[i] = m.contactFrames;
    out.stuck[i] = m.stuck;
    out.avoid[i] = m.avoid;
    out.steps[i] = environment.Steps();
    out.time[i] = environment.GetSimulation()->Time();
}

void EnvironmentBatch::Reset(const std::vector<std::optional<std::uint64_t>>& seeds,
                       const std::vector<std::optional<std::array<double, 3>>>& poses, const std::vector<char>* mask,
                       const Output& out, Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            if (mask == nullptr || (*mask)[i]) {
                environments[i]->Reset(seeds[i], poses[i]);
                ended[i] = 0;
            }
            Observe(i, out);
        },
        cancellation);
}

void EnvironmentBatch::ActOne(std::size_t i, const std::uint8_t* actions, const Output& out)
{
    Environment& environment = *environments[i];
    out.restarted[i] = ended[i] != 0;
    if (ended[i]) {
        environment.Reset(std::nullopt, std::nullopt);
        ended[i] = 0;
        out.rewards[i] = 0;
        out.terminated[i] = false;
        out.truncated[i] = false;
        return;
    }
    std::array<bool, 4> keys{};
    if (actions != nullptr)
        for (std::size_t k = 0; k < 4; ++k)
            keys[k] = actions[i * 4 + k] != 0;
    const Environment::Outcome outcome = environment.Act(actions ? &keys : nullptr);
    out.rewards[i] = outcome.reward;
    out.terminated[i] = outcome.terminated;
    out.truncated[i] = outcome.truncated;
    ended[i] = outcome.terminated || outcome.truncated;
}

void EnvironmentBatch::Step(const std::uint8_t* actions, const Output& out, Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            ActOne(i, actions, out);
            environments[i]->Sense();
            Observe(i, out);
        },
        cancellation);
}

void EnvironmentBatch::Act(const std::uint8_t* actions, const Output& out, Cancellation& cancellation)
{
    RunAll([&](std::size_t i) { ActOne(i, actions, out); }, cancellation);
}

void EnvironmentBatch::Sense(const Output& out, Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            environments[i]->Sense();
            Observe(i, out);
        },
        cancellation);
}

} // namespace Korvale::Run
