#pragma once
#include <cstdint>
#include <vector>

#include "control/TransferFcn.h"

namespace Tarn {

// A dense vector of doubles for the network: its input, normalisation data,
// biases and output. Invariant: data holds exactly m elements.
class CVector {
public:
    std::int32_t m = 0;
    std::vector<double> data;

    CVector() = default;
    // k elements, all 0.0; a negative k throws std::invalid_argument.
    explicit CVector(std::int32_t k);
    CVector(const CVector&) = default;
    CVector(CVector&&) noexcept = default;
    CVector& operator=(const CVector&) = default;
    CVector& operator=(CVector&&) noexcept = default;
    virtual ~CVector() = default;

    double& operator[](std::int32_t i) { return data[static_cast<std::size_t>(i)]; }
    double operator[](std::int32_t i) const { return data[static_cast<std::size_t>(i)]; }

    void Clear();

    // Element-wise over this vector's m elements; b must hold at least m
    // elements (std::invalid_argument otherwise).
    CVector& operator+=(const CVector& b);
    CVector& operator-=(const CVector& b);
    // Divides by s element by element; a divisor strictly between -1e-10 and
    // 1e-10 gives 0.0 instead, so a constant input component drops out.
    CVector& DivideBy(const CVector& s);
    // f must not be null (std::invalid_argument otherwise).
    void Apply(TransferFcn f);
};

} // namespace Tarn
