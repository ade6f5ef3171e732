#include "render/CFenPhysicalObjectGraphics.h"
#include "model/CFenPhysicalObject.h"

namespace Tarn {

CFenPhysicalObjectGraphics::CFenPhysicalObjectGraphics(CVertexBuffer* vertexBuffer_, CFenPhysicalObject& object_)
    : vertexBuffer(vertexBuffer_), object(object_), plotter(vertexBuffer_)
{
}

DeviceResult CFenPhysicalObjectGraphics::Draw()
{
    return plotter.Plot(object.GetPhysicalObject());
}

} // namespace Tarn
