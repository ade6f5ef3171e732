#include "render/CFenWorldGraphics.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "render/CVertexBuffer.h"

namespace Tarn {

CFenWorldGraphics::CFenWorldGraphics(CVertexBuffer* vertexBuffer_, CFenWorld& world_)
    : vertexBuffer(vertexBuffer_), world(world_)
{
}

DeviceResult CFenWorldGraphics::Draw()
{
    if (vertexBuffer == nullptr)
        return DeviceFail;
    const Fen::World& arena = world.GetFenWorld();
    const float w = static_cast<float>(arena.width);
    const float h = static_cast<float>(arena.height);
    const Vertex border[] = {
        {0, 0, Depth, BorderColor}, {0, h, Depth, BorderColor}, {w, h, Depth, BorderColor},
        {w, 0, Depth, BorderColor}, {0, 0, Depth, BorderColor},
    };
    DeviceResult result = vertexBuffer->Set(border, sizeof border);
    if (Succeeded(result))
        result = vertexBuffer->Bind();
    if (Succeeded(result))
        result = vertexBuffer->Draw(PrimitiveType::LineStrip);

    // One body that cannot be drawn does not hide the others.
    const unsigned objects = world.GetObjectCount();
    const unsigned robots = world.GetRobotCount();
    for (unsigned i = 0; i < objects; ++i)
        world.GetObject(i).Draw();
    for (unsigned i = 0; i < robots; ++i)
        world.GetRobot(i).Draw();
    return result;
}

} // namespace Tarn
