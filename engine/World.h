#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>
#include "engine/Color.h"

namespace Fen {

class BroadPhase;
class PhysicalObject;

// How a step finds the pairs of bodies that interact. Both ways give the same
// result to the bit; the all-pairs loop is the plain statement of it, the
// broad phase skips pairs that cannot interact (BroadPhase.cpp says why).
enum class PairSearch {
    automatic, // the broad phase from broadPhaseFrom bodies on
    allPairs,
    broadPhase,
};

// The rectangular arena [0, width] x [0, height], optionally walled, and the
// whole physics of one time step.
class World {
public:
    bool pairOrderFlag = true;
    std::vector<PhysicalObject*> objects;  // referenced, in insertion order
    bool useWalls = true;
    double width;
    double height;
    std::array<Texture, 4> wallTextures;   // bottom, right, top, left
    PairSearch pairSearch = PairSearch::automatic;
    // Below this many bodies the all-pairs loop is as quick.
    static constexpr std::size_t broadPhaseFrom = 12;

    World(double width, double height);
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    // Destroys every body still listed; owners empty the list first.
    virtual ~World();

    void addObject(PhysicalObject* object);
    void removeObject(PhysicalObject* object);
    void step(double dt);
    // The same step in two halves, for a learner that chooses the commands
    // where a control would: beginStep stops just before `decider` takes its
    // step (every interaction in, its sensors read, its control not yet
    // asked) and returns true; finishStep takes the step on from there. With
    // no decider, or one not in the list, the step is whole and it returns false.
    bool beginStep(double dt, const PhysicalObject* decider);
    void finishStep();
    bool stepBegun() const { return paused.begun; }

    // Whether it found a contact (and resolved it).
    bool collideObjects(PhysicalObject& first, PhysicalObject& second);
    void collideWithWalls(PhysicalObject& object);
    // Drops the part of the body's collision shift that would take its
    // outline past a wall, or farther past one than it already is: a body
    // thrown out of a deep overlap must not carry it through the wall. Called
    // after the body's wall contact; a shift that stays inside is untouched.
    void holdShiftAtWalls(PhysicalObject& object) const;

    // How the last step went: whether the broad phase took it, and how many
    // interactWithObject calls it made (the all-pairs loop makes n(n-1)).
    bool lastStepUsedBroadPhase() const { return broadLastStep; }
    // Replaces `out` with the list index of every body the last step may
    // have moved or changed: all of them unless the broad phase took the
    // step, which knows the bodies it left as they were.
    void bodiesChangedInLastStep(std::vector<std::uint32_t>& out) const;
    // The bodies were set from outside (a restored state): the next step
    // finds its pairs afresh instead of from what the last step left.
    void forgetPairCaches();
    // A begun step is dropped, as when a restored state replaces the bodies.
    void abandonStep();
    std::size_t lastStepVisits() const { return visitsLastStep; }
    // Threads a step shares its independent work with (1, the default: the
    // caller alone). Any count gives the same run to the bit.
    void setThreads(unsigned count);
    unsigned threads() const;

private:
    friend class BroadPhase;
    bool stepAllPairs(double dt, const PhysicalObject* decider);
    bool stepBodies(std::size_t from, bool firstPrepared, double dt, const PhysicalObject* decider);

    // Where a begun step stopped: the decider's index, and who takes it on.
    struct Paused {
        bool begun = false;
        bool broad = false;
        double dt = 0;
        std::size_t at = 0;
    };
    Paused paused;

    bool broadLastStep = false;
    std::size_t visitsLastStep = 0;

    std::unique_ptr<BroadPhase> broadPhase;
};

} // namespace Fen
