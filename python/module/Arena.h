#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "run/Simulation.h"
#include "run/StartPlaces.h"

namespace Korvale::Python {

using Run::Metrics;
using Run::Simulation;
using Run::StartPlaces;

// What rewards a step: the frame's avoid value, its distance, a new cell
// (1) or none (0), or nothing here (the environment's Python callable).
enum class Reward { Avoid, Distance, Coverage, Outside };

struct ArenaOptions {
    Simulation::Options simulation;
    Reward reward = Reward::Avoid;
    std::int64_t maxSteps = 1000; // 0: episodes are never truncated
    bool randomStart = false; // a free place drawn from the episode's seed
    bool camera = false; // the camera pixels are observed too
};

// One environment of Env and VectorEnv: a simulation run in episodes. An
// episode starts from the simulation as it loaded (a snapshot, so no file is
// read again), driven by the learner's four commands or by its network, and
// ends, truncated, after maxSteps steps.
class Arena {
public:
    explicit Arena(const ArenaOptions& options);
    // Around a simulation restored from a pickle, with the loaded state and
    // the episode's of the arena that was pickled (see GetEpisode).
    Arena(const ArenaOptions& options, std::shared_ptr<Simulation> simulation, std::string start,
          const std::string& episode);

    std::size_t Readings() const { return readings; }
    std::size_t Pixels() const { return pixels; }
    const std::shared_ptr<Simulation>& GetSimulation() const { return simulation; }
    const ArenaOptions& GetOptions() const { return options; }

    // Starts an episode from the loaded state. With a seed the noise starts
    // from it as in a Simulation made with that seed, and so do the random
    // start places; without one both go on from where they were. A pose
    // (x, y, angle) places the robot (std::invalid_argument where it would
    // touch a wall or body); otherwise a random start draws a free place.
    void Reset(std::optional<std::uint64_t> seed, const std::optional<std::array<double, 3>>& pose);

    struct Outcome {
        double reward = 0;
        bool terminated = false;
        bool truncated = false;
    };
    // One frame: the action's commands held as arrow keys, or with no
    // action the network (std::invalid_argument when it has none that fits).
    Outcome Step(const std::array<bool, 4>* action);
    // The infrared readings, and with the camera each pixel's red, green and
    // blue, cameras one after the other.
    void Observe(float* readings, float* pixels) const;
    std::int64_t Steps() const { return steps; }
    Metrics EpisodeMetrics() const;

    // The episode's own numbers (steps, the places' generator), for pickles;
    // the simulation's state and the loaded state travel beside them.
    std::string GetEpisode() const;
    const std::string& GetStart() const { return start; }

private:

    ArenaOptions options;
    std::shared_ptr<Simulation> simulation;
    std::string start; // the state as loaded
    std::size_t readings = 0;
    std::size_t pixels = 0;
    std::int64_t steps = 0;
    StartPlaces places;
};

} // namespace Korvale::Python
