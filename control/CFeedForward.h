#pragma once
#include <cstdint>
#include <vector>

#include "control/CMatrix.h"
#include "control/CVector.h"
#include "control/TransferFcn.h"

namespace Tarn {

// A multilayer feed-forward network with optional input normalisation
// (mean, standard deviation, PCA projection). Layers are numbered 1..L in
// the network file and stored at 0..L-1; the network reader fills the fields
// directly and checks the result with IsConsistent.
class CFeedForward {
public:
    std::int32_t inputDimensions = 0;
    std::int32_t outputDimensions = 0;
    std::int32_t numLayers = 0;
    CVector mean;
    CVector std;
    CMatrix PCAmatrix;
    std::vector<std::int32_t> layerDimensions;
    std::vector<TransferFcn> transferFcns;
    std::vector<CMatrix> weights;
    std::vector<CVector> biases;
    bool hasMean = false;
    bool hasStd = false;
    bool hasPCA = false;

    CFeedForward() = default;
    CFeedForward(const CFeedForward&) = default;
    CFeedForward(CFeedForward&&) noexcept = default;
    CFeedForward& operator=(const CFeedForward&) = default;
    CFeedForward& operator=(CFeedForward&&) noexcept = default;
    virtual ~CFeedForward() = default;

    // The output for input, or an empty vector when input does not have
    // inputDimensions elements. Expects a consistent network.
    CVector Evaluate(const CVector& input) const;
    bool IsConsistent() const;
    void Clear();

    // Size of the vector entering layer 1: the PCA rows when projecting.
    std::int32_t InputStageDimensions() const { return hasPCA ? PCAmatrix.m : inputDimensions; }
};

} // namespace Tarn
