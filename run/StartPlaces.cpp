#include "run/StartPlaces.h"

#include <numbers>
#include <stdexcept>
#include <string>

namespace Korvale::Run {

void StartPlaces::Restart(std::uint64_t seed)
{
    // Apart from the noise's generator, which the same seed starts through the same mix.
    state = seed ^ 0xd1b54a32d192ed03ULL;
}

double StartPlaces::NextUniform()
{
    // SplitMix64; 53 bits make a double in [0, 1).
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

std::array<double, 3> StartPlaces::Draw(const SimulationCore& simulation)
{
    const auto [width, height, radius] = simulation.ArenaAndRobotSize();
    for (int draw = 0; draw < draws; ++draw) {
        const double x = radius + NextUniform() * (width - 2 * radius);
        const double y = radius + NextUniform() * (height - 2 * radius);
        const double angle = -std::numbers::pi + 2 * std::numbers::pi * NextUniform();
        if (simulation.PlaceFault(x, y, angle).empty())
            return {x, y, angle};
    }
    throw std::invalid_argument("no free place for the robot was found in " + std::to_string(draws)
                                + " draws: the arena is too crowded for a random start");
}

} // namespace Korvale::Run
