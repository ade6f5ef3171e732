#pragma once
#include <cstdint>
#include <utility>
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
    // Draws nothing while drawing is deferred (see below).
    void objectStep(double dt, PhysicalObject& object, World& world) override;
    void wallsStep(World& world) override;

    // Deferred drawing, for a world that visits only some bodies: while
    // deferDrawing is set, objectStep leaves the image alone and the world
    // draws the bodies afterwards with drawInOrder, in any order it likes.
    // The image comes out as if each body had been drawn by objectStep in the
    // order of the `order` numbers: every pixel ends with the nearest
    // candidate, and of equally near ones with the one drawn first, because
    // the depth test keeps a candidate only when it is strictly nearer. So a
    // pixel remembers the order of what it shows and settles ties by it.
    bool deferDrawing = false;
    // After init: no pixel shows anything yet.
    void beginDrawingInOrder();
    // `discPos` is where a disc stood when objectStep would have seen it; a
    // polygon is drawn from its absolute polygon as objectStep would.
    void drawInOrder(const PhysicalObject& body, const Point& discPos, std::uint32_t order);

    // Culling help, valid after init. The depth of the farthest thing shown
    // (the largest finite real where a pixel shows nothing).
    double farthestDepth() const;
    // False only when nothing inside the circle can reach a pixel: the circle
    // lies wholly outside the view, with room to spare for rounding.
    bool mayShow(const Point& centre, double radius) const;

    // The same test for many circles: the view as a cone in camera axes.
    struct ViewCone {
        bool culls = false; // false: every circle may show
        Point apex;
        double toViewCos = 1; // rotation into camera axes
        double toViewSin = 0;
        double halfCos = 0;
        double halfSin = 0;
        double angleSlack = 0;

        Vector toView(const Vector& offset) const { return rotate(offset, toViewCos, toViewSin); }
        // The distance within which a circle of `radius`, at most `length`
        // from the apex and with coordinates up to `coordinates` in size,
        // must come of the cone to show.
        double room(double radius, double length, double coordinates) const
        {
            return radius * (1 + 1e-12) + length * (4 * angleSlack + 1e-12) + 1e-12 * (1 + coordinates);
        }
        // Whether the point q (in camera axes) lies within `room` of the cone,
        // convex since it is narrower than pi; q is folded onto the upper half.
        bool near(const Vector& q, double room) const
        {
            const double y = q.y < 0 ? -q.y : q.y;
            if (y * halfCos <= q.x * halfSin)
                return true;
            const double along = q.x * halfCos + y * halfSin;
            if (along > 0) {
                const double off = q.x * halfSin - y * halfCos;
                return (off < 0 ? -off : off) <= room;
            }
            return q.x * q.x + y * y <= room * room;
        }
        // The values of t for which q0 + t*d may pass near(): one interval,
        // since the cone widened by `room` is convex; a superset, as each of
        // its parts (the cone, the disc of `room` around the apex, the bands
        // along the two edges) adds its own interval. Empty: low > high.
        std::pair<double, double> span(const Vector& q0, const Vector& d, double room) const;
    };
    ViewCone viewCone() const;
    // The cone of the pixels from `first` to `last`, widened so that whatever
    // can reach one of them lies within it (with the room of ViewCone::near):
    // drawing reaches a pixel from up to one pixel's angle beside its line.
    // Only while viewCone().culls.
    ViewCone pixelCone(std::size_t first, std::size_t last) const;
    // A depth no point of the circle can be drawn nearer than.
    double nearestDepth(const Point& centre, double radius) const;

private:
    // A segment end in camera coordinates, with its bearing.
    struct End {
        Point q;
        double angle = 0;
    };

    End toCamera(const Point& p) const;
    // A distance that covers the rounding of differences of points this far out.
    double roundingRoom(const Point& p) const;
    // Both take `plot(k, depth, colour)`, which decides whether pixel k takes
    // the candidate: the depth test in order, or the ordered merge.
    template <class Plot>
    void drawSegment(End start, End end, const Texture& texture, const Plot& plot);
    template <class Plot>
    void drawDisc(const PhysicalObject& body, const Point& pos, const Plot& plot);
    template <class PlotForEdge>
    void drawPolygon(const PhysicalObject& body, const PlotForEdge& plotForEdge);

    // Fixed for one step, computed in init.
    double viewCos = 1;     // cos(-absOrientation)
    double viewSin = 0;     // sin(-absOrientation)
    double pixelAngle = 0;  // angle between neighbouring pixels
    double pixelTan = 0;    // tan(pixelAngle)
    std::vector<End> ends;  // a polygon's vertices; grows to the largest polygon seen
    // Ordered drawing: per pixel, the order (plus one) and edge of what it
    // shows, in one key; 0 while it shows nothing.
    std::vector<std::uint64_t> shownKey;
    double farthestShown = 0;
    // Culling: whether the view is narrow enough to cull by (a convex cone),
    // the sine and cosine of its half angle, and the relative slack that
    // covers the rounding of the angles objectStep computes.
    bool cullsByView = false;
    double halfSin = 0;
    double halfCos = 0;
    double angleSlack = 0;
};

} // namespace Fen
