#pragma once

#include <memory>

#include "model/IFenGraphics.h"

namespace Tarn {

class CFenNeuralRobot;
class CFenPhysicalObject;
class CFenWorld;

// Makes the drawing object of each adapter, over that adapter. The drawing
// lives in a layer above the adapters, so whoever builds a world hands one
// in, and with it the drawing context.
class IFenGraphicsFactory {
public:
    virtual ~IFenGraphicsFactory() = default;
    virtual std::unique_ptr<IFenGraphics> CreateGraphics(CFenWorld& world) = 0;
    virtual std::unique_ptr<IFenGraphics> CreateGraphics(CFenPhysicalObject& object) = 0;
    virtual std::unique_ptr<IFenGraphics> CreateGraphics(CFenNeuralRobot& robot) = 0;
};

} // namespace Tarn
