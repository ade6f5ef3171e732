#include "io/NetworkFileText.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "control/CFeedForward.h"

namespace Tarn {

namespace {

const char* TransferFcnName(TransferFcn f)
{
    if (f == logsig)
        return "logsig";
    if (f == tansig)
        return "tansig";
    if (f == purelin)
        return "purelin";
    throw std::invalid_argument("the network has a transfer function without a name");
}

void AppendNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
        throw std::invalid_argument("a network file holds finite numbers only");
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendNumbers(std::string& out, const std::vector<double>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += ' ';
        AppendNumber(out, values[i]);
    }
}

void AppendVector(std::string& out, const CVector& v)
{
    out += "<vector m=\"" + std::to_string(v.m) + "\">";
    AppendNumbers(out, v.data);
    out += "</vector>";
}

// One row a line, indented under the element that holds the matrix.
void AppendMatrix(std::string& out, const CMatrix& matrix, const std::string& indent)
{
    out += "<matrix m=\"" + std::to_string(matrix.m) + "\" n=\"" + std::to_string(matrix.n) + "\">";
    for (const std::vector<double>& row : matrix.rows) {
        out += '\n' + indent + "    ";
        AppendNumbers(out, row);
    }
    out += '\n' + indent + "  </matrix>";
}

} // namespace

std::string NetworkFileText(const CFeedForward& network)
{
    if (!network.IsConsistent() || network.numLayers < 1)
        throw std::invalid_argument("the network is not consistent");
    std::string out = "<?xml version=\"1.0\"?>\n";
    out += "<network inputDimensions=\"" + std::to_string(network.inputDimensions) + "\" outputDimensions=\""
        + std::to_string(network.outputDimensions) + "\" numLayers=\"" + std::to_string(network.numLayers) + "\">\n";
    if (network.hasMean) {
        out += "  <mean>";
        AppendVector(out, network.mean);
        out += "</mean>\n";
    }
    if (network.hasStd) {
        out += "  <std>";
        AppendVector(out, network.std);
        out += "</std>\n";
    }
    if (network.hasPCA) {
        out += "  <PCAmatrix>";
        AppendMatrix(out, network.PCAmatrix, "  ");
        out += "</PCAmatrix>\n";
    }
    const auto layers = static_cast<std::size_t>(network.numLayers);
    out += "  <layers>\n";
    for (std::size_t k = 0; k < layers; ++k)
        out += "    <layer index=\"" + std::to_string(k + 1) + "\" dimensions=\""
            + std::to_string(network.layerDimensions[k]) + "\" transferFcn=\""
            + TransferFcnName(network.transferFcns[k]) + "\"/>\n";
    out += "  </layers>\n  <weights>\n";
    for (std::size_t k = 0; k < layers; ++k) {
        const std::string element = k == 0 ? "inputlayer" : "hiddenlayer";
        out += "    <" + element + " from=\"" + std::to_string(k) + "\" to=\"" + std::to_string(k + 1) + "\">";
        AppendMatrix(out, network.weights[k], "    ");
        out += "</" + element + ">\n";
    }
    out += "  </weights>\n  <biases>\n";
    for (std::size_t k = 0; k < layers; ++k) {
        out += "    <bias to=\"" + std::to_string(k + 1) + "\">";
        AppendVector(out, network.biases[k]);
        out += "</bias>\n";
    }
    out += "  </biases>\n</network>\n";
    return out;
}

} // namespace Tarn
