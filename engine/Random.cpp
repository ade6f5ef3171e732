#include "engine/Random.h"

namespace Fen {

namespace {
std::uint32_t state = 0;
}

double randomUniform()
{
    // Unsigned arithmetic wraps modulo 2^32 by definition.
    state = state * 1103515245u + 12345u;
    return static_cast<double>(state & 0x7fffffffu) * (1.0 / 2147483648.0);
}

std::uint32_t randomState() { return state; }

void setRandomState(std::uint32_t newState) { state = newState; }

} // namespace Fen
