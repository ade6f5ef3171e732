#include "run/Environment.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"

namespace Korvale::Run {

namespace {

Simulation::Options WithControl(Simulation::Options options)
{
    const bool network = options.network.Given() || options.networkObject != nullptr;
    options.control = network ? Simulation::Control::Network : Simulation::Control::Keyboard;
    return options;
}

} // namespace

Environment::Environment(const EnvironmentOptions& options_)
    : Environment(options_, std::make_shared<Simulation>(WithControl(options_.simulation)), {}, {}, nullptr)
{
}

Environment::Environment(const EnvironmentOptions& options_, std::shared_ptr<Simulation> simulation_, std::string start_,
             const std::string& episode, const Origin* from, const std::string& replay)
    : options(options_), simulation(std::move(simulation_)), start(std::move(start_))
{
    if (options.frameSkip < 1 || options.frameSkip > EnvironmentOptions::maxFrameSkip)
        throw std::invalid_argument("frame_skip must be from 1 to " + std::to_string(EnvironmentOptions::maxFrameSkip));
    const auto lock = simulation->Lock();
    const Fen::NeuralRobot* robot = Core().Robot();
    if (robot == nullptr)
        throw std::invalid_argument("an environment needs a robot");
    readings = robot->irSensors.size();
    for (const auto& camera : robot->cameras)
        pixels += camera->pixelCount();
    if (start.empty())
        start = Core().GetState();
    else
        Core().CheckState(start); // a pickled start must fit
    if (!episode.empty()) {
        std::uint64_t state = 0;
        if (episode.size() != sizeof steps + sizeof state)
            throw std::invalid_argument("not a pickled environment");
        std::memcpy(&steps, episode.data(), sizeof steps);
        std::memcpy(&state, episode.data() + sizeof steps, sizeof state);
        places.SetState(state);
    }
    if (from != nullptr) {
        origin = *from;
        if (origin.checkpoint.empty()) {
            Core().Noise() = origin.noise;
            if (origin.pose)
                Core().PlaceRobot((*origin.pose)[0], (*origin.pose)[1], (*origin.pose)[2]);
        }
    } else if (episode.empty()) {
        origin.noise = Core().Noise(); // a new simulation: its loaded state
    } else {
        origin.checkpoint = Core().GetState(); // an earlier release's pickle
    }
    frames.reserve(replay.size());
    for (const char byte : replay) {
        const auto frame = static_cast<std::uint8_t>(byte);
        if (frame > networkFrame)
            throw std::invalid_argument("not a pickled environment");
        std::array<bool, 4> keys{};
        for (std::size_t k = 0; k < 4; ++k)
            keys[k] = (frame >> k) & 1;
        Drive(frame == networkFrame ? nullptr : &keys);
        Core().Frame();
        frames.push_back(frame);
    }
    Begin();
}

std::string Environment::GetEpisode() const
{
    const auto lock = simulation->Lock();
    const std::uint64_t state = places.GetState();
    std::string bytes(sizeof steps + sizeof state, '\0');
    std::memcpy(bytes.data(), &steps, sizeof steps);
    std::memcpy(bytes.data() + sizeof steps, &state, sizeof state);
    return bytes;
}

std::string Environment::GetFrames() const
{
    const auto lock = simulation->Lock();
    return std::string(frames.begin(), frames.end());
}

void Environment::Reset(std::optional<std::uint64_t> seed, const std::optional<std::array<double, 3>>& pose)
{
    const auto lock = simulation->Lock();
    // The noise as the last step left it, before the begun frame's draws.
    const std::uint32_t carried = Core().FrameBegun() ? boundaryNoise : Core().Noise();
    Core().RestoreOwnState(start);
    if (seed) {
        Core().Noise() = Fen::seedState(*seed);
        places.Restart(*seed);
    } else {
        Core().Noise() = carried;
    }
    steps = 0;
    origin = Origin{{}, Core().Noise(), pose};
    if (!pose && options.randomStart)
        origin.pose = places.Draw(Core());
    if (origin.pose)
        Core().PlaceRobot((*origin.pose)[0], (*origin.pose)[1], (*origin.pose)[2]);
    frames.clear();
    Begin();
}

void Environment::Begin()
{
    boundaryNoise = Core().Noise();
    Core().BeginFrame();
}

void Environment::Drive(const std::array<bool, 4>* action)
{
    if (action != nullptr) {
        Core().Drive(Simulation::Control::Keyboard);
        Core().SetKeys(*action);
    } else {
        Core().Drive(Simulation::Control::Network);
    }
}

Environment::Outcome Environment::Act(const std::array<bool, 4>* action)
{
    const auto lock = simulation->Lock();
    if (action == nullptr && !Core().HasFittingNetwork())
        throw std::invalid_argument("step needs an action: no network that fits the robot drives this environment");
    std::uint8_t frame = networkFrame;
    if (action != nullptr) {
        frame = 0;
        for (std::size_t k = 0; k < 4; ++k)
            frame |= static_cast<std::uint8_t>((*action)[k] ? 1u << k : 0u);
    }
    Outcome outcome;
    for (int k = 0; k < options.frameSkip; ++k) {
        Drive(action);
        Core().Frame();
        frames.push_back(frame);
        const Fen::RunMetrics::Frame& last = Core().LiveMetrics().lastFrame();
        switch (options.reward) {
        case Reward::Avoid: outcome.reward += last.avoid; break;
        case Reward::Distance: outcome.reward += last.distance; break;
        case Reward::Coverage: outcome.reward += last.newCell ? 1.0 : 0.0; break;
        case Reward::Outside: break;
        }
    }
    ++steps;
    if (frames.size() >= replayLimit) {
        origin.checkpoint = Core().GetState();
        frames.clear();
    }
    outcome.truncated = options.maxSteps > 0 && steps >= options.maxSteps;
    return outcome;
}

void Environment::Sense()
{
    const auto lock = simulation->Lock();
    if (!Core().FrameBegun())
        Begin();
}

Environment::Outcome Environment::Step(const std::array<bool, 4>* action)
{
    const auto lock = simulation->Lock();
    const Outcome outcome = Act(action);
    Sense();
    return outcome;
}

void Environment::Observe(float* readingsOut, float* pixelsOut) const
{
    const auto lock = simulation->Lock();
    const Fen::NeuralRobot& robot = *Core().Robot();
    for (const auto& sensor : robot.irSensors)
        *readingsOut++ = static_cast<float>(sensor->finalValue);
    if (pixelsOut == nullptr)
        return;
    for (const auto& camera : robot.cameras)
        for (const Fen::Color& color : camera->image) {
            *pixelsOut++ = static_cast<float>(color.r);
            *pixelsOut++ = static_cast<float>(color.g);
            *pixelsOut++ = static_cast<float>(color.b);
        }
}

Metrics Environment::EpisodeMetrics() const
{
    const auto lock = simulation->Lock();
    return Metrics::Of(Core().LiveMetrics());
}

} // namespace Korvale::Run
