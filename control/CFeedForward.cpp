#include "control/CFeedForward.h"

namespace Tarn {

CVector CFeedForward::Evaluate(const CVector& input) const
{
    if (input.m != inputDimensions)
        return CVector();

    // The order is fixed: centre, scale, project, then the layers.
    CVector x = input;
    if (hasMean)
        x -= mean;
    if (hasStd)
        x.DivideBy(std);
    if (hasPCA)
        x = PCAmatrix * x;
    for (std::size_t k = 0; k < static_cast<std::size_t>(numLayers); ++k) {
        // at(): a network filled by hand with short sequences throws
        // instead of reading past them.
        x = weights.at(k) * x;
        x += biases.at(k);
        x.Apply(transferFcns.at(k));
    }
    return x;
}

bool CFeedForward::IsConsistent() const
{
    if (hasMean && mean.m != inputDimensions)
        return false;
    if (hasStd && std.m != inputDimensions)
        return false;
    if (hasPCA && PCAmatrix.n != inputDimensions)
        return false;

    // A network whose layer storage was never sized (a read that stopped
    // early) cannot be consistent; this also keeps the walk below in bounds.
    if (numLayers < 0)
        return false;
    const auto L = static_cast<std::size_t>(numLayers);
    if (layerDimensions.size() != L || transferFcns.size() != L || weights.size() != L || biases.size() != L)
        return false;

    // Each layer's input must be the previous layer's output.
    std::int32_t previous = InputStageDimensions();
    for (std::size_t k = 0; k < L; ++k) {
        if (previous != weights[k].n)
            return false;
        previous = weights[k].m;
    }
    if (previous != outputDimensions)
        return false;

    for (std::size_t k = 0; k < L; ++k)
        if (biases[k].m != weights[k].m)
            return false;
    for (std::size_t k = 0; k < L; ++k)
        if (layerDimensions[k] != weights[k].m)
            return false;
    return true;
}

void CFeedForward::Clear()
{
    mean.Clear();
    std.Clear();
    PCAmatrix.Clear();
    layerDimensions.clear();
    transferFcns.clear();
    for (CMatrix& w : weights)
        w.Clear();
    for (CVector& b : biases)
        b.Clear();
    weights.clear();
    biases.clear();
    inputDimensions = 0;
    outputDimensions = 0;
    numLayers = 0;
    hasMean = false;
    hasStd = false;
    hasPCA = false;
}

} // namespace Tarn
