#pragma once
#include <cstdint>
#include <vector>
#include "render/RobotBatch.h"
#include "render/RobotDrawOptions.h"
#include "render/Vertex.h"
#include "model/IFenGraphics.h"

namespace Tarn {

class CVertexBuffer;
class CFenWorld;

// Draws the arena border, then every object and every robot of the world.
// From BatchFrom objects on, the objects go to the device as one list of
// triangles, in list order, instead of one fan each: the same triangles in
// the same order give the same pixels, with a few device calls instead of
// thousands. The scene's robots go the same way from BatchFrom robots on.
class CFenWorldGraphics : public IFenGraphics {
public:
    static constexpr float Depth = 0.5f;
    static constexpr std::uint32_t BorderColor = 0xFF000000u;
    static constexpr unsigned BatchFrom = 64;

    // The robot options (not owned; null: everything) are read at each drawing.
    CFenWorldGraphics(CVertexBuffer* vertexBuffer, CFenWorld& world, const RobotDrawOptions* robotOptions = nullptr);
    DeviceResult Draw() override;

    // Whether many objects go as one list; off, each object draws itself.
    bool batchObjects = true;

private:
    void DrawObjectsInOneList();
    // The scene's robots as RobotBatch lists, leaving out the triangles that
    // cover no pixel, as the objects' list does.
    void DrawSceneRobotsInOneList();

    CVertexBuffer* vertexBuffer; // not owned
    CFenWorld& world;
    const RobotDrawOptions* robotOptions;
    RobotBatch robotBatch;
    // Kept between frames, so that drawing a frame allocates nothing.
    std::vector<Vertex> fan;
    std::vector<Vertex> triangles;
    std::vector<double> placedX;
    std::vector<double> placedY;
    std::vector<char> placedOk;
};

} // namespace Tarn
