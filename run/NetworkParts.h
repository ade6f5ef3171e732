#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/SimulationOptions.h"

namespace Tarn {
class CFeedForward;
}

namespace Korvale::Run {

// A matrix handed over from an array: rows x columns, row after row.
struct MatrixData {
    std::int64_t rows = 0;
    std::int64_t columns = 0;
    std::vector<double> values;
};

// A network's parts as arrays: per layer its weights (a row per neuron, a
// column per output of the layer before), bias and transfer function name,
// and the optional normalisation of the input.
struct NetworkParts {
    std::vector<MatrixData> weights;
    std::vector<std::vector<double>> biases;
    std::vector<std::string> transfer;
    std::optional<std::vector<double>> mean;
    std::optional<std::vector<double>> std;
    std::optional<MatrixData> pca;
};

// The network these parts describe, as a network file would hold it;
// std::invalid_argument with a one-line reason when they do not fit together
// or could not be written as a network file (no layer, an empty layer, a
// number that is not finite, an unknown transfer function).
SharedNetwork BuildNetwork(const NetworkParts& parts);
// The network file read as the window reads it; CommandError with the
// status line's text when it cannot be.
SharedNetwork LoadNetworkFile(const std::string& path);
// Back to arrays.
NetworkParts PartsOf(const Tarn::CFeedForward& network);
std::string TransferName(const Tarn::CFeedForward& network, std::size_t layer);
// The network's output for each of `count` inputs of network.inputDimensions
// values, written one after the other into `out`.
void EvaluateRows(const Tarn::CFeedForward& network, const double* inputs, std::size_t count, double* out);

} // namespace Korvale::Run
