#include "Arena.h"

#include <cstring>
#include <stdexcept>

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
    : Arena(options_, std::make_shared<Simulation>(WithControl(options_.simulation)), {}, {})
{
}

Arena::Arena(const ArenaOptions& options_, std::shared_ptr<Simulation> simulation_, std::string start_,
             const std::string& episode)
    : options(options_), simulation(std::move(simulation_)), start(std::move(start_))
{
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

void Arena::Reset(std::optional<std::uint64_t> seed, const std::optional<std::array<double, 3>>& pose)
{
    const auto lock = simulation->Lock();
    const std::uint32_t carried = simulation->NoiseLocked();
    simulation->RestoreOwnStateLocked(start);
    if (seed) {
        simulation->NoiseLocked() = Fen::seedState(*seed);
        places.Restart(*seed);
    } else {
        simulation->NoiseLocked() = carried;
    }
    steps = 0;
    if (pose) {
        simulation->PlaceRobotLocked((*pose)[0], (*pose)[1], (*pose)[2]);
    } else if (options.randomStart) {
        const auto [x, y, angle] = places.Draw(simulation->CoreLocked());
        simulation->PlaceRobotLocked(x, y, angle);
    }
}

Arena::Outcome Arena::Step(const std::array<bool, 4>* action)
{
    const auto lock = simulation->Lock();
    if (action != nullptr) {
        simulation->DriveLocked(Simulation::Control::Keyboard);
        simulation->SetKeysLocked(*action);
    } else {
        if (!simulation->HasFittingNetworkLocked())
            throw std::invalid_argument("step needs an action: no network that fits the robot drives this environment");
        simulation->DriveLocked(Simulation::Control::Network);
    }
    simulation->FrameLocked();
    ++steps;
    const Fen::RunMetrics::Frame& frame = simulation->MetricsLocked().lastFrame();
    Outcome outcome;
    switch (options.reward) {
    case Reward::Avoid: outcome.reward = frame.avoid; break;
    case Reward::Distance: outcome.reward = frame.distance; break;
    case Reward::Coverage: outcome.reward = frame.newCell ? 1.0 : 0.0; break;
    case Reward::Outside: break;
    }
    outcome.truncated = options.maxSteps > 0 && steps >= options.maxSteps;
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
