#pragma once
#include <cstdint>
#include <vector>

#include "control/CVector.h"

namespace Tarn {

// A dense row-major matrix of doubles: the network's weights and its PCA
// projection. Invariant: rows holds m rows of exactly n elements each.
class CMatrix {
public:
    std::int32_t m = 0;
    std::int32_t n = 0;
    std::vector<std::vector<double>> rows;

    CMatrix() = default;
    // m rows of n zeros; a negative size throws std::invalid_argument.
    CMatrix(std::int32_t m, std::int32_t n);
    CMatrix(const CMatrix&) = default;
    CMatrix(CMatrix&&) noexcept = default;
    CMatrix& operator=(const CMatrix&) = default;
    CMatrix& operator=(CMatrix&&) noexcept = default;
    virtual ~CMatrix() = default;

    void Clear();
};

// r = M . v, each row summed from 0.0 in column order. v must have M.n
// elements (std::invalid_argument otherwise).
CVector operator*(const CMatrix& M, const CVector& v);

} // namespace Tarn
