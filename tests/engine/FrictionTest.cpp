// Integration of a body and its viscous, static and contact friction.
#include <gtest/gtest.h>

#include "engine/Angle.h"
#include "engine/PhysicalObject.h"

using namespace Fen;

TEST(Friction, WithoutTimeConstantsABodyStopsAfterOneStep)
{
    PhysicalObject body;
    body.pos = Point{1, 2};
    body.speed = Vector{3, -4};
    body.angSpeed = 0.5;
    body.step(0.25);
    EXPECT_DOUBLE_EQ(body.pos.x, 1 + 3 * 0.25);
    EXPECT_DOUBLE_EQ(body.pos.y, 2 - 4 * 0.25);
    EXPECT_DOUBLE_EQ(body.angle, 0.125);
    EXPECT_EQ(body.speed, Vector(0, 0));
    EXPECT_EQ(body.angSpeed, 0);
}

TEST(Friction, TimeConstantEqualToStepKeepsAThird)
{
    PhysicalObject body;
    body.speed = Vector{3, 6};
    body.angSpeed = 0.9;
    body.viscousFrictionTau = 0.1;
    body.viscousMomentFrictionTau = 0.1;
    body.step(0.1);
    // The move uses the speed from before friction.
    EXPECT_DOUBLE_EQ(body.pos.x, 0.3);
    EXPECT_DOUBLE_EQ(body.speed.x, 1.0);
    EXPECT_DOUBLE_EQ(body.speed.y, 2.0);
    EXPECT_DOUBLE_EQ(body.angSpeed, 0.3);
}

TEST(Friction, LongTimeConstantKeepsABodyGoing)
{
    PhysicalObject body;
    body.speed = Vector{1, 0};
    body.viscousFrictionTau = 10;
    for (int i = 0; i < 60; ++i)
        body.step(1.0 / 60);
    EXPECT_GT(body.speed.x, 0.9);
    EXPECT_GT(body.pos.x, 0.9);
    EXPECT_LT(body.pos.x, 1.0);
}

TEST(Friction, OnlyTheTurnOfAStepIsWrapped)
{
    PhysicalObject body;
    body.angle = pi - 0.1;
    body.angSpeed = 0.2;
    body.step(1);
    EXPECT_DOUBLE_EQ(body.angle, pi + 0.1);

    PhysicalObject turner;
    turner.angSpeed = 1.5 * pi;
    turner.step(1);
    EXPECT_DOUBLE_EQ(turner.angle, -0.5 * pi);
}

TEST(StaticFriction, ShiftUpToTheThresholdIsDropped)
{
    // Threshold speed 2 over half a second: shifts up to 1 unit are ignored.
    for (const double shift : {0.5, 1.0}) {
        PhysicalObject body;
        body.staticFrictionThreshold = 2;
        body.collisionShift = Vector{shift, 0};
        body.finalizeInteractions(0.5);
        EXPECT_EQ(body.pos, Point(0, 0)) << "shift " << shift;
    }
    PhysicalObject body;
    body.staticFrictionThreshold = 2;
    body.collisionShift = Vector{0, -1.5};
    body.finalizeInteractions(0.5);
    EXPECT_EQ(body.pos, Point(0, -1.5));
}

TEST(StaticFriction, ShiftIsClearedWhenTheNextStepBegins)
{
    PhysicalObject body;
    body.collisionShift = Vector{1, 1};
    body.initInteractions();
    EXPECT_EQ(body.collisionShift, Vector(0, 0));
}

TEST(ContactFriction, SlidingAlongAFloorSpinsTheBody)
{
    PhysicalObject body;
    body.speed = Vector{2, 0};
    body.collisionAngularFrictionFactor = 0.5;
    // Moving along +x on a floor whose normal is +y turns the body clockwise.
    body.applyContactFriction(Vector{0, 1});
    EXPECT_DOUBLE_EQ(body.angSpeed, -1.0);
    // Motion along the normal gives no spin.
    body.applyContactFriction(Vector{1, 0});
    EXPECT_DOUBLE_EQ(body.angSpeed, -1.0);
}

TEST(ContactFriction, StaticContactAppliesBothNormalsThenMoves)
{
    PhysicalObject body;
    body.speed = Vector{1, 1};
    body.collisionAngularFrictionFactor = 1;
    body.collideWithStatic(Vector{1, 0}, Vector{0, 1}, Vector{0.5, 0.25});
    // (1*0 - 1*1) and (1*1 - 1*0) cancel.
    EXPECT_DOUBLE_EQ(body.angSpeed, 0.0);
    EXPECT_EQ(body.pos, Point(0.5, 0.25));
}
