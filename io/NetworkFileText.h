#pragma once
#include <string>

namespace Tarn {

class CFeedForward;

// The network file that reads back as this network: the same counts, layers,
// transfer functions and normalisation, every number in the shortest text
// that reads back as the very same double. The network must be consistent,
// with finite numbers and known transfer functions (std::invalid_argument
// otherwise).
std::string NetworkFileText(const CFeedForward& network);

} // namespace Tarn
