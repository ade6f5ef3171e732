#pragma once
#include <cstdint>
#include <unordered_set>
#include <vector>
#include "engine/BodyGrid.h"
#include "engine/CoverageCell.h"
#include "engine/PhysicalObject.h"
#include "engine/Vector.h"

namespace Tarn {
class StateArchive;
}

namespace Fen {

class NeuralRobot;
class World;

// What a robot has done in a run, added up frame by frame: the measures a
// sweep reports and a learner is rewarded by. Frame 0 is the robot where it
// stood when the run started; addFrame comes after every frame.
//
// - distance: the path of the robot's centre, frame by frame, added in order.
// - coverage: distinct cells its centre has been in, frame 0 included, on a
//   grid of square cells as wide as the robot (twice its radius), anchored
//   at the arena's origin: cell (floor(x / side), floor(y / side)).
// - contact frames: frames at whose end the robot touches a wall or a body.
//   A wall: when walls are on, a disc robot whose circle reaches a wall or
//   beyond (x - r <= 0, y - r <= 0, x + r >= width or y + r >= height), a
//   polygon robot with a vertex on a wall or beyond. A body: the world's own
//   contact test between them, made on copies as the next step would make it,
//   finds a contact (for two discs, circles that meet, touching included;
//   with a polygon, a vertex or edge within the other).
// - stuck: the share of frames, from stuckSeconds on, at which the robot is
//   less than stuckDistance from where it was stuckSeconds before (frames
//   counted as framesIn counts them (engine/FrameCount.h), at least one);
//   0 while the run is shorter.
// - avoid: the mean over the frames of V * (1 - sqrt(dV)) * (1 - i), each
//   factor in [0, 1]: V the mean of the two wheel speeds' magnitudes over
//   the top wheel speed, 2 * robotSpeed (forward with both turns); dV the
//   wheel speeds' absolute difference over robotSpeed, the most the commands
//   give;
//   i the highest infrared reading over topReading, the most a one-ray
//   sensor reads (1100 times the noise factor's 1.07), at most 1. The wheel
//   speeds are those the commands set, before the wheel noise.
class RunMetrics {
public:
    static constexpr double stuckSeconds = 5.0;
    static constexpr double stuckDistance = 0.5;
    static constexpr double topReading = 1100 * 1.07;

    // What the last frame added.
    struct Frame {
        double distance = 0;
        double avoid = 0;
        bool newCell = false;
        bool contact = false;
    };

    // Starts a run; frameTime is the frame's length in seconds.
    void start(const NeuralRobot& robot, double frameTime);
    void addFrame(World& world, const NeuralRobot& robot);
    // The frame and its distance alone, added as addFrame adds them, for a
    // run that reads nothing else (korvale-sim): the other measures, whose
    // contact test costs a tenth of a crowded frame, stay as they were.
    void addDistance(const NeuralRobot& robot);
    // addFrame with the contact test already made (`contact`: the robot
    // touches a wall or a body as it stands), for robots of one world whose
    // tests share one grid of the bodies' places.
    void addFrame(const NeuralRobot& robot, bool contact);

    std::int64_t frames() const { return frameCount; }
    double distance() const { return path; }
    std::int64_t coverage() const { return static_cast<std::int64_t>(cells.size()); }
    std::int64_t contactFrames() const { return contacts; }
    double stuck() const;
    // Whether the run has reached the stuck window, so that stuck() judges
    // frames rather than reporting 0 for a run too short to judge.
    bool stuckMeasured() const { return windowFrames > 0; }
    double avoid() const { return frameCount == 0 ? 0.0 : avoidSum / static_cast<double>(frameCount); }
    const Frame& lastFrame() const { return last; }
    // The frames from which stuck counts, as round(stuckSeconds / frameTime).
    std::int64_t stuckWindow() const { return window; }

    // The avoid value of the robot as it stands after a frame.
    static double avoidValue(const NeuralRobot& robot);
    // Whether a body as it stands touches a wall, and which body of the
    // world it touches (the first in the list, none if none), leaving out
    // `self`: the contact frames' tests, one body at a time.
    static bool touchesWall(const World& world, const PhysicalObject& body);
    static const PhysicalObject* bodyTouched(World& world, const PhysicalObject& body, const PhysicalObject* self);
    // Whether the two touch, by the world's contact test on copies (the
    // copies are scratch space, so that a caller can keep them).
    static bool contact(World& world, const PhysicalObject& a, const PhysicalObject& b, PhysicalObject& copyA,
                        PhysicalObject& copyB);
    // A copy of a body's shape and place, for contact tests that must not move it.
    static void copyShape(const PhysicalObject& from, PhysicalObject& to);

    void archive(Tarn::StateArchive& archive);

private:
    CoverageCell cellOf(const Point& p) const;
    // Whether the robot touches a wall or a body as it stands (see above).
    bool touches(World& world, const NeuralRobot& robot);
    // Brings the grid of the bodies' places up to date after a step.
    void updatePlaces(const World& world, const NeuralRobot& robot);
    void place(const World& world, std::uint32_t body);

    std::int64_t frameCount = 0;
    double path = 0;
    Point lastPos;
    double side = 1;
    CoverageCells cells;
    std::int64_t contacts = 0;
    double avoidSum = 0;
    std::int64_t window = 1;
    std::vector<Point> history; // the last `window` positions, frame k at k % window
    std::int64_t stuckFrames = 0;
    std::int64_t windowFrames = 0;
    Frame last;

    PhysicalObject robotCopy;
    PhysicalObject bodyCopy;

    // The bodies' bounding boxes in a grid, so that the contact test visits
    // only bodies near the robot; after each step only the bodies the step
    // may have changed are placed again.
    BodyGrid places;
    bool placesKnown = false;
    std::size_t placedBodies = 0;
    const PhysicalObject* placedRobot = nullptr; // left out of the grid
    std::vector<std::uint32_t> changed;
    std::vector<std::uint32_t> near;
    std::vector<std::uint32_t> stamps;
    std::uint32_t stamp = 0;
};

} // namespace Fen
