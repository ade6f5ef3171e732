#pragma once
#include <vector>
#include "base/DeviceResult.h"
#include "render/Vertex.h"

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

    // The fan Plot draws: the centre, then the rim, closed by its first point.
    static void Fan(const Fen::PhysicalObject& object, std::vector<Vertex>& fan);
    // Whether the fan is a disc's: the centre and DiscWedges + 1 rim points.
    static bool DrawnAsDisc(const Fen::PhysicalObject& object);
    // A disc's rim point k (0..DiscWedges, the last one on the first), as Fan
    // makes it, in the colour given.
    static Vertex DiscRimPoint(const Fen::PhysicalObject& object, int k, std::uint32_t color);
    // The same triangles one by one, each as the fan gives it (centre, rim
    // point, next rim point), appended: many bodies then go in one drawing.
    static void AppendTriangles(const Fen::PhysicalObject& object, std::vector<Vertex>& fan,
                                std::vector<Vertex>& triangles);

private:
    CVertexBuffer* vertexBuffer; // not owned
};

} // namespace Tarn
