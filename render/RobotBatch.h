#pragma once
#include <vector>

#include "base/DeviceResult.h"
#include "render/Vertex.h"

namespace Fen {
class NeuralRobot;
}

namespace Tarn {

class CVertexBuffer;

// A large swarm in two device calls instead of a dozen a robot: one list
// of triangles (each robot's body, arrow, wheels and camera images, in the
// order a robot draws them itself) and one list of lines (the infrared
// rays). Placing the arrow and the wheels is done here rather than by the
// device, and a camera image keeps, inside a run of one colour, only every
// eighth pixel's edge (the quads between are that colour anyway), so edges
// may fall a pixel apart from a robot drawn alone.
class RobotBatch {
public:
    void Clear();
    void Append(const Fen::NeuralRobot& robot, bool rays);
    DeviceResult Draw(CVertexBuffer& buffer) const;

    const std::vector<Vertex>& Triangles() const { return triangles; }
    const std::vector<Vertex>& Lines() const { return lines; }

    // Keeps, of the triangles from vertex `first` on, those `keep` (called
    // with each triangle's three vertices) says yes to, in their order.
    template <class Keep>
    void KeepTriangles(std::size_t first, Keep keep)
    {
        std::size_t kept = first;
        for (std::size_t k = first; k + 2 < triangles.size(); k += 3) {
            if (!keep(&triangles[k]))
                continue;
            for (std::size_t c = 0; c < 3; ++c)
                triangles[kept + c] = triangles[k + c];
            kept += 3;
        }
        triangles.resize(kept);
    }

private:
    // A strip's triangles, one after another, as the device makes them.
    void AppendStrip(const Vertex* strip, std::size_t count);

    std::vector<Vertex> fan; // scratch, kept so that a frame allocates nothing
    std::vector<Vertex> strip;
    std::vector<Vertex> triangles;
    std::vector<Vertex> lines;
};

} // namespace Tarn
