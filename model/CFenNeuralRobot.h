#pragma once

#include <memory>

#include "engine/NeuralRobot.h"
#include "model/IFenGraphics.h"
#include "model/IFenIO.h"
#include "model/IFenRobot.h"

namespace Tarn {

class CFenWorld;

// The robot: owns its engine NeuralRobot (which owns its sensors), its
// drawing object and its reader. Made only through Create, which registers
// the adapter with its world adapter and the robot with the engine world;
// from then on the world adapter owns it and alone destroys it (RemoveRobot,
// Reset).
class CFenNeuralRobot : public IFenRobot {
public:
    static CFenNeuralRobot& Create(CFenWorld& world);
    // The same for a robot the scene file places: the world adapter lists it
    // among its scene robots (GetSceneRobot), not as the user's robot.
    static CFenNeuralRobot& CreateSceneRobot(CFenWorld& world);

    CFenNeuralRobot(const CFenNeuralRobot&) = delete;
    CFenNeuralRobot& operator=(const CFenNeuralRobot&) = delete;
    ~CFenNeuralRobot() override;

    void Clear() override;
    // The robot is its own body.
    Fen::NeuralRobot& GetPhysicalObject() override;
    void Read(CFenIOStruct& io) override;
    DeviceResult Draw() override;

    CFenWorld& GetWorld() const { return *world; }

private:
    CFenNeuralRobot(CFenWorld& world, bool sceneRobot);

    CFenWorld* world;
    Fen::NeuralRobot robot;
    std::unique_ptr<IFenGraphics> graphics;  // draws it in the world view
    std::unique_ptr<IFenIO> io;
};

} // namespace Tarn
