#pragma once

namespace Tarn {

class CFenNeuralRobot;
class CFenPhysicalObject;

// The arena as the application sees it: its size, the bodies in it and time.
class IWorld {
public:
    virtual ~IWorld() = default;
    // Empties the world and gives it a new size; destroys every adapter in it.
    virtual void Reset(double width, double height) = 0;
    virtual unsigned GetObjectCount() const = 0;
    // index must be below GetObjectCount().
    virtual CFenPhysicalObject& GetObject(unsigned index) const = 0;
    virtual unsigned GetRobotCount() const = 0;
    // index must be below GetRobotCount().
    virtual CFenNeuralRobot& GetRobot(unsigned index) const = 0;
    // Advances the simulation by dt seconds, kept within [0.001, 1].
    virtual void Step(double dt) = 0;
};

} // namespace Tarn
