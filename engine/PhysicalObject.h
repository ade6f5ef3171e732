#pragma once
#include "engine/Color.h"
#include "engine/Polygone.h"
#include "engine/Vector.h"

namespace Fen {

class World;

// A rigid body of the arena: a disc of radius r, or a convex polygon whose
// bounding circle has radius r. A negative mass makes it immovable.
class PhysicalObject {
public:
    Point pos;
    double height = 0;
    double angle = 0;
    Vector speed;
    double angSpeed = 0;
    double mass = 0;
    double staticFrictionThreshold = 0;
    double viscousFrictionTau = 0;
    double viscousMomentFrictionTau = 0;
    double collisionAngularFrictionFactor = 0;
    bool hasBoundingSurface = false;
    Polygone boundingSurface;
    Polygone absBoundingSurface;
    double r = 0;
    Color color;
    Textures textures;
    Vector collisionShift;

    PhysicalObject() = default;
    PhysicalObject(const PhysicalObject&) = default;
    PhysicalObject& operator=(const PhysicalObject&) = default;
    virtual ~PhysicalObject() = default;

    virtual void step(double dt);
    virtual void initInteractions();
    virtual void interactWithObject(World& world, PhysicalObject& other, double dt, bool firstOfPair);
    virtual void interactWithWalls(World& world);
    virtual void finalizeInteractions(double dt);
    virtual void postInitHook() {}
    virtual void doGlobalInteractions(World& world, double dt);
    virtual void preStepHook() {}

    void setBoundingSurface(const Polygone& polygon);
    void computeAbsBoundingSurface();
    void applyContactFriction(const Vector& n);
    void collideWithStatic(const Vector& normalX, const Vector& normalY, const Vector& shift);
    void collideWithObject(PhysicalObject& that, const Point& point, const Vector& shift);
};

} // namespace Fen
