#pragma once
#include <cstdint>
#include <vector>

#include "run/Metrics.h"
#include "run/ModelFile.h"
#include "run/SimulationOptions.h"

namespace Korvale::Run {

class Cancellation;
class WorkerPool;

// Every network in every scene with every seed: run (i, j, k) is the scene
// j with the robot, the noise started from seed k and network i driving,
// stepped `frames` frames of dt, exactly as a Simulation made so would run;
// with randomStart, from the free place the seed's start places draw first,
// as an environment's reset(seed) places it.
struct EvaluationJob {
    std::vector<SharedNetwork> networks;
    std::vector<ModelFile> scenes;
    ModelFile robot;
    std::vector<std::uint64_t> seeds;
    std::int64_t frames = 0;
    double dt = 1.0 / 60.0;
    bool randomStart = false;
};

// The metrics of run (i, j, k) at (i * scenes + j) * seeds + k. Each
// scene is read once per thread; every run starts from its loaded state.
// Throws CommandError when a file does not load, std::invalid_argument when
// a network does not fit the robot or a scene has no free place to start; returns early (with runs left out) when
// the cancellation stops it.
std::vector<Metrics> Evaluate(const EvaluationJob& job, WorkerPool& pool, Cancellation& cancellation);

} // namespace Korvale::Run
