// What pictures of a run cost: a minute of the crowded example filmed at
// 800x800 and 30 frames a second, drawn offscreen (Mesa's software
// rasteriser where there is no GPU) and encoded as H.264, as
//   korvale-sim --scene examples/Crowded.xml --robot examples/Robot.xml
//       --network examples/AvoidObstacles.xml --seconds 60 --video run.mp4
// does; the same run without pictures for comparison. Wall time counts:
// the rasteriser and the encoder use both cores.
#include <benchmark/benchmark.h>

#include <sstream>

#include "tests/support/TempFolder.h"
#include "tools/SimOptions.h"
#include "tools/SimRun.h"

namespace {

using Korvale::Tools::SimOptions;

SimOptions CrowdedMinute()
{
    const std::string examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";
    return SimOptions::Parse({"--scene", examples + "Crowded.xml", "--robot", examples + "Robot.xml", "--network",
                              examples + "AvoidObstacles.xml", "--seconds", "60", "--quiet"});
}

void Run(benchmark::State& state, const SimOptions& options)
{
    std::ostringstream out, err;
    if (Korvale::Tools::SimRun::Run(options, out, err, false) != 0)
        state.SkipWithError(err.str().c_str());
}

void BM_CrowdedMinuteFilmed(benchmark::State& state)
{
    for (auto _ : state) {
        TestSupport::TempFolder folder;
        SimOptions options = CrowdedMinute();
        options.video = folder.File("run.mp4");
        Run(state, options);
    }
}
BENCHMARK(BM_CrowdedMinuteFilmed)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_CrowdedMinuteSnapshot(benchmark::State& state)
{
    for (auto _ : state) {
        TestSupport::TempFolder folder;
        SimOptions options = CrowdedMinute();
        options.snapshot = folder.File("end.png");
        Run(state, options);
    }
}
BENCHMARK(BM_CrowdedMinuteSnapshot)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CrowdedMinuteWithoutPictures(benchmark::State& state)
{
    for (auto _ : state)
        Run(state, CrowdedMinute());
}
BENCHMARK(BM_CrowdedMinuteWithoutPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
