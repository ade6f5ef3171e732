#pragma once

#include <memory>

#include "model/IFenIO.h"

namespace Tarn {

class CFenNeuralRobot;
class CFenPhysicalObject;
class CFenWorld;

// Makes the reader of each adapter, over that adapter. The readers live in
// a layer above the adapters, so whoever builds a world hands one in.
class IFenIOFactory {
public:
    virtual ~IFenIOFactory() = default;
    virtual std::unique_ptr<IFenIO> CreateIO(CFenWorld& world) = 0;
    virtual std::unique_ptr<IFenIO> CreateIO(CFenPhysicalObject& object) = 0;
    virtual std::unique_ptr<IFenIO> CreateIO(CFenNeuralRobot& robot) = 0;
};

} // namespace Tarn
