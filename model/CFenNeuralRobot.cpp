#include "model/CFenNeuralRobot.h"

#include "model/CFenWorld.h"

namespace Tarn {

CFenNeuralRobot& CFenNeuralRobot::Create(CFenWorld& world)
{
    // The constructor hands the new adapter to the world adapter, its owner.
    return *new CFenNeuralRobot(world, false);
}

CFenNeuralRobot& CFenNeuralRobot::CreateSceneRobot(CFenWorld& world) { return *new CFenNeuralRobot(world, true); }

CFenNeuralRobot::CFenNeuralRobot(CFenWorld& world_, bool sceneRobot) : world(&world_)
{
    Clear();
    graphics = world_.GetGraphicsFactory().CreateGraphics(*this);
    io = world_.GetIOFactory().CreateIO(*this);
    // Last, so that a failure above registers nothing.
    if (sceneRobot)
        world_.AddSceneRobot(this);
    else
        world_.AddRobot(this);
}

CFenNeuralRobot::~CFenNeuralRobot()
{
    Clear();
    graphics.reset();
    io.reset();
}

void CFenNeuralRobot::Clear() { robot.clearSensors(); }

Fen::NeuralRobot& CFenNeuralRobot::GetPhysicalObject() { return robot; }

void CFenNeuralRobot::Read(CFenIOStruct& ioStruct) { io->Read(ioStruct); }

DeviceResult CFenNeuralRobot::Draw() { return graphics->Draw(); }

} // namespace Tarn
