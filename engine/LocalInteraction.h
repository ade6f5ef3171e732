#pragma once

namespace Fen {

class PhysicalObject;
class Robot;
class World;

// A sensor carried by a robot: it sees the bodies whose bounding circle comes
// within r of the robot's position, and the walls.
class LocalInteraction {
public:
    double r = 0;
    Robot* owner = nullptr;

    LocalInteraction() = default;
    LocalInteraction(const LocalInteraction&) = delete;
    LocalInteraction& operator=(const LocalInteraction&) = delete;
    virtual ~LocalInteraction() = default;

    virtual void setOwner(Robot* robot) { owner = robot; }
    virtual void init() {}
    virtual void objectStep(double /*dt*/, PhysicalObject& /*object*/, World& /*world*/) {}
    virtual void wallsStep(World& /*world*/) {}
    virtual void finalize(double /*dt*/) {}
};

} // namespace Fen
