#pragma once
#include <cstdint>
#include <vector>
#include "engine/BodyGrid.h"
#include "engine/PairLists.h"
#include "engine/StepThreads.h"
#include "engine/Vector.h"

namespace Fen {

class CircularCam;
class IRSensor;
class PhysicalObject;
class Robot;
class World;

// The world's step without visiting every pair of bodies, with the all-pairs
// step's result to the bit. BroadPhase.cpp explains why the pairs and bodies
// it leaves out could not have changed anything.
class BroadPhase {
public:
    // Steps the world; false when the world holds something this step does
    // not handle, having done nothing then but prepare some bodies, which the
    // all-pairs step does again the same way.
    // declined: nothing done but preparing some bodies, which the all-pairs
    // step does again the same way; whole: stepped; stopped: stopped as
    // World::beginStep does, before the decider's step, at list index `at`.
    enum class Outcome { declined, whole, stopped };
    Outcome step(World& world, double dt, const PhysicalObject* decider, std::size_t& at);
    // The bodies' own operations from list index `from` on (the body there
    // already prepared when from == prepared), stopping before the decider's
    // step; returns whether it stopped, and where in `from`'s place.
    bool finishStep(World& world, double dt, std::size_t from, const PhysicalObject* decider,
                    std::size_t prepared, std::size_t* at = nullptr);
    // The world was stepped without this: start afresh next time.
    void forget() { known = false; }
    // Threads that draw the cameras (1: the caller alone); any count gives
    // the same images to the bit.
    void setThreads(unsigned count) { threads.resize(count); }
    unsigned threadCount() const { return threads.size(); }
    // After a step it took: appends the index of every body the step may
    // have moved or changed; a body left out is as the step found it.
    void appendChanged(std::vector<std::uint32_t>& out) const;

private:
    // Per body, by its index in the world's list.
    // What the pre-pass reads of a body's record, in one cache line.
    struct alignas(64) Spot {
        Point at; // position when the pair phase starts
        double r = 0; // radius then (and when it was placed)
        double angle = 0; // angle then
        Point centre; // the fat circle: the body's circle grown by a margin
        double room2 = 0; // squared distance it may move and stay inside
        std::uint32_t polygonVersion = 0; // its absBoundingSurfaceVersion then
        bool movable : 1 = false;
        bool disc : 1 = false;
        // For the camera: its cells may not hold all of it, since its fat box
        // reaches past the grid, or its polygon past its radius.
        bool outsider : 1 = false;
        bool misfit : 1 = false;
        bool shrinkable : 1 = false; // at rest, it would be placed with a smaller margin
        // Placed as it was, at `at` inside its fat circle and not shrinkable:
        // found where it was, unchanged, it stays placed.
        bool settled : 1 = false;
    };
    // What only placing a body needs.
    struct Proxy {
        double margin = 0;
        double lastMove = 0; // distance moved in the step before
    };
    enum Flag : std::uint8_t {
        isRobot = 1,
        resting = 2, // its own operations of this step change nothing
        moved = 4, // a contact moved it during the pair phase
        touched = 8, // a contact changed it during the pair phase
    };
    // A robot met a body in the pair phase; its sensors see it afterwards.
    struct Sighting {
        std::uint32_t body;
        std::uint32_t sensors; // how many of its sensors, in list order, met it
        Point at; // where the body stood then
    };
    struct RobotInfo {
        std::uint32_t index = 0;
        Robot* robot = nullptr;
        std::vector<IRSensor*> sensors;
        std::vector<CircularCam*> cameras;
        std::vector<std::uint32_t> candidates; // sorted: bodies its sensors may see
        std::vector<Sighting> sightings; // in event order
        double span = 0; // how far its sensors reach from its fat circle's centre
    };
    struct Before {
        Point pos;
        double angSpeed;
        Vector collisionShift;
    };
    // A contact moved a body in the pair phase: where it stood before the event.
    struct Move {
        std::uint32_t body;
        std::uint64_t key;
        Point before;
    };
    // What one thread keeps for itself: stamps for visiting each body once
    // per query.
    struct alignas(64) Scratch {
        std::vector<std::uint32_t> stamps;
        std::uint32_t stamp = 0;
        std::uint32_t next();
    };

    bool prepare(World& world, double dt);
    void nextStamp();
    double minimumMargin(double r) const;
    bool within(const Point& p) const;
    bool describeRobot(Robot& robot, std::uint32_t index);
    void rebuild(const World& world);
    void reserveLists();
    void place(std::uint32_t i, double margin);
    void linkPairs(std::uint32_t i, bool laterOnly);
    void findCandidates(RobotInfo& info, Scratch& own) const;
    void listCandidates();
    void prepareScratch();
    bool mayBeSeen(const RobotInfo& info, std::uint32_t body) const;
    void pairPhase(World& world, double dt);
    void visitTheRest(World& world, double dt, std::uint32_t i, std::uint32_t j);
    // Whether the event may have changed anything: false when a plain body
    // found no contact.
    bool visit(World& world, double dt, std::uint32_t caller, std::uint32_t callee, std::uint64_t key);
    void visitPlainPair(World& world, std::uint32_t caller, std::uint32_t callee, std::uint64_t key,
                        std::uint32_t quietAt);
    bool eventsAsCaller(World& world, double dt, std::uint32_t i);
    bool eventsAsCallee(World& world, double dt, std::uint32_t i);
    std::size_t slotOf(std::uint32_t index) const;
    void settle(std::uint32_t i, const Before& before, std::uint64_t key);
    void addWatcher(std::uint32_t body, std::uint32_t robotIndex);
    void escape(std::uint32_t i);
    void robotEvent(World& world, double dt, std::uint32_t caller, std::uint32_t callee);
    void senseAndDraw();
    void drawCamera(CircularCam& camera, std::uint32_t owner, Scratch& own) const;
    Point seenPosition(std::uint32_t body, std::uint32_t owner) const;
    bool cull(const CircularCam& camera, std::uint32_t i) const;

    bool known = false; // the state below matches the world's list
    std::vector<PhysicalObject*> listed;
    bool duplicates = false;
    double width = 0;
    double height = 0;
    bool pairOrder = true; // the world's flag for this step
    double reach = 0; // bound of every coordinate the step handles
    double absoluteSlack = 0; // far above the rounding of such coordinates
    double cell = 1; // the grid's cell size
    bool exhaustive = false; // a body left the bounds: make every event from here
    std::uint32_t stepNumber = 0; // counts this object's steps, from 1

    std::vector<Spot> spots;
    // Per body, the first step since which its position, radius and polygon
    // have been the same at the start of every step.
    std::vector<std::uint32_t> sameSince;
    std::vector<Proxy> proxies;
    std::vector<std::uint8_t> flags;
    // Per body, the list indices of the robots whose sensors may see it, sorted.
    std::vector<std::vector<std::uint32_t>> watchers;
    std::vector<std::uint64_t> robotBits; // a bit per body that is a robot or watched
    std::vector<std::uint32_t> slotOfBody; // per robot body, its place in `robots`
    std::vector<std::uint8_t> started; // per body, its robot start made on the threads
    std::vector<double> heights; // per body, for the cameras
    std::vector<Move> moves; // in event order, then by body (see drawCameras)
    std::vector<std::uint32_t> firstMove; // per moved body, its first entry in `moves`
    std::vector<std::uint32_t> stamps; // for visiting each body once per query
    std::uint32_t stamp = 0;
    std::vector<std::uint32_t> dirty; // to place again before the pair phase
    std::vector<std::uint32_t> oneByOne; // drawn one by one by the camera
    std::vector<double> radii; // scratch for choosing the cell size

    BodyGrid grid;
    PairLists pairs;
    std::vector<RobotInfo> robots;
    std::size_t robotCount = 0;
    std::vector<std::uint32_t> cameraRobots; // slots in `robots` of the robots with cameras
    // How far a robot's sensors reach from the centre of its fat circle, at most.
    double sensorSpan = 0;
    StepThreads threads;
    std::vector<Scratch> scratch; // one per thread
};

} // namespace Fen
