#include "model/CFenPhysicalObject.h"

#include "model/CFenWorld.h"

namespace Tarn {

CFenPhysicalObject& CFenPhysicalObject::Create(CFenWorld& world)
{
    // The constructor hands the new adapter to the world adapter, its owner.
    return *new CFenPhysicalObject(world);
}

CFenPhysicalObject::CFenPhysicalObject(CFenWorld& world_) : world(&world_)
{
    graphics = world_.GetGraphicsFactory().CreateGraphics(*this);
    io = world_.GetIOFactory().CreateIO(*this);
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

DeviceResult CFenPhysicalObject::Draw() { return graphics->Draw(); }

} // namespace Tarn
