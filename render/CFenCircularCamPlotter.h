#pragma once
#include "base/DeviceResult.h"

namespace Fen {
class CircularCam;
}

namespace Tarn {

class CVertexBuffer;
// Shows a camera's image as a ring band around the robot, between 1.5 and
// 2.5 robot radii, covering exactly the field of view: pixel 0 at its start,
// the colours shading from one pixel to the next. In front of the bodies.
class CFenCircularCamPlotter {
public:
    static constexpr float Depth = 0.4f;

    explicit CFenCircularCamPlotter(CVertexBuffer* vertexBuffer);
    virtual ~CFenCircularCamPlotter() = default;

    virtual DeviceResult Plot(const Fen::CircularCam& camera, double robotRadius);

private:
    CVertexBuffer* vertexBuffer; // not owned
};

} // namespace Tarn
