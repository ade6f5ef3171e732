#include "io/NetworkFileText.h"

#include <algorithm>
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

// The shortest digits in the pointed form (see NumberForm).
void AppendPointed(std::string& out, double value)
{
    char buffer[32];
    const auto scientific = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const char* const e = std::find(buffer, scientific.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), scientific.ptr, exponent);
    if (exponent < -4 || exponent >= 16) {
        out.append(buffer, scientific.ptr);
        return;
    }
    const auto fixed = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, fixed.ptr);
    if (std::find(buffer, fixed.ptr, '.') == fixed.ptr)
        out += ".0";
}

void AppendNumber(std::string& out, double value, NumberForm form)
{
    if (!std::isfinite(value))
        throw std::invalid_argument("a network file holds finite numbers only");
    if (form == NumberForm::pointed) {
        AppendPointed(out, value);
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendNumbers(std::string& out, const std::vector<double>& values, NumberForm form)
{
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += ' ';
        AppendNumber(out, values[i], form);
    }
}

void AppendVector(std::string& out, const CVector& v, NumberForm form)
{
    out += "<vector m=\"" + std::to_string(v.m) + "\">";
    AppendNumbers(out, v.data, form);
    out += "</vector>";
}

// One row a line, indented under the element that holds the matrix.
void AppendMatrix(std::string& out, const CMatrix& matrix, const std::string& indent, NumberForm form)
{
    out += "<matrix m=\"" + std::to_string(matrix.m) + "\" n=\"" + std::to_string(matrix.n) + "\">";
    for (const std::vector<double>& row : matrix.rows) {
        out += '\n' + indent + "    ";
        AppendNumbers(out, row, form);
    }
    out += '\n' + indent + "  </matrix>";
}

} // namespace

std::string NetworkFileText(const CFeedForward& network, NumberForm form)
{
    if (!network.IsConsistent() || network.numLayers < 1)
        throw std::invalid_argument("the network is not consistent");
    std::string out = "<?xml version=\"1.0\"?>\n";
    out += "<network inputDimensions=\"" + std::to_string(network.inputDimensions) + "\" outputDimensions=\""
        + std::to_string(network.outputDimensions) + "\" numLayers=\"" + std::to_string(network.numLayers) + "\">\n";
    if (network.hasMean) {
        out += "  <mean>";
        AppendVector(out, network.mean, form);
        out += "</mean>\n";
    }
    if (network.hasStd) {
        out += "  <std>";
        AppendVector(out, network.std, form);
        out += "</std>\n";
    }
    if (network.hasPCA) {
        out += "  <PCAmatrix>";
        AppendMatrix(out, network.PCAmatrix, "  ", form);
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
        AppendMatrix(out, network.weights[k], "    ", form);
        out += "</" + element + ">\n";
    }
    out += "  </weights>\n  <biases>\n";
    for (std::size_t k = 0; k < layers; ++k) {
        out += "    <bias to=\"" + std::to_string(k + 1) + "\">";
        AppendVector(out, network.biases[k], form);
        out += "</bias>\n";
    }
    out += "  </biases>\n</network>\n";
    return out;
}

} // namespace Tarn
