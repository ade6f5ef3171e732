#pragma once
#include "base/DeviceResult.h"

namespace Fen {
class PhysicalObject;
}

namespace Tarn {

class CVertexBuffer;
// Draws one body filled in its colour at depth 0.5: a polygon as a fan
// around the body's centre, a disc (or a body whose polygon was never set) as
// 32 wedges.
class CFenPhysicalObjectPlotter {
public:
    static constexpr float Depth = 0.5f;
    static constexpr int DiscWedges = 32;

    explicit CFenPhysicalObjectPlotter(CVertexBuffer* vertexBuffer);
    virtual ~CFenPhysicalObjectPlotter() = default;

    virtual DeviceResult Plot(const Fen::PhysicalObject& object);

private:
    CVertexBuffer* vertexBuffer; // not owned
};

} // namespace Tarn
