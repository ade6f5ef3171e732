#pragma once
#include <array>
#include <cstdint>

#include "run/SimulationCore.h"

namespace Korvale::Run {

// Random start places for the robot: free places drawn uniformly over the
// arena, with a uniform heading, from a generator of their own (SplitMix64),
// so that the same seed gives the same places and the noise is untouched.
class StartPlaces {
public:
    explicit StartPlaces(std::uint64_t seed = 0) { Restart(seed); }

    // Starts again from the places of a seed.
    void Restart(std::uint64_t seed);
    // The next free place (x, y, angle) for the robot of the simulation, as
    // it stands now; std::invalid_argument when none was found in `draws`
    // draws.
    std::array<double, 3> Draw(const SimulationCore& simulation);

    // The generator's state, for pickles.
    std::uint64_t GetState() const { return state; }
    void SetState(std::uint64_t value) { state = value; }

    static constexpr int draws = 10000;

private:
    double NextUniform();

    std::uint64_t state = 0;
};

} // namespace Korvale::Run
