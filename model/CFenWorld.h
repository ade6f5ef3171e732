#pragma once

#include <memory>
#include <vector>

#include "control/CNeuralNetworkRemoteControl.h"
#include "control/CRobotControls.h"
#include "engine/Vector.h"
#include "engine/World.h"
#include "model/IFenGraphicsFactory.h"
#include "model/IFenIOFactory.h"
#include "model/IFenWorld.h"

namespace Tarn {

// Owns the engine world and every object and robot adapter in it. The
// engine world only references the bodies: they are taken out of it before
// their adapters are destroyed, so it never holds a destroyed body.
class CFenWorld : public IFenWorld {
public:
    // The factories make the reader and the drawing object of this world and
    // of every adapter made over it; not owned, they must outlive the world.
    CFenWorld(IFenIOFactory& ioFactory, IFenGraphicsFactory& graphicsFactory);
    CFenWorld(const CFenWorld&) = delete;
    CFenWorld& operator=(const CFenWorld&) = delete;
    ~CFenWorld() override;

    void Reset(double width, double height) override;
    unsigned GetObjectCount() const override;
    CFenPhysicalObject& GetObject(unsigned index) const override;
    unsigned GetRobotCount() const override;
    CFenNeuralRobot& GetRobot(unsigned index) const override;
    unsigned GetSceneRobotCount() const override;
    CFenNeuralRobot& GetSceneRobot(unsigned index) const override;
    // The network control of scene robot `index`, or null while it was given
    // no network (it stands still unless keys are held for it).
    CNeuralNetworkRemoteControl* GetSceneRobotControl(unsigned index) const;
    // Scene robot `index` is driven by a copy of `network` through a control
    // of its own, from the next step on; the keys drive instead while they
    // are selected for it.
    void DriveSceneRobot(unsigned index, const CFeedForward& network);
    // The controls of scene robot `index`: its network, its held keys and
    // which of the two drives. Made on first use, the network (empty) driving,
    // which leaves the robot as it was.
    CRobotControls& SceneRobotControls(unsigned index);
    // With keys, a person can take scene robot `index` over as the window
    // lets one take over the user's robot: while an arrow key is held the
    // keys drive, otherwise its network does (a robot without one stands).
    // Null gives it back to the keys held for it alone
    // (SceneRobotControls). Nothing changes while no key is held.
    void SetSceneRobotKeys(unsigned index, const IKeyboardState* keys);
    void Step(double dt) override;
    // The shortest and longest step the world takes.
    static constexpr double minStepTime = 0.001;
    static constexpr double maxStepTime = 1.0;
    // The time Step(dt) advances the engine by: dt kept within
    // [minStepTime, maxStepTime].
    static double StepTime(double dt);
    // Whether the world steps a frame time unchanged once the host has handed
    // it over in single precision, as every host does: a time outside
    // frameTimeRange would be clamped behind the caller's back.
    static bool TakesFrameTime(double frameTime);
    static constexpr const char* frameTimeRange = "from 0.001 to 1 second, the steps the world takes";

    void AddObject(CFenPhysicalObject* object) override;
    void AddRobot(CFenNeuralRobot* robot) override;
    void AddSceneRobot(CFenNeuralRobot* robot) override;
    void RemoveObject(CFenPhysicalObject* object) override;
    void RemoveRobot(CFenNeuralRobot* robot) override;
    void AddStartPoint(const Fen::Point& point) override;
    unsigned GetStartPointCount() const override;
    Fen::Point GetStartPoint(unsigned index) const override;
    Fen::World& GetFenWorld() override;
    void Read(CFenIOStruct& io) override;
    DeviceResult Draw() override;

    IFenIOFactory& GetIOFactory() const { return ioFactory; }
    IFenGraphicsFactory& GetGraphicsFactory() const { return graphicsFactory; }

private:
    IFenIOFactory& ioFactory;
    IFenGraphicsFactory& graphicsFactory;
    Fen::World world;
    std::unique_ptr<IFenGraphics> graphics;  // draws it in the world view
    std::unique_ptr<IFenIO> io;
    std::vector<std::unique_ptr<CFenPhysicalObject>> objects;
    std::vector<std::unique_ptr<CFenNeuralRobot>> robots;
    // A scene robot and its controls; they let go of the robot as they die.
    struct SceneRobot {
        std::unique_ptr<CFenNeuralRobot> robot;
        std::unique_ptr<CRobotControls> controls;
        bool networkGiven = false;
    };
    std::vector<SceneRobot> sceneRobots;
    std::vector<Fen::Point> startPoints;
};

} // namespace Tarn
