#pragma once
#include <vector>
#include "engine/PhysicalObject.h"

namespace Fen {

class LocalInteraction;
class GlobalInteraction;

// A body that carries sensors (local interactions), called for every other
// body and for the walls during the world's step.
class Robot : public PhysicalObject {
public:
    std::vector<LocalInteraction*> localInteractions;   // by decreasing r; not owned
    std::vector<GlobalInteraction*> globalInteractions; // not owned; empty

    void initInteractions() override;
    void interactWithObject(World& world, PhysicalObject& other, double dt, bool firstOfPair) override;
    void interactWithWalls(World& world) override;
    void finalizeInteractions(double dt) override;
    void doGlobalInteractions(World& world, double dt) override;

    // Appends and keeps the list sorted by decreasing radius; equal radii keep
    // the order in which they were added.
    void addLocalInteraction(LocalInteraction* interaction);
    // Appends without sorting, for a caller that adds many interactions and
    // then sorts once: sorting after each one makes n additions cost n sorts.
    void appendLocalInteraction(LocalInteraction* interaction);
    // Sorts by decreasing radius; equal radii keep the order of adding.
    void sortLocalInteractions();
    // Takes an interaction out of the list (first occurrence); nothing if absent.
    void removeLocalInteraction(LocalInteraction* interaction);
};

} // namespace Fen
