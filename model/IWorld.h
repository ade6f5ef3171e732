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
    // The robots the scene file placed, in the file's order; each has a
    // control of its own. They are apart from the robots above (the one a
    // user loads), which keep their meaning whatever the scene holds.
    virtual unsigned GetSceneRobotCount() const = 0;
    // index must be below GetSceneRobotCount().
    virtual CFenNeuralRobot& GetSceneRobot(unsigned index) const = 0;
    // Every robot in the arena as the window, korvale-sim and the module
    // number them: the user's robots first (GetRobot), then the scene's
    // robots in the file's order. Robot 0 is the one a single-robot script
    // has always meant.
    unsigned GetSwarmSize() const { return GetRobotCount() + GetSceneRobotCount(); }
    // index must be below GetSwarmSize().
    CFenNeuralRobot& GetSwarmRobot(unsigned index) const
    {
        const unsigned own = GetRobotCount();
        return index < own ? GetRobot(index) : GetSceneRobot(index - own);
    }
    // Advances the simulation by dt seconds, kept within [0.001, 1].
    virtual void Step(double dt) = 0;
};

} // namespace Tarn
