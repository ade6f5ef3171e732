#pragma once
#include <cstdint>
#include <vector>
#include "render/Vertex.h"
#include "model/IFenGraphics.h"

namespace Tarn {

class CVertexBuffer;
class CFenWorld;

// Draws the arena border, then every object and every robot of the world.
// From BatchFrom objects on, the objects go to the device as one list of
// triangles, in list order, instead of one fan each: the same triangles in
// the same order give the same pixels, with a few device calls instead of
// thousands.
class CFenWorldGraphics : public IFenGraphics {
public:
    static constexpr float Depth = 0.5f;
    static constexpr std::uint32_t BorderColor = 0xFF000000u;
    static constexpr unsigned BatchFrom = 64;

    CFenWorldGraphics(CVertexBuffer* vertexBuffer, CFenWorld& world);
    DeviceResult Draw() override;

    // Whether many objects go as one list; off, each object draws itself.
    bool batchObjects = true;

private:
    void DrawObjectsInOneList();

    CVertexBuffer* vertexBuffer; // not owned
    CFenWorld& world;
    // Kept between frames, so that drawing a frame allocates nothing.
    std::vector<Vertex> fan;
    std::vector<Vertex> triangles;
    std::vector<double> placedX;
    std::vector<double> placedY;
    std::vector<char> placedOk;
};

} // namespace Tarn
