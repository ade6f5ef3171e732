#include "engine/Random.h"

namespace Fen {

namespace {
std::uint32_t processState = 0;
// Where this thread's draws go: the process-wide state unless a NoiseScope
// lent another one. A constant initialiser keeps the access a plain load.
thread_local std::uint32_t* current = &processState;
} // namespace

double randomUniform()
{
    std::uint32_t& state = *current;
    // Unsigned arithmetic wraps modulo 2^32 by definition.
    state = state * 1103515245u + 12345u;
    return static_cast<double>(state & 0x7fffffffu) * (1.0 / 2147483648.0);
}

std::uint32_t randomState() { return *current; }

void setRandomState(std::uint32_t newState) { *current = newState; }

std::uint32_t seedState(std::uint64_t seed)
{
    std::uint64_t z = seed + 0x9e3779b97f4a7c15u;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    z = z ^ (z >> 31);
    return static_cast<std::uint32_t>(z ^ (z >> 32));
}

NoiseScope::NoiseScope(std::uint32_t& state) : previous(current) { current = &state; }

NoiseScope::~NoiseScope() { current = previous; }

} // namespace Fen
