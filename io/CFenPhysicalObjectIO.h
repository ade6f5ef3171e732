#pragma once

#include "io/CFenPhysicalObjectReader.h"
#include "model/IFenIO.h"

namespace Tarn {

class CFenPhysicalObject;

// Reads an "object" element of a scene into the body of its object adapter.
class CFenPhysicalObjectIO : public IFenIO {
public:
    explicit CFenPhysicalObjectIO(CFenPhysicalObject* object) : object(object) {}
    void Read(CFenIOStruct& io) override;

private:
    CFenPhysicalObject* object;
    CFenPhysicalObjectReader reader;
};

} // namespace Tarn
