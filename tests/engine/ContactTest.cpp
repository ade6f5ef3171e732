// Contacts between bodies: detection, resolution by mass, and pair order.
#include <gtest/gtest.h>

#include <cmath>
#include "EngineFixtures.h"

using namespace Fen;
using FenTest::box;
using FenTest::disc;
using FenTest::Scene;

namespace {
double distance(const PhysicalObject& a, const PhysicalObject& b) { return (a.pos - b.pos).norm(); }
bool finite(const Point& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
} // namespace

TEST(DiscContact, TouchingCirclesAreAContactWithZeroShift)
{
    Scene scene;
    auto& a = scene.add(disc({10, 10}, 1, 1));
    auto& b = scene.add(disc({12, 10}, 1, 1));
    a.collisionAngularFrictionFactor = 1;
    a.angSpeed = 5;
    b.angSpeed = 5;
    scene.world.collideObjects(a, b);
    // The contact assigns the angular speeds (here 0: the contact point lies on the centre line).
    EXPECT_EQ(a.angSpeed, 0);
    EXPECT_EQ(b.angSpeed, 0);
    EXPECT_EQ(a.collisionShift, Vector(0, 0));

    b.pos.x = 12.0001;
    a.angSpeed = 5;
    scene.world.collideObjects(a, b);
    EXPECT_EQ(a.angSpeed, 5);
}

TEST(DiscContact, ImmovableDiscPushesOutAtOnceAlongTheCentreLine)
{
    for (const bool movableFirst : {true, false}) {
        Scene scene;
        auto& fixed = scene.add(disc({10, 10}, 1, -1));
        auto& moving = scene.add(disc({11.2, 10.9}, 1, 1));
        const Vector direction = (moving.pos - fixed.pos).unitary();
        if (movableFirst)
            scene.world.collideObjects(moving, fixed);
        else
            scene.world.collideObjects(fixed, moving);
        EXPECT_NEAR(distance(moving, fixed), 2, 1e-12);
        EXPECT_NEAR((moving.pos - fixed.pos).unitary().dot(direction), 1, 1e-12);
        EXPECT_EQ(fixed.pos, Point(10, 10));
        EXPECT_EQ(moving.collisionShift, Vector(0, 0));
    }
}

TEST(DiscContact, TwoImmovableDiscsStayPut)
{
    Scene scene;
    auto& a = scene.add(disc({10, 10}, 1, -1));
    auto& b = scene.add(disc({11, 10}, 1, -2));
    scene.step(0.1);
    EXPECT_EQ(a.pos, Point(10, 10));
    EXPECT_EQ(b.pos, Point(11, 10));
}

TEST(DiscContact, EqualMassesShareTheOverlap)
{
    Scene scene;
    auto& a = scene.add(disc({10, 10}, 1, 2));
    auto& b = scene.add(disc({11.5, 10}, 1, 2));
    scene.world.collideObjects(a, b);
    EXPECT_DOUBLE_EQ(a.collisionShift.x, -0.25);
    EXPECT_DOUBLE_EQ(b.collisionShift.x, 0.25);
    // Shifts wait for the end of the step.
    EXPECT_EQ(a.pos, Point(10, 10));

    scene.step(0.1);
    EXPECT_NEAR(a.pos.x, 9.75, 1e-12);
    EXPECT_NEAR(b.pos.x, 11.75, 1e-12);
}

TEST(DiscContact, HeavierBodyMovesLess)
{
    Scene scene;
    auto& light = scene.add(disc({10, 10}, 1, 1));
    auto& heavy = scene.add(disc({11, 10}, 1, 3));
    scene.step(0.1);
    EXPECT_NEAR(light.pos.x, 10 - 0.75, 1e-12);
    EXPECT_NEAR(heavy.pos.x, 11 + 0.25, 1e-12);
}

TEST(DiscContact, MasslessPairSharesTheShiftEqually)
{
    Scene scene;
    auto& a = scene.add(disc({10, 10}, 1, 0));
    auto& b = scene.add(disc({11, 10}, 1, 0));
    a.collisionAngularFrictionFactor = 1;
    scene.world.collideObjects(a, b);
    EXPECT_DOUBLE_EQ(a.collisionShift.x, -0.5);
    EXPECT_DOUBLE_EQ(b.collisionShift.x, 0.5);
    EXPECT_FALSE(std::isnan(a.angSpeed));
    EXPECT_FALSE(std::isnan(b.angSpeed));
    scene.step(0.1);
    EXPECT_TRUE(finite(a.pos));
    EXPECT_NEAR(distance(a, b), 2, 1e-12);
}

TEST(DiscContact, ConcentricAndPointDiscsGiveNoNaN)
{
    Scene scene;
    auto& a = scene.add(disc({10, 10}, 1, 1));
    auto& b = scene.add(disc({10, 10}, 1, 1));
    auto& c = scene.add(disc({30, 30}, 0, 0));
    auto& d = scene.add(disc({30, 30}, 0, 0));
    a.collisionAngularFrictionFactor = 1;
    c.collisionAngularFrictionFactor = 1;
    scene.step(0.1);
    for (const PhysicalObject* body : {&a, &b, &c, &d}) {
        EXPECT_TRUE(finite(body->pos));
        EXPECT_FALSE(std::isnan(body->angle));
    }
}

TEST(DiscPolygonContact, EdgeContactPushesTheDiscOut)
{
    Scene scene;
    auto& square = scene.add(box({10, 10}, 1, 1, -1));
    auto& ball = scene.add(disc({10.3, 11.5}, 1, 1));
    scene.step(0.1);
    EXPECT_NEAR(ball.pos.x, 10.3, 1e-12);
    EXPECT_NEAR(ball.pos.y, 12, 1e-12);
    EXPECT_EQ(square.pos, Point(10, 10));
}

TEST(DiscPolygonContact, VertexContactPushesThePolygonAway)
{
    Scene scene;
    auto& ball = scene.add(disc({11.5, 11.6}, 1, -1));
    auto& square = scene.add(box({10, 10}, 1, 1, 1));
    square.initInteractions();
    const Vector corner = Point{11, 11} - ball.pos;
    scene.world.collideObjects(ball, square);
    const Point newCorner = square.pos + Vector{1, 1};
    EXPECT_NEAR((newCorner - ball.pos).norm(), 1, 1e-12);
    // Straight away from the disc's centre.
    EXPECT_NEAR((newCorner - ball.pos).unitary().dot(corner.unitary()), 1, 1e-12);
}

TEST(DiscPolygonContact, VertexOnTheDiscCentreGivesNoNaN)
{
    Scene scene;
    auto& ball = scene.add(disc({11, 11}, 1, -1));
    auto& square = scene.add(box({10, 10}, 1, 1, 1));
    square.initInteractions();
    scene.world.collideObjects(ball, square);
    EXPECT_TRUE(finite(square.pos));
    // Pushed along the line between the centres, by the disc's radius.
    EXPECT_NEAR(square.pos.x, 10 - std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(square.pos.y, 10 - std::sqrt(0.5), 1e-12);
}

TEST(DiscPolygonContact, FarDiscInsideTheBoundingCircleIsNoContact)
{
    Scene scene;
    scene.add(box({10, 10}, 1, 1, -1));
    auto& ball = scene.add(disc({10.2, 12.2}, 1, 1));
    scene.step(0.1);
    EXPECT_EQ(ball.pos, Point(10.2, 12.2));
}

TEST(PolygonContact, DeepestVertexSeparatesTheBodies)
{
    Scene scene;
    auto& fixed = scene.add(box({10, 10}, 1, 1, -1));
    auto& moving = scene.add(box({11.8, 10.5}, 1, 1, 1));
    scene.step(0.1);
    EXPECT_EQ(fixed.pos, Point(10, 10));
    EXPECT_NEAR(moving.pos.x, 12, 1e-12);
    EXPECT_NEAR(moving.pos.y, 10.5, 1e-12);
}

TEST(PolygonContact, VertexMoreThanTenUnitsInsideGivesNoEscape)
{
    Scene scene;
    scene.add(box({50, 50}, 20, 20, -1));
    auto& inner = scene.add(box({50, 50}, 1, 1, 1));
    scene.step(0.1);
    EXPECT_EQ(inner.pos, Point(50, 50));

    // Near an edge of the large one, the small one is pushed out.
    inner.pos = Point{69.5, 50};
    scene.step(0.1);
    EXPECT_NEAR(inner.pos.x, 71, 1e-12);
}

TEST(PairOrder, FlagAlternatesTheArgumentOrder)
{
    // The two squares penetrate each other equally deep, so the first argument
    // of the contact wins the tie, and only its angular factor is used.
    const auto firstStep = [](bool flag) {
        Scene scene;
        auto& a = scene.add(box({10, 10}, 1, 1, 1));
        auto& b = scene.add(box({11.8, 10.5}, 1, 1, 1));
        a.collisionAngularFrictionFactor = 1;
        a.viscousMomentFrictionTau = 1e9;
        b.viscousMomentFrictionTau = 1e9;
        scene.world.pairOrderFlag = flag;
        scene.step(0.01);
        EXPECT_EQ(scene.world.pairOrderFlag, !flag);
        return a.angSpeed;
    };
    EXPECT_NE(firstStep(true), 0);
    EXPECT_EQ(firstStep(false), 0);
}

TEST(PairOrder, ImmovableContactsActBeforeLaterPairs)
{
    // A fixed disc, then two movable ones: the first is pushed out at once and
    // then shares its overlap with the second from the moved position.
    Scene fixedFirst;
    fixedFirst.add(disc({10, 10}, 1, -1));
    auto& a1 = fixedFirst.add(disc({11.8, 10}, 1, 1));
    auto& b1 = fixedFirst.add(disc({13.5, 10}, 1, 1));
    fixedFirst.step(0.1);
    EXPECT_NEAR(a1.pos.x, 11.75, 1e-12);
    EXPECT_NEAR(b1.pos.x, 13.75, 1e-12);

    // Listed after them, the movable pair is shared out first, from the old position.
    Scene fixedLast;
    auto& a2 = fixedLast.add(disc({11.8, 10}, 1, 1));
    auto& b2 = fixedLast.add(disc({13.5, 10}, 1, 1));
    fixedLast.add(disc({10, 10}, 1, -1));
    fixedLast.step(0.1);
    EXPECT_NEAR(a2.pos.x, 11.85, 1e-12);
    EXPECT_NEAR(b2.pos.x, 13.65, 1e-12);
}
