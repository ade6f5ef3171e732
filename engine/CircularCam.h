#pragma once
#include <vector>
#include "engine/Color.h"
#include "engine/LocalInteraction.h"
#include "engine/Vector.h"

namespace Fen {

class PixelOperationFunctor;

// A one-dimensional colour camera: pixelCount pixels spread evenly from
// -fieldOfView to +fieldOfView around its direction, rendered with a depth
// buffer each step. Its radius is the largest finite real, so it sees every body.
class CircularCam : public LocalInteraction {
public:
    Point pos;
    double height = 0;
    Point absPos;
    double absOrientation = 0;
    std::vector<double> zBuffer;
    std::vector<Color> image;
    double fieldOfView = 0;
    double orientation = 0;
    PixelOperationFunctor* pixelOperation = nullptr;

    // Empty buffers, then setup(0, 0, 0, 0, pi/4, 50).
    CircularCam();

    void setup(double x, double y, double height, double orientation, double fieldOfView, unsigned pixelCount);
    unsigned pixelCount() const { return static_cast<unsigned>(image.size()); }

    void init() override;
    void objectStep(double dt, PhysicalObject& object, World& world) override;
    void wallsStep(World& world) override;

private:
    // A segment end in camera coordinates, with its bearing.
    struct End {
        Point q;
        double angle = 0;
    };

    End toCamera(const Point& p) const;
    void drawSegment(End start, End end, const Texture& texture);
    void drawDisc(const PhysicalObject& body);

    // Fixed for one step, computed in init.
    double viewCos = 1;     // cos(-absOrientation)
    double viewSin = 0;     // sin(-absOrientation)
    double pixelAngle = 0;  // angle between neighbouring pixels
    double pixelTan = 0;    // tan(pixelAngle)
    std::vector<End> ends;  // a polygon's vertices; grows to the largest polygon seen
};

} // namespace Fen
