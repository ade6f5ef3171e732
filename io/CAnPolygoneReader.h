#pragma once

#include "engine/Polygone.h"

namespace Tarn {

class CFenIOStruct;

// Reads a "polygone" element: attribute m, the vertex count, and one text
// of 2 * m numbers "x1 y1 x2 y2 ...". The polygon is replaced only when the
// whole element is good; on a fault it stays as it was.
class CAnPolygoneReader {
public:
    virtual ~CAnPolygoneReader() = default;
    virtual void Read(CFenIOStruct& io, Fen::Polygone& polygon);
};

} // namespace Tarn
