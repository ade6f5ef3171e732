#pragma once

namespace Tarn {

class CFenIOStruct;
class CVector;

// Reads a "vector" element: attribute "m" > 0 and one text node of m
// white-space separated numbers.
class CVectorReader {
public:
    virtual ~CVectorReader() = default;
    // The target is emptied first, so it is empty after every failure.
    virtual void Read(CFenIOStruct& io, CVector& v);
};

} // namespace Tarn
