#pragma once

#include "io/CAnPolygoneReader.h"

namespace Fen {
class PhysicalObject;
}

namespace Tarn {

class CFenIOStruct;

// Reads an "object" element into an engine body: a disc when it has r,
// otherwise a polygon from its "polygone" child. Used for the obstacles of
// a scene and for the body of the robot.
class CFenPhysicalObjectReader {
public:
    virtual ~CFenPhysicalObjectReader() = default;
    virtual void Read(CFenIOStruct& io, Fen::PhysicalObject& body);

private:
    CAnPolygoneReader polygoneReader;
};

} // namespace Tarn
