// Cost of the neural control per robot step (one evaluation of the example
// obstacle-avoiding network) and of reading a network file.
#include <filesystem>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "control/CFeedForward.h"
#include "io/CFenIOStruct.h"
#include "io/CFeedForwardReader.h"

namespace {

// The examples folder sits beside this one in the source tree.
const std::string exampleNetwork =
    (std::filesystem::path(__FILE__).parent_path().parent_path() / "examples" / "AvoidObstacles.xml").string();

Tarn::CFeedForward ReadExample()
{
    Tarn::CFenIOStruct io(exampleNetwork);
    Tarn::CFeedForward net;
    Tarn::CFeedForwardReader().Read(io, net);
    if (!io.IsOk())
        throw std::runtime_error(io.GetErrorText());
    return net;
}

void EvaluateExampleNetwork(benchmark::State& state)
{
    const Tarn::CFeedForward net = ReadExample();
    Tarn::CVector input(net.inputDimensions);
    for (std::int32_t i = 0; i < input.m; ++i)
        input[i] = 10.0 * i;
    for (auto _ : state)
        benchmark::DoNotOptimize(net.Evaluate(input));
}
BENCHMARK(EvaluateExampleNetwork);

void ReadExampleNetworkFile(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadExample());
}
BENCHMARK(ReadExampleNetworkFile);

} // namespace

BENCHMARK_MAIN();
