#pragma once

#include "base/DeviceResult.h"
#include "model/IPhysicalObject.h"

namespace Fen {
class PhysicalObject;
}

namespace Tarn {

class CFenIOStruct;

// An obstacle adapter: its engine body, reading and drawing.
class IFenPhysicalObject : public IPhysicalObject {
public:
    virtual void Clear() = 0;
    virtual Fen::PhysicalObject& GetPhysicalObject() = 0;
    virtual void Read(CFenIOStruct& io) = 0;
    virtual DeviceResult Draw() = 0;
};

} // namespace Tarn
