#include "control/CMatrix.h"

#include <stdexcept>

namespace Tarn {

CMatrix::CMatrix(std::int32_t m_, std::int32_t n_)
{
    if (m_ < 0 || n_ < 0)
        throw std::invalid_argument("CMatrix: negative dimension");
    m = m_;
    n = n_;
    rows.assign(static_cast<std::size_t>(m_), std::vector<double>(static_cast<std::size_t>(n_), 0.0));
}

void CMatrix::Clear()
{
    for (std::vector<double>& row : rows)
        row.clear();
    rows.clear();
    m = 0;
    n = 0;
}

CVector operator*(const CMatrix& M, const CVector& v)
{
    if (v.m != M.n || v.data.size() != static_cast<std::size_t>(M.n) || M.rows.size() != static_cast<std::size_t>(M.m))
        throw std::invalid_argument("CMatrix product: vector size does not match the columns");
    CVector r(M.m);
    for (std::int32_t i = 0; i < M.m; ++i) {
        const std::vector<double>& row = M.rows[static_cast<std::size_t>(i)];
        if (row.size() != static_cast<std::size_t>(M.n))
            throw std::invalid_argument("CMatrix product: ragged row");
        for (std::int32_t j = 0; j < M.n; ++j)
            r[i] = v[j] * row[static_cast<std::size_t>(j)] + r[i];
    }
    return r;
}

} // namespace Tarn
