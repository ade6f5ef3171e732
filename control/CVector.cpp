#include "control/CVector.h"

#include <stdexcept>
#include <string>

namespace Tarn {

namespace {

void RequireAtLeast(const CVector& b, std::int32_t m, const char* operation)
{
    if (b.m < m || b.data.size() < static_cast<std::size_t>(m))
        throw std::invalid_argument(std::string("CVector::") + operation + ": operand too short");
}

} // namespace

CVector::CVector(std::int32_t k)
{
    if (k < 0)
        throw std::invalid_argument("CVector: negative dimension");
    m = k;
    data.assign(static_cast<std::size_t>(k), 0.0);
}

void CVector::Clear()
{
    data.clear();
    m = 0;
}

CVector& CVector::operator+=(const CVector& b)
{
    RequireAtLeast(b, m, "operator+=");
    for (std::int32_t i = 0; i < m; ++i)
        (*this)[i] = b[i] + (*this)[i];
    return *this;
}

CVector& CVector::operator-=(const CVector& b)
{
    RequireAtLeast(b, m, "operator-=");
    for (std::int32_t i = 0; i < m; ++i)
        (*this)[i] = (*this)[i] - b[i];
    return *this;
}

CVector& CVector::DivideBy(const CVector& s)
{
    RequireAtLeast(s, m, "DivideBy");
    for (std::int32_t i = 0; i < m; ++i) {
        // A NaN divisor fails both comparisons and is divided by, on purpose.
        if (-1e-10 < s[i] && s[i] < 1e-10)
            (*this)[i] = 0.0;
        else
            (*this)[i] = (*this)[i] / s[i];
    }
    return *this;
}

void CVector::Apply(TransferFcn f)
{
    if (f == nullptr)
        throw std::invalid_argument("CVector::Apply: no transfer function");
    for (std::int32_t i = 0; i < m; ++i)
        (*this)[i] = f((*this)[i]);
}

} // namespace Tarn
