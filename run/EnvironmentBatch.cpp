#include "ArenaBatch.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "run/Cancellation.h"

namespace Korvale::Python {

namespace {

std::size_t CheckedCount(std::size_t count, std::size_t scenes)
{
    if (count < 1 || count > ArenaBatch::maxArenas)
        throw std::invalid_argument("a VectorEnv holds from 1 to " + std::to_string(ArenaBatch::maxArenas)
                                    + " environments, not " + std::to_string(count));
    if (scenes < 1)
        throw std::invalid_argument("a VectorEnv needs at least one scene");
    return count;
}

} // namespace

ArenaBatch::ArenaBatch(const std::vector<ArenaOptions>& options, std::size_t count, unsigned threads,
                       Cancellation& cancellation)
    : arenas(CheckedCount(count, options.size())), ended(count, 0), pool(WorkerPool::Fitting(threads, count))
{
    RunAll([&](std::size_t i) { arenas[i] = std::make_unique<Arena>(options[i % options.size()]); },
           cancellation);
    if (cancellation.Stopped())
        return;
    for (std::size_t i = 1; i < std::min(count, options.size()); ++i)
        if (arenas[i]->Readings() != arenas[0]->Readings() || arenas[i]->Pixels() != arenas[0]->Pixels())
            throw std::invalid_argument("every scene of a VectorEnv must give the robot the same readings and "
                                        "pixels: scene 1 gives " + std::to_string(arenas[0]->Readings())
                                        + " readings, scene " + std::to_string(i + 1) + " gives "
                                        + std::to_string(arenas[i]->Readings()));
}

ArenaBatch::ArenaBatch(std::vector<std::unique_ptr<Arena>> arenas_, std::vector<char> ended_, unsigned threads)
    : arenas(std::move(arenas_)), ended(std::move(ended_)), pool(WorkerPool::Fitting(threads, arenas.size()))
{
    ended.resize(arenas.size(), 0);
}

template <class Item>
void ArenaBatch::RunAll(const Item& item, Cancellation& cancellation)
{
    pool.Run(
        arenas.size(),
        [&](std::size_t i, unsigned worker) {
            // An arena is stepped whole or not at all.
            if (cancellation.Stopped())
                return;
            item(i);
            if (worker == 0)
                cancellation.Poll();
        },
        [&] { cancellation.Poll(); });
}

void ArenaBatch::Observe(std::size_t i, const Output& out) const
{
    const Arena& arena = *arenas[i];
    arena.Observe(out.readings + i * arena.Readings(), out.pixels ? out.pixels + i * arena.Pixels() * 3 : nullptr);
    const Metrics m = arena.EpisodeMetrics();
    out.distance[i] = m.distance;
    out.coverage[i] = m.coverage;
    out.contactFrames[i] = m.contactFrames;
    out.stuck[i] = m.stuck;
    out.avoid[i] = m.avoid;
    out.steps[i] = arena.Steps();
    out.time[i] = arena.GetSimulation()->Time();
}

void ArenaBatch::Reset(const std::vector<std::optional<std::uint64_t>>& seeds,
                       const std::vector<std::optional<std::array<double, 3>>>& poses, const std::vector<char>* mask,
                       const Output& out, Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            if (mask == nullptr || (*mask)[i]) {
                arenas[i]->Reset(seeds[i], poses[i]);
                ended[i] = 0;
            }
            Observe(i, out);
        },
        cancellation);
}

void ArenaBatch::ActOne(std::size_t i, const std::uint8_t* actions, const Output& out)
{
    Arena& arena = *arenas[i];
    out.restarted[i] = ended[i] != 0;
    if (ended[i]) {
        arena.Reset(std::nullopt, std::nullopt);
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
    const Arena::Outcome outcome = arena.Act(actions ? &keys : nullptr);
    out.rewards[i] = outcome.reward;
    out.terminated[i] = outcome.terminated;
    out.truncated[i] = outcome.truncated;
    ended[i] = outcome.terminated || outcome.truncated;
}

void ArenaBatch::Step(const std::uint8_t* actions, const Output& out, Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            ActOne(i, actions, out);
            arenas[i]->Sense();
            Observe(i, out);
        },
        cancellation);
}

void ArenaBatch::Act(const std::uint8_t* actions, const Output& out, Cancellation& cancellation)
{
    RunAll([&](std::size_t i) { ActOne(i, actions, out); }, cancellation);
}

void ArenaBatch::Sense(const Output& out, Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            arenas[i]->Sense();
            Observe(i, out);
        },
        cancellation);
}

} // namespace Korvale::Python
