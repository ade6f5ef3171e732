#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/Rewards.h"
#include "run/Simulation.h"
#include "run/StartPlaces.h"

namespace Korvale::Run {

struct EnvironmentOptions {
    Simulation::Options simulation;
    Reward reward = Reward::Avoid;
    std::int64_t maxSteps = 1000; // 0: episodes are never truncated
    bool randomStart = false; // a free place drawn from the episode's seed
    bool camera = false; // the camera pixels are observed too
    int frameSkip = 1; // frames a step holds its action for, 1 to maxFrameSkip
    static constexpr int maxFrameSkip = 1000;
};

// One environment of Env and VectorEnv: a simulation run in episodes. An
// episode starts from the simulation as it loaded (a snapshot, so no file is
// read again), driven by the learner's four commands or by its network, and
// ends, truncated, after maxSteps steps.
//
// The learner decides where the network control would: between two steps
// the simulation stands in a begun frame, its sensors read and its control
// not yet asked, so the observation is what the control would read before
// choosing the next commands, and a step finishes that frame with the
// action (then, with frame skip, holds it for whole frames more). A policy
// driving here and the same policy as a network driving a Simulation give
// the same run, bit for bit. The frames of an episode are kept (a byte
// each), so that a copy can be made again from a state of the episode.
class Environment {
public:
    explicit Environment(const EnvironmentOptions& options);
    // Around a simulation restored from a pickle, with the loaded state and
    // the episode's of the environment that was pickled (see GetEpisode).
    // Where a copy drives again from: a state taken on the way (checkpoint),
    // or without one the loaded state with the episode's first noise and
    // the robot's place, when it was placed.
    struct Origin {
        std::string checkpoint;
        std::uint32_t noise = 0;
        std::optional<std::array<double, 3>> pose;
    };
    // The simulation stands at the origin's state (the checkpoint, or the
    // loaded state); `frames` are driven again from it. Without `episode`
    // the simulation starts one.
    Environment(const EnvironmentOptions& options, std::shared_ptr<Simulation> simulation, std::string start,
          const std::string& episode, const Origin* origin = nullptr, const std::string& frames = {});

    std::size_t Readings() const { return readings; }
    std::size_t Pixels() const { return pixels; }
    const std::shared_ptr<Simulation>& GetSimulation() const { return simulation; }
    const EnvironmentOptions& GetOptions() const { return options; }

    // Starts an episode from the loaded state. With a seed the noise starts
    // from it as in a Simulation made with that seed, and so do the random
    // start places; without one both go on from where they were. A pose
    // (x, y, angle) places the robot (std::invalid_argument where it would
    // touch a wall or body); otherwise a random start draws a free place.
    // The observation is then that of the episode's first frame.
    void Reset(std::optional<std::uint64_t> seed, const std::optional<std::array<double, 3>>& pose);

    struct Outcome {
        double reward = 0;
        bool terminated = false;
        bool truncated = false;
    };
    // One step: the begun frame finished and frameSkip - 1 frames more,
    // with the action's commands held as arrow keys, or with no action the
    // network (std::invalid_argument when it has none that fits); the reward
    // is the frames' sum. Then the next frame is begun for the observation.
    Outcome Step(const std::array<bool, 4>* action);
    // Step in two: Act leaves the simulation between two frames (for a
    // Python reward to read it), Sense begins the next frame.
    Outcome Act(const std::array<bool, 4>* action);
    void Sense();
    // The infrared readings, and with the camera each pixel's red, green and
    // blue, cameras one after the other.
    void Observe(float* readings, float* pixels) const;
    std::int64_t Steps() const { return steps; }
    Metrics EpisodeMetrics() const;

    // The episode's own numbers (steps, the places' generator), for pickles;
    // the simulation's state and the loaded state travel beside them.
    std::string GetEpisode() const;
    const std::string& GetStart() const { return start; }
    // A state of the episode (its start, or a later one taken every
    // replayLimit frames) and its frames since, a byte each (the four keys
    // as bits 0 to 3, or networkFrame), for a copy: at most replayLimit
    // frames to drive again, whatever the episode's length.
    const Origin& GetOrigin() const { return origin; }
    std::string GetFrames() const;
    static constexpr std::uint8_t networkFrame = 0x10;
    static constexpr std::size_t replayLimit = 4096;

private:
    // The simulation's core, under its Lock().
    SimulationCore& Core() const { return simulation->CoreLocked(); }
    void Drive(const std::array<bool, 4>* action);
    void Begin();

    EnvironmentOptions options;
    std::shared_ptr<Simulation> simulation;
    std::string start; // the state as loaded
    std::size_t readings = 0;
    std::size_t pixels = 0;
    std::int64_t steps = 0;
    StartPlaces places;
    std::uint32_t boundaryNoise = 0; // the noise where the begun frame began
    Origin origin;
    std::vector<std::uint8_t> frames;
};

} // namespace Korvale::Run
