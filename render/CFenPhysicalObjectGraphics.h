#pragma once
#include "model/IFenGraphics.h"
#include "render/CFenPhysicalObjectPlotter.h"

namespace Tarn {

class CVertexBuffer;
class CFenPhysicalObject;

// Draws an obstacle's body.
class CFenPhysicalObjectGraphics : public IFenGraphics {
public:
    CFenPhysicalObjectGraphics(CVertexBuffer* vertexBuffer, CFenPhysicalObject& object);
    DeviceResult Draw() override;

private:
    CVertexBuffer* vertexBuffer; // not owned
    CFenPhysicalObject& object;
    CFenPhysicalObjectPlotter plotter;
};

} // namespace Tarn
