#pragma once
#include <bit>
#include <cstdint>
#include "engine/Color.h"
#include "engine/Polygone.h"
#include "engine/Vector.h"

namespace Fen {

class World;

// A rigid body of the arena: a disc of radius r, or a convex polygon whose
// bounding circle has radius r. A negative mass makes it immovable.
class PhysicalObject {
public:
    // The numbers a world step reads of every body come first, so that they
    // share as few cache lines as can be: crowded worlds are bound by memory.
    Point pos;
    double angle = 0;
    Vector speed;
    double angSpeed = 0;
    double mass = 0;
    double viscousFrictionTau = 0;
    double viscousMomentFrictionTau = 0;
    double r = 0;
    Vector collisionShift;
    bool hasBoundingSurface = false;

private:
    // What absBoundingSurface was last computed from: position and angle
    // and, while absValid, the same boundingSurface.
    bool absValid = false;
    std::uint32_t absVersion = 0;
    Point absPos;
    double absAngle = 0;

public:
    double height = 0;
    double staticFrictionThreshold = 0;
    double collisionAngularFrictionFactor = 0;

private:
    double absCos = 1; // of absAngle
    double absSin = 0;

    // Compared bit for bit, so that -0 and every NaN count as their own values.
    static bool same(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }
    // Reads only numbers next to the ones a step reads anyway, not the
    // containers: setBoundingSurface is what changes the polygon.
    bool absFresh() const
    {
        return absValid && same(angle, absAngle) && same(pos.x, absPos.x) && same(pos.y, absPos.y);
    }
    void computeAbsBoundingSurfaceAnew();

public:
    // Set through setBoundingSurface; absBoundingSurface is the engine's own.
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
    // Works only when position, angle or polygon have changed since it last
    // did, and takes cosine and sine again only for a new angle: a body at
    // rest keeps the very same numbers without touching its polygons.
    void computeAbsBoundingSurface()
    {
        if (hasBoundingSurface && !absFresh())
            computeAbsBoundingSurfaceAnew();
    }
    // Changes whenever absBoundingSurface is computed anew or the polygon set.
    std::uint32_t absBoundingSurfaceVersion() const { return absVersion; }
    // The numbers were set from outside (a restored state, a copied polygon):
    // the next computeAbsBoundingSurface works them out anew.
    void forgetAbsBoundingSurface()
    {
        absValid = false;
        ++absVersion;
    }
    void applyContactFriction(const Vector& n);
    void collideWithStatic(const Vector& normalX, const Vector& normalY, const Vector& shift);
    void collideWithObject(PhysicalObject& that, const Point& point, const Vector& shift);
};

} // namespace Fen
