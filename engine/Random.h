#pragma once
#include <cstdint>

namespace Fen {

// The one noise generator of the engine: a 32-bit linear congruential state,
// 0 at program start. Every noisy quantity draws from it, in computation order,
// so a run repeats from program start.
double randomUniform();

// For tests and tools only: the program itself never reseeds the generator.
std::uint32_t randomState();
void setRandomState(std::uint32_t state);

} // namespace Fen
