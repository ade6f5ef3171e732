#include "Arena.h"

#include <cstring>
#include <numbers>
#include <stdexcept>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"

namespace Korvale::Python {

namespace {

// The places' generator of a seed: apart from the noise's, which the same
// seed starts through the same mix.
std::uint64_t PlacesFrom(std::uint64_t seed) { return seed ^ 0xd1b54a32d192ed03ULL; }

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
    : options(options_), simulation(std::move(simulation_)), start(std::move(start_)), places(PlacesFrom(0))
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
        if (episode.size() != sizeof steps + sizeof places)
            throw std::invalid_argument("not a pickled environment");
        std::memcpy(&steps, episode.data(), sizeof steps);
        std::memcpy(&places, episode.data() + sizeof steps, sizeof places);
    }
}

std::string Arena::GetEpisode() const
{
    const auto lock = simulation->Lock();
    std::string bytes(sizeof steps + sizeof places, '\0');
    std::memcpy(bytes.data(), &steps, sizeof steps);
    std::memcpy(bytes.data() + sizeof steps, &places, sizeof places);
    return bytes;
}

double Arena::NextUniform()
{
    // SplitMix64; 53 bits make a double in [0, 1).
    std::uint64_t z = (places += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

std::array<double, 3> Arena::FreePlace()
{
    const auto [width, height, radius] = simulation->ArenaAndRobotSizeLocked();
    for (int draw = 0; draw < placeDraws; ++draw) {
        const double x = radius + NextUniform() * (width - 2 * radius);
        const double y = radius + NextUniform() * (height - 2 * radius);
        const double angle = -std::numbers::pi + 2 * std::numbers::pi * NextUniform();
        if (simulation->PlaceFaultLocked(x, y, angle).empty())
            return {x, y, angle};
    }
    throw std::invalid_argument("no free place for the robot was found in " + std::to_string(placeDraws)
                                + " draws: the arena is too crowded for a random start");
}

void Arena::Reset(std::optional<std::uint64_t> seed, const std::optional<std::array<double, 3>>& pose)
{
    const auto lock = simulation->Lock();
    const std::uint32_t carried = simulation->NoiseLocked();
    simulation->RestoreOwnStateLocked(start);
    if (seed) {
        simulation->NoiseLocked() = Fen::seedState(*seed);
        places = PlacesFrom(*seed);
    } else {
        simulation->NoiseLocked() = carried;
    }
    steps = 0;
    if (pose) {
        simulation->PlaceRobotLocked((*pose)[0], (*pose)[1], (*pose)[2]);
    } else if (options.randomStart) {
        const auto [x, y, angle] = FreePlace();
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
