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
    // r and collisionShift come before the containers so that every number a
    // step reads of a body sits in its first two cache lines.
    double r = 0;
    Vector collisionShift;
    Polygone boundingSurface;
    Polygone absBoundingSurface;
    Color color;
    Textures textures;

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
    // Cosine and sine are taken again only when the angle has changed: a body
    // at rest keeps the very same values, so its polygon costs no trigonometry.
    void computeAbsBoundingSurface();
    void applyContactFriction(const Vector& n);
    void collideWithStatic(const Vector& normalX, const Vector& normalY, const Vector& shift);
    void collideWithObject(PhysicalObject& that, const Point& point, const Vector& shift);

private:
    // The angle of the last computeAbsBoundingSurface and its cosine and sine.
    double trigAngle = 0;
    double trigCos = 1;
    double trigSin = 0;
};

} // namespace Fen
