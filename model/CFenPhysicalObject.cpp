#include "model/CFenPhysicalObject.h"

#include "io/CFenPhysicalObjectIO.h"
#include "model/CFenWorld.h"
#include "render/CFenPhysicalObjectGraphics.h"

namespace Tarn {

CFenPhysicalObject& CFenPhysicalObject::Create(CFenWorld& world)
{
    // The constructor hands the new adapter to the world adapter, its owner.
    return *new CFenPhysicalObject(world);
}

CFenPhysicalObject::CFenPhysicalObject(CFenWorld& world_)
    : vertexBuffer(world_.GetVertexBuffer()), world(&world_)
{
    graphics = std::make_unique<CFenPhysicalObjectGraphics>(vertexBuffer, *this);
    io = std::make_unique<CFenPhysicalObjectIO>(this);
    // Last, so that a failure above registers nothing.
    world_.AddObject(this);
}

CFenPhysicalObject::~CFenPhysicalObject()
{
    graphics.reset();
    io.reset();
}

void CFenPhysicalObject::Clear() {}

Fen::PhysicalObject& CFenPhysicalObject::GetPhysicalObject() { return object; }

void CFenPhysicalObject::Read(CFenIOStruct& ioStruct) { io->Read(ioStruct); }

long CFenPhysicalObject::Draw() { return graphics->Draw(); }

} // namespace Tarn
