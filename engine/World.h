#pragma once
#include <array>
#include <vector>
#include "engine/Color.h"

namespace Fen {

class PhysicalObject;

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

    World(double width, double height);
    World(const World&) = delete;
    World& operator=(const World&) = delete;
    // Destroys every body still listed; owners empty the list first.
    virtual ~World();

    void addObject(PhysicalObject* object);
    void removeObject(PhysicalObject* object);
    void step(double dt);

    void collideObjects(PhysicalObject& first, PhysicalObject& second);
    void collideWithWalls(PhysicalObject& object);
};

} // namespace Fen
