#include "Arena.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"

namespace Korvale::Python {

namespace {

Simulation::Options WithControl(Simulation::Options options)
{
    const bool network = options.network.Given() || options.networkObject != nullptr;
    options.control = network ? Simulation::Control::Network : Simulation::Control::Keyboard;
    return options;
}

} // namespace

Arena::Arena(const ArenaOptions& options_)
    : Arena(options_, std::make_shared<Simulation>(WithControl(options_.simulation)), {}, {}, nullptr)
{
}

Arena::Arena(const ArenaOptions& options_, std::shared_ptr<Simulation> simulation_, std::string start_,
             const std::string& episode, const Origin* from, const std::string& replay)
    : options(options_), simulation(std::move(simulation_)), start(std::move(start_))
{
    if (options.frameSkip < 1 || options.frameSkip > ArenaOptions::maxFrameSkip)
        throw std::invalid_argument("frame_skip must be from 1 to " + std::to_string(ArenaOptions::maxFrameSkip));
    const auto lock = simulation->Lock();
    const Fen::NeuralRobot* robot = simulation->RobotLocked();
    if (robot == nullptr)
        throw std::invalid_argument("an environment needs a robot");
    readings = robot->irSensors.size();
    for (const auto& camera : robot->cameras)
        pixels += camera->pixelCount();
    if (start.empty())
        start = simulation->GetStateLocked();
    else
        simulation->CheckStateLocked(start); // a pickled start must fit
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
            simulation->NoiseLocked() = origin.noise;
            if (origin.pose)
                simulation->PlaceRobotLocked((*origin.pose)[0], (*origin.pose)[1], (*origin.pose)[2]);
        }
    } else if (episode.empty()) {
        origin.noise = simulation->NoiseLocked(); // a new simulation: its loaded state
    } else {
        origin.checkpoint = simulation->GetStateLocked(); // an earlier release's pickle
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
        simulation->FrameLocked();
        frames.push_back(frame);
    }
    Begin();
}

std::string Arena::GetEpisode() const
{
    const auto lock = simulation->Lock();
    const std::uint64_t state = places.GetState();
    std::string bytes(sizeof steps + sizeof state, '\0');
    std::memcpy(bytes.data(), &steps, sizeof steps);
    std::memcpy(bytes.data() + sizeof steps, &state, sizeof state);
    return bytes;
}

std::string Arena::GetFrames() const
{
    const auto lock = simulation->Lock();
    return std::string(frames.begin(), frames.end());
}

void Arena::Reset(std::optional<std::uint64_t> seed, const std::optional<std::array<double, 3>>& pose)
{
    const auto lock = simulation->Lock();
    // The noise as the last step left it, before the begun frame's draws.
    const std::uint32_t carried = simulation->FrameBegunLocked() ? boundaryNoise : simulation->NoiseLocked();
    simulation->RestoreOwnStateLocked(start);
    if (seed) {
        simulation->NoiseLocked() = Fen::seedState(*seed);
        places.Restart(*seed);
    } else {
        simulation->NoiseLocked() = carried;
    }
    steps = 0;
    origin = Origin{{}, simulation->NoiseLocked(), pose};
    if (!pose && options.randomStart)
        origin.pose = places.Draw(simulation->CoreLocked());
    if (origin.pose)
        simulation->PlaceRobotLocked((*origin.pose)[0], (*origin.pose)[1], (*origin.pose)[2]);
    frames.clear();
    Begin();
}

void Arena::Begin()
{
    boundaryNoise = simulation->NoiseLocked();
    simulation->BeginFrameLocked();
}

void Arena::Drive(const std::array<bool, 4>* action)
{
    if (action != nullptr) {
        simulation->DriveLocked(Simulation::Control::Keyboard);
        simulation->SetKeysLocked(*action);
    } else {
        simulation->DriveLocked(Simulation::Control::Network);
    }
}

Arena::Outcome Arena::Act(const std::array<bool, 4>* action)
{
    const auto lock = simulation->Lock();
    if (action == nullptr && !simulation->HasFittingNetworkLocked())
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
        simulation->FrameLocked();
        frames.push_back(frame);
        const Fen::RunMetrics::Frame& last = simulation->MetricsLocked().lastFrame();
        switch (options.reward) {
        case Reward::Avoid: outcome.reward += last.avoid; break;
        case Reward::Distance: outcome.reward += last.distance; break;
        case Reward::Coverage: outcome.reward += last.newCell ? 1.0 : 0.0; break;
        case Reward::Outside: break;
        }
    }
    ++steps;
    if (frames.size() >= replayLimit) {
        origin.checkpoint = simulation->GetStateLocked();
        frames.clear();
    }
    outcome.truncated = options.maxSteps > 0 && steps >= options.maxSteps;
    return outcome;
}

void Arena::Sense()
{
    const auto lock = simulation->Lock();
    if (!simulation->FrameBegunLocked())
        Begin();
}

Arena::Outcome Arena::Step(const std::array<bool, 4>* action)
{
    const auto lock = simulation->Lock();
    const Outcome outcome = Act(action);
    Sense();
    return outcome;
}

void Arena::Observe(float* readingsOut, float* pixelsOut) const
{
    const auto lock = simulation->Lock();
    const Fen::NeuralRobot& robot = *simulation->RobotLocked();
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

Metrics Arena::EpisodeMetrics() const
{
    const auto lock = simulation->Lock();
    return Metrics::Of(simulation->MetricsLocked());
}

} // namespace Korvale::Python
