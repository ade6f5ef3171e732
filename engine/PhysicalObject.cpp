#include "engine/PhysicalObject.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include "engine/Angle.h"
#include "engine/World.h"

namespace Fen {

void PhysicalObject::step(double dt)
{
    pos = pos + speed * dt;
    // Only this step's turn is wrapped; the angle itself may leave [-pi, pi].
    angle = angle + normalizeAngle(angSpeed * dt);
    if (dt > viscousFrictionTau)
        speed = Vector{0, 0};
    else
        speed = speed * (viscousFrictionTau - dt / 2) / (viscousFrictionTau + dt / 2);
    if (dt > viscousMomentFrictionTau)
        angSpeed = 0;
    else
        angSpeed = angSpeed * (viscousMomentFrictionTau - dt / 2) / (viscousMomentFrictionTau + dt / 2);
}

void PhysicalObject::initInteractions()
{
    collisionShift = Vector{0, 0};
    computeAbsBoundingSurface();
}

void PhysicalObject::interactWithObject(World& world, PhysicalObject& other, double /*dt*/, bool firstOfPair)
{
    if (!firstOfPair)
        return;
    if (world.pairOrderFlag)
        world.collideObjects(*this, other);
    else
        world.collideObjects(other, *this);
}

void PhysicalObject::interactWithWalls(World& world) { world.collideWithWalls(*this); }

void PhysicalObject::finalizeInteractions(double dt)
{
    // Shifts below the static-friction threshold (as a distance per step) are dropped.
    const double threshold = staticFrictionThreshold * dt;
    if (collisionShift.x * collisionShift.x + collisionShift.y * collisionShift.y > threshold * threshold)
        pos = pos + collisionShift;
}

void PhysicalObject::doGlobalInteractions(World& /*world*/, double /*dt*/) {}

void PhysicalObject::setBoundingSurface(const Polygone& polygon)
{
    hasBoundingSurface = true;
    boundingSurface = polygon;
    r = 0;
    for (const Point& v : boundingSurface) {
        const double distance = v.norm();
        if (distance > r)
            r = distance;
    }
    // The textures take the colour of this moment; a later colour does not reach them.
    textures.assign(boundingSurface.size(), Texture{color});
    absValid = false;
    ++absVersion;
}

void PhysicalObject::computeAbsBoundingSurfaceAnew()
{
    const bool sameAngle = same(angle, absAngle);
    if (!sameAngle) {
        absAngle = angle;
        absCos = std::cos(angle);
        absSin = std::sin(angle);
    }
    absPos = pos;
    absValid = true;
    ++absVersion;
    absBoundingSurface.resize(boundingSurface.size());
    const double c = absCos;
    const double s = absSin;
    for (std::size_t i = 0; i < boundingSurface.size(); ++i) {
        const Point& v = boundingSurface[i];
        absBoundingSurface[i] = Point{pos.x + v.x * c - v.y * s, pos.y + v.x * s + v.y * c};
    }
}

void PhysicalObject::applyContactFriction(const Vector& n)
{
    angSpeed = angSpeed - (speed.x * n.y - speed.y * n.x) * collisionAngularFrictionFactor;
}

void PhysicalObject::collideWithStatic(const Vector& normalX, const Vector& normalY, const Vector& shift)
{
    applyContactFriction(normalX);
    applyContactFriction(normalY);
    pos = pos + shift;
}

void PhysicalObject::collideWithObject(PhysicalObject& that, const Point& point, const Vector& shift)
{
    if (mass < 0) {
        if (that.mass < 0)
            return;
        const Vector n = shift.unitary();
        that.applyContactFriction(-n);
        that.pos = that.pos - shift;
        return;
    }
    if (that.mass < 0) {
        applyContactFriction(shift.unitary());
        pos = pos + shift;
        return;
    }
    // Both movable: the shift is shared out by mass and applied at the end of
    // the step. Two massless bodies share it equally instead of dividing by 0.
    const double m1 = mass;
    const double m2 = that.mass;
    const double M = m1 + m2;
    const double k = collisionAngularFrictionFactor;
    const double c = (point.x - pos.x) * (point.y - that.pos.y) - (point.y - pos.y) * (point.x - that.pos.x);
    if (M == 0) {
        angSpeed = c * 0.5 * k;
        that.angSpeed = -c * 0.5 * k;
        collisionShift = collisionShift + shift * 0.5;
        that.collisionShift = that.collisionShift - shift * 0.5;
        return;
    }
    angSpeed = c * (m2 / M) * k;
    that.angSpeed = -c * (m1 / M) * k;
    collisionShift = collisionShift + shift * m2 / M;
    that.collisionShift = that.collisionShift - shift * m1 / M;
}

} // namespace Fen
