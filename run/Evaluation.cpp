#include "run/Evaluation.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

#include "control/CFeedForward.h"
#include "control/NetworkFit.h"
#include "run/Cancellation.h"
#include "run/SimulationCore.h"
#include "run/StartPlaces.h"
#include "run/WorkerPool.h"

namespace Korvale::Run {

namespace {

// The scenes one thread has loaded, made as it first needs each.
class SceneSet {
public:
    SceneSet(const EvaluationJob& job_) : job(job_), loaded(job_.scenes.size()) {}

    SimulationCore& Get(std::size_t scene)
    {
        if (!loaded[scene]) {
            SimulationOptions options;
            options.scene = job.scenes[scene];
            options.robot = job.robot;
            options.control = Control::Network; // it drives once it has a network
            options.dt = job.dt;
            loaded[scene] = std::make_unique<SimulationCore>(options);
        }
        return *loaded[scene];
    }

private:
    const EvaluationJob& job;
    std::vector<std::unique_ptr<SimulationCore>> loaded;
};

} // namespace

std::vector<Metrics> Evaluate(const EvaluationJob& job, WorkerPool& pool, Cancellation& cancellation)
{
    const std::size_t networks = job.networks.size();
    const std::size_t scenes = job.scenes.size();
    const std::size_t seeds = job.seeds.size();
    std::vector<Metrics> runs(networks * scenes * seeds);
    if (runs.empty())
        return runs;
    if (job.frames < 0)
        throw std::invalid_argument("the number of frames must not be negative");

    // Loaded here first, in order, so that a file that fails names itself
    // before any run starts; the caller's thread keeps them.
    std::vector<SceneSet> threads;
    threads.reserve(pool.Threads());
    for (unsigned worker = 0; worker < pool.Threads(); ++worker)
        threads.emplace_back(job);
    std::vector<std::string> start(scenes);
    for (std::size_t j = 0; j < scenes; ++j)
        start[j] = threads[0].Get(j).GetState();
    const std::size_t sensors = threads[0].Get(0).InfraredCount();
    for (std::size_t i = 0; i < networks; ++i) {
        if (!Tarn::NetworkFitsSensors(*job.networks[i], sensors))
            throw std::invalid_argument("networks[" + std::to_string(i) + "] "
                                        + Tarn::NetworkMisfit(*job.networks[i], sensors));
    }

    // The start places, drawn here so that a crowded scene says so before any run.
    std::vector<std::array<double, 3>> places;
    if (job.randomStart) {
        for (std::size_t j = 0; j < scenes; ++j) {
            const SimulationCore& simulation = threads[0].Get(j);
            for (const std::uint64_t seed : job.seeds)
                places.push_back(StartPlaces(seed).Draw(simulation));
        }
    }

    // Items run scene by scene, so that a thread keeps to the scenes it has.
    const auto run = [&](std::size_t item, unsigned worker) {
        const std::size_t j = item / (networks * seeds);
        const std::size_t i = item / seeds % networks;
        const std::size_t k = item % seeds;
        SimulationCore& simulation = threads[worker].Get(j);
        simulation.SetState(start[j]);
        simulation.SetNoiseSeed(job.seeds[k]);
        simulation.SetNetwork(job.networks[i]);
        if (job.randomStart) {
            const auto [x, y, angle] = places[j * seeds + k];
            simulation.PlaceRobot(x, y, angle);
        }
        for (std::int64_t frame = 0; frame < job.frames; ++frame) {
            if (cancellation.Stopped())
                return;
            simulation.Frame();
            if (worker == 0 && frame % 32 == 0 && cancellation.Poll())
                return;
        }
        runs[(i * scenes + j) * seeds + k] = simulation.GetMetrics();
    };
    pool.Run(runs.size(), run, [&] { cancellation.Poll(); });
    return runs;
}

} // namespace Korvale::Run
