#include "run/NetworkParts.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "control/CFeedForward.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"
#include "run/CommandError.h"

namespace Korvale::Run {

namespace {

[[noreturn]] void Refuse(const std::string& reason) { throw std::invalid_argument(reason); }

std::int32_t Size(std::int64_t size, const std::string& what)
{
    if (size < 1)
        Refuse(what + " is empty");
    if (size > std::numeric_limits<std::int32_t>::max())
        Refuse(what + " is too large for a network file");
    return static_cast<std::int32_t>(size);
}

void CheckFinite(const std::vector<double>& values, const std::string& what)
{
    for (const double value : values)
        if (!std::isfinite(value))
            Refuse(what + " holds a number that is not finite");
}

Tarn::CVector VectorOf(const std::vector<double>& values, const std::string& what)
{
    Tarn::CVector vector(Size(static_cast<std::int64_t>(values.size()), what));
    CheckFinite(values, what);
    vector.data = values;
    return vector;
}

Tarn::CMatrix MatrixOf(const MatrixData& data, const std::string& what)
{
    Tarn::CMatrix matrix(Size(data.rows, what + "'s rows"), Size(data.columns, what + "'s columns"));
    if (data.values.size() != static_cast<std::size_t>(data.rows * data.columns))
        Refuse(what + " does not hold rows x columns numbers");
    CheckFinite(data.values, what);
    for (std::size_t i = 0; i < matrix.rows.size(); ++i) {
        const auto begin = data.values.begin() + static_cast<std::ptrdiff_t>(i * data.columns);
        matrix.rows[i].assign(begin, begin + data.columns);
    }
    return matrix;
}

std::string Indexed(const char* name, std::size_t k) { return std::string(name) + "[" + std::to_string(k) + "]"; }

MatrixData DataOf(const Tarn::CMatrix& matrix)
{
    MatrixData data{matrix.m, matrix.n, {}};
    for (const auto& row : matrix.rows)
        data.values.insert(data.values.end(), row.begin(), row.end());
    return data;
}

} // namespace

SharedNetwork BuildNetwork(const NetworkParts& parts)
{
    const std::size_t layers = parts.weights.size();
    if (layers == 0)
        Refuse("a network needs at least one layer");
    if (parts.biases.size() != layers || parts.transfer.size() != layers)
        Refuse("weights, biases and transfer need one entry per layer (" + std::to_string(layers) + ", "
               + std::to_string(parts.biases.size()) + " and " + std::to_string(parts.transfer.size()) + " given)");
    if (layers > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        Refuse("too many layers for a network file");

    auto network = std::make_shared<Tarn::CFeedForward>();
    network->numLayers = static_cast<std::int32_t>(layers);
    for (std::size_t k = 0; k < layers; ++k) {
        const Tarn::TransferFcn f = Tarn::CFeedForwardReader::FindTransferFcn(parts.transfer[k]);
        if (f == nullptr)
            Refuse(Indexed("transfer", k) + " is '" + parts.transfer[k] + "', not purelin, tansig or logsig");
        Tarn::CMatrix weights = MatrixOf(parts.weights[k], Indexed("weights", k));
        if (k > 0 && weights.n != network->weights[k - 1].m)
            Refuse(Indexed("weights", k) + " has " + std::to_string(weights.n) + " columns, but layer "
                   + std::to_string(k - 1) + " has " + std::to_string(network->weights[k - 1].m) + " neurons");
        Tarn::CVector bias = VectorOf(parts.biases[k], Indexed("biases", k));
        if (bias.m != weights.m)
            Refuse(Indexed("biases", k) + " has " + std::to_string(bias.m) + " values, but " + Indexed("weights", k)
                   + " has " + std::to_string(weights.m) + " rows");
        network->layerDimensions.push_back(weights.m);
        network->transferFcns.push_back(f);
        network->weights.push_back(std::move(weights));
        network->biases.push_back(std::move(bias));
    }
    const std::int32_t stage = network->weights[0].n;
    std::int32_t inputs = stage;
    if (parts.pca) {
        network->PCAmatrix = MatrixOf(*parts.pca, "pca");
        network->hasPCA = true;
        if (network->PCAmatrix.m != stage)
            Refuse("pca has " + std::to_string(network->PCAmatrix.m) + " rows (components), but weights[0] has "
                   + std::to_string(stage) + " columns");
        inputs = network->PCAmatrix.n;
    }
    const auto normaliser = [&](const std::optional<std::vector<double>>& values, const char* name, Tarn::CVector& into,
                                bool& has) {
        if (!values)
            return;
        into = VectorOf(*values, name);
        has = true;
        if (into.m != inputs)
            Refuse(std::string(name) + " has " + std::to_string(into.m) + " values, but the network has "
                   + std::to_string(inputs) + " inputs");
    };
    normaliser(parts.mean, "mean", network->mean, network->hasMean);
    normaliser(parts.std, "std", network->std, network->hasStd);
    network->inputDimensions = inputs;
    network->outputDimensions = network->weights.back().m;
    if (!network->IsConsistent())
        Refuse("the network's parts do not fit together");
    return network;
}

SharedNetwork LoadNetworkFile(const std::string& path)
{
    Tarn::CFenIOStruct io(path);
    auto network = std::make_shared<Tarn::CFeedForward>();
    if (io.IsOk()) {
        Tarn::CFeedForwardReader reader;
        reader.Read(io, *network);
    }
    if (!io.IsOk()) {
        std::string text = io.GetErrorText();
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        throw CommandError(text);
    }
    return network;
}

std::string TransferName(const Tarn::CFeedForward& network, std::size_t layer)
{
    for (const char* name : {"purelin", "tansig", "logsig"})
        if (network.transferFcns[layer] == Tarn::CFeedForwardReader::FindTransferFcn(name))
            return name;
    return "?";
}

NetworkParts PartsOf(const Tarn::CFeedForward& network)
{
    NetworkParts parts;
    for (std::size_t k = 0; k < network.weights.size(); ++k) {
        parts.weights.push_back(DataOf(network.weights[k]));
        parts.biases.push_back(network.biases[k].data);
        parts.transfer.push_back(TransferName(network, k));
    }
    if (network.hasMean)
        parts.mean = network.mean.data;
    if (network.hasStd)
        parts.std = network.std.data;
    if (network.hasPCA)
        parts.pca = DataOf(network.PCAmatrix);
    return parts;
}

void EvaluateRows(const Tarn::CFeedForward& network, const double* inputs, std::size_t count, double* out)
{
    Tarn::CVector x(network.inputDimensions);
    const auto n = static_cast<std::size_t>(network.inputDimensions);
    for (std::size_t row = 0; row < count; ++row) {
        std::copy(inputs + row * n, inputs + (row + 1) * n, x.data.begin());
        const Tarn::CVector y = network.Evaluate(x);
        out = std::copy(y.data.begin(), y.data.end(), out);
    }
}

} // namespace Korvale::Run
