#pragma once

namespace Tarn {

class CFenIOStruct;
class CMatrix;

// Reads a "matrix" element: attributes "m" (rows) and "n" (columns), both
// > 0, and one text node of m*n numbers, row after row.
class CMatrixReader {
public:
    virtual ~CMatrixReader() = default;
    // The target is cleared first, so it is empty after every failure.
    virtual void Read(CFenIOStruct& io, CMatrix& M);
};

} // namespace Tarn
