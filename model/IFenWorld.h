#pragma once

#include "base/DeviceResult.h"
#include "engine/Vector.h"
#include "model/IWorld.h"

namespace Fen {
class World;
}

namespace Tarn {

class CFenIOStruct;

// The world adapter's full interface: registration of adapters, start
// points, the engine world, reading and drawing.
class IFenWorld : public IWorld {
public:
    // Adapters register themselves here when they are made; the world
    // adapter owns them from then on.
    virtual void AddObject(CFenPhysicalObject* object) = 0;
    virtual void AddRobot(CFenNeuralRobot* robot) = 0;
    // A robot the scene places (CFenNeuralRobot::CreateSceneRobot).
    virtual void AddSceneRobot(CFenNeuralRobot* robot) = 0;
    // Takes the body out of the engine world, then destroys the adapter;
    // nothing when the adapter is not one of this world's.
    virtual void RemoveObject(CFenPhysicalObject* object) = 0;
    virtual void RemoveRobot(CFenNeuralRobot* robot) = 0;
    virtual void AddStartPoint(const Fen::Point& point) = 0;
    virtual unsigned GetStartPointCount() const = 0;
    // index must be below GetStartPointCount().
    virtual Fen::Point GetStartPoint(unsigned index) const = 0;
    virtual Fen::World& GetFenWorld() = 0;
    virtual void Read(CFenIOStruct& io) = 0;
    virtual DeviceResult Draw() = 0;
};

} // namespace Tarn
