#pragma once

#include <memory>

#include "engine/PhysicalObject.h"
#include "model/IFenGraphics.h"
#include "model/IFenIO.h"
#include "model/IFenPhysicalObject.h"

namespace Tarn {

class CFenWorld;

// An obstacle: owns its engine body, its drawing object and its reader.
// Made only through Create, which registers the adapter with its world
// adapter and the body with the engine world; from then on the world
// adapter owns it and alone destroys it (RemoveObject, Reset).
class CFenPhysicalObject : public IFenPhysicalObject {
public:
    static CFenPhysicalObject& Create(CFenWorld& world);

    CFenPhysicalObject(const CFenPhysicalObject&) = delete;
    CFenPhysicalObject& operator=(const CFenPhysicalObject&) = delete;
    ~CFenPhysicalObject() override;

    void Clear() override;
    Fen::PhysicalObject& GetPhysicalObject() override;
    void Read(CFenIOStruct& io) override;
    DeviceResult Draw() override;

    CFenWorld& GetWorld() const { return *world; }

private:
    explicit CFenPhysicalObject(CFenWorld& world);

    CFenWorld* world;
    Fen::PhysicalObject object;
    std::unique_ptr<IFenGraphics> graphics;  // draws it in the world view
    std::unique_ptr<IFenIO> io;
};

} // namespace Tarn
