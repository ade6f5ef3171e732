#pragma once
#include <cstdint>

namespace Fen {

// The noise generator of the engine: a 32-bit linear congruential state,
// 0 at program start. Every noisy quantity draws from it, in computation
// order, so a run repeats from program start. A program has one process-wide
// state; a NoiseScope lends a thread another state for a while, so that
// several simulations in one process each keep their own sequence.
double randomUniform();

// The state the next draw on this thread starts from, and setting it.
std::uint32_t randomState();
void setRandomState(std::uint32_t state);

// The start state that a user's seed gives: every 64-bit seed is valid, and
// neighbouring seeds give unrelated sequences. The SplitMix64 mix of the seed,
// folded to 32 bits:
//   z = seed + 0x9e3779b97f4a7c15
//   z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9
//   z = (z ^ (z >> 27)) * 0x94d049bb133111eb
//   z =  z ^ (z >> 31)
//   state = low 32 bits of (z ^ (z >> 32))
// all modulo 2^64. Runs without a seed keep the start state 0.
std::uint32_t seedState(std::uint64_t seed);

// While it lives, the engine's draws on the constructing thread use `state`
// (read and advanced in place) instead of the state they used before. Scopes
// nest; each must end on the thread that made it, innermost first.
class NoiseScope {
public:
    explicit NoiseScope(std::uint32_t& state);
    ~NoiseScope();
    NoiseScope(const NoiseScope&) = delete;
    NoiseScope& operator=(const NoiseScope&) = delete;

private:
    std::uint32_t* previous;
};

} // namespace Fen
