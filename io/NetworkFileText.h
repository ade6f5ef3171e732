#pragma once
#include <string>

namespace Tarn {

class CFeedForward;

// How a network file's numbers are written. Both forms carry the shortest
// digits that read back as the very same double; they lay them out apart.
enum class NumberForm {
    // The fewest characters: 1, 0.5, 1e-04, 1e+16.
    shortest,
    // As korvale-train has always written its students (and Python's repr
    // writes a float): a whole number keeps its ".0", and the exponent form
    // is used only below 1e-4 and from 1e16 on: 1.0, 0.5, 0.0001, 1e-05, 1e+16.
    pointed,
};

// The network file that reads back as this network: the same counts, layers,
// transfer functions and normalisation, every number in the shortest digits
// that read back as the very same double. The network must be consistent,
// with finite numbers and known transfer functions (std::invalid_argument
// otherwise).
std::string NetworkFileText(const CFeedForward& network, NumberForm form = NumberForm::shortest);

} // namespace Tarn
