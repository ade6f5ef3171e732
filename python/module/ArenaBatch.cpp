#include "ArenaBatch.h"

#include "run/Cancellation.h"

namespace Korvale::Python {

ArenaBatch::ArenaBatch(const ArenaOptions& options, std::size_t count, unsigned threads)
    : arenas(count), ended(count, 0), pool(threads)
{
    pool.Run(count, [&](std::size_t i, unsigned) { arenas[i] = std::make_unique<Arena>(options); });
}

ArenaBatch::ArenaBatch(std::vector<std::unique_ptr<Arena>> arenas_, std::vector<char> ended_, unsigned threads)
    : arenas(std::move(arenas_)), ended(std::move(ended_)), pool(threads)
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
}

void ArenaBatch::Reset(const std::vector<std::optional<std::uint64_t>>& seeds,
                       const std::vector<std::optional<std::array<double, 3>>>& poses, const Output& out,
                       Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            arenas[i]->Reset(seeds[i], poses[i]);
            ended[i] = 0;
            Observe(i, out);
        },
        cancellation);
}

void ArenaBatch::Step(const std::uint8_t* actions, const Output& out, Cancellation& cancellation)
{
    RunAll(
        [&](std::size_t i) {
            Arena& arena = *arenas[i];
            out.restarted[i] = ended[i] != 0;
            if (ended[i]) {
                arena.Reset(std::nullopt, std::nullopt);
                ended[i] = 0;
                out.rewards[i] = 0;
                out.terminated[i] = false;
                out.truncated[i] = false;
            } else {
                std::array<bool, 4> keys{};
                if (actions != nullptr)
                    for (std::size_t k = 0; k < 4; ++k)
                        keys[k] = actions[i * 4 + k] != 0;
                const Arena::Outcome outcome = arena.Step(actions ? &keys : nullptr);
                out.rewards[i] = outcome.reward;
                out.terminated[i] = outcome.terminated;
                out.truncated[i] = outcome.truncated;
                ended[i] = outcome.terminated || outcome.truncated;
            }
            Observe(i, out);
        },
        cancellation);
}

} // namespace Korvale::Python
