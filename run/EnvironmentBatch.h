#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "run/Environment.h"
#include "run/WorkerPool.h"

namespace Korvale::Run {

class Cancellation;

// Many environments stepped at once on a pool of threads: each step of the batch
// steps every environment once, environment i on whichever thread takes it, so
// the results are those of the environments stepped alone. An environment whose
// episode ended at the last step is reset instead (its action unused), with
// reward 0 and neither flag: Gymnasium's next-step autoreset.
class EnvironmentBatch {
public:
    // The most environments a batch holds: each holds a whole scene, and more
    // than this would take memory by the gigabyte before the first step.
    static constexpr std::size_t maxEnvironments = 65536;

    // count environments, environment i of options[i % options.size()], loaded
    // on a pool of WorkerPool::Fitting threads; std::invalid_argument for a
    // count of 0 or above maxEnvironments, or scenes whose robots differ in
    // their readings or pixels. When the cancellation stops it, the batch is
    // left half built: throw it away.
    EnvironmentBatch(const std::vector<EnvironmentOptions>& options, std::size_t count, unsigned threads,
               Cancellation& cancellation);
    // Around environments restored from a pickle.
    EnvironmentBatch(std::vector<std::unique_ptr<Environment>> environments, std::vector<char> ended, unsigned threads);

    std::size_t Size() const { return environments.size(); }
    Environment& At(std::size_t i) const { return *environments[i]; }
    unsigned Threads() const { return pool.Threads(); }
    const std::vector<char>& Ended() const { return ended; }

    // Where a batch step writes: readings (n x readings), pixels (n x pixels x
    // 3, or none without the camera), and per environment its reward, flags and
    // whether it was reset instead of stepped.
    struct Output {
        float* readings = nullptr;
        float* pixels = nullptr;
        double* rewards = nullptr;
        bool* terminated = nullptr;
        bool* truncated = nullptr;
        bool* restarted = nullptr;
        // Each environment's episode measures, steps and time, read while its
        // memory is at hand: reading them afterwards would fetch every
        // environment again.
        double* distance = nullptr;
        std::int64_t* coverage = nullptr;
        std::int64_t* contactFrames = nullptr;
        double* stuck = nullptr;
        double* avoid = nullptr;
        std::int64_t* steps = nullptr;
        double* time = nullptr;
    };

    // Resets the environments of the mask (every environment without one),
    // seeds[i] and poses[i] as Environment::Reset takes them; the others go on
    // untouched. Every environment's observation and measures are written.
    void Reset(const std::vector<std::optional<std::uint64_t>>& seeds,
               const std::vector<std::optional<std::array<double, 3>>>& poses, const std::vector<char>* mask,
               const Output& out, Cancellation& cancellation);
    // actions: four 0/1 bytes per environment, or none for every network to
    // drive. When the cancellation stops it, the environments not yet stepped
    // stay as they were.
    void Step(const std::uint8_t* actions, const Output& out, Cancellation& cancellation);
    // Step in two, for rewards computed outside between them: Act writes the
    // rewards and flags, Sense the observations and measures.
    void Act(const std::uint8_t* actions, const Output& out, Cancellation& cancellation);
    void Sense(const Output& out, Cancellation& cancellation);
    // The episode of environment i ended by a reward outside (a Python
    // callable): the next step resets it.
    void EndEpisode(std::size_t i) { ended[i] = 1; }

private:
    void Observe(std::size_t i, const Output& out) const;
    void ActOne(std::size_t i, const std::uint8_t* actions, const Output& out);
    template <class Item>
    void RunAll(const Item& item, Cancellation& cancellation);

    std::vector<std::unique_ptr<Environment>> environments;
    std::vector<char> ended;
    WorkerPool pool;
};

} // namespace Korvale::Run
