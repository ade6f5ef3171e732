// World steps per second at dt = 1/60 in the benchmark arena (CrowdedScene.h):
// the reference scene of 30 bodies, and 10 to 10,000 bodies, each with the
// broad phase (the default) and with the all-pairs loop.
#include <benchmark/benchmark.h>

#include "CrowdedScene.h"

namespace {

void runSteps(benchmark::State& state, int count, Fen::PairSearch search)
{
    Bench::KorvaleScene scene(count);
    scene.world.pairSearch = search;
    for (int i = 0; i < 60; ++i)
        scene.world.step(Bench::stepTime);
    for (auto _ : state)
        scene.world.step(Bench::stepTime);
    state.SetItemsProcessed(state.iterations());
    state.counters["bodies"] = static_cast<double>(scene.world.objects.size());
}

void ReferenceScene(benchmark::State& state) { runSteps(state, 30, Fen::PairSearch::automatic); }

void BodyCount(benchmark::State& state)
{
    runSteps(state, static_cast<int>(state.range(0)), Fen::PairSearch::automatic);
}

void AllPairs(benchmark::State& state) { runSteps(state, static_cast<int>(state.range(0)), Fen::PairSearch::allPairs); }

} // namespace

BENCHMARK(ReferenceScene);
BENCHMARK(BodyCount)->Arg(10)->Arg(30)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(AllPairs)->Arg(10)->Arg(30)->Arg(100)->Arg(1000);

BENCHMARK_MAIN();
