// Contacts with the four walls of the arena.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include "EngineFixtures.h"
#include "engine/Angle.h"
#include "engine/LocalInteraction.h"
#include "engine/Robot.h"

using namespace Fen;
using FenTest::box;
using FenTest::disc;
using FenTest::Scene;

TEST(Walls, DiscInTheCornerGetsBothShiftsAtOnce)
{
    Scene scene(20, 10);
    auto& ball = scene.add(disc({0.5, 0.25}, 1, 1));
    scene.world.collideWithWalls(ball);
    EXPECT_EQ(ball.pos, Point(1, 1));

    ball.pos = Point{19.5, 9.75};
    scene.world.collideWithWalls(ball);
    EXPECT_EQ(ball.pos, Point(19, 9));
}

TEST(Walls, DiscStrictlyInsideIsLeftAlone)
{
    Scene scene(20, 10);
    auto& ball = scene.add(disc({1.0001, 8.9999}, 1, 1));
    ball.speed = Vector{1, 1};
    ball.collisionAngularFrictionFactor = 1;
    scene.world.collideWithWalls(ball);
    EXPECT_EQ(ball.pos, Point(1.0001, 8.9999));
    EXPECT_EQ(ball.angSpeed, 0);
}

TEST(Walls, SlidingAlongTheFloorSpins)
{
    Scene scene(20, 10);
    auto& ball = scene.add(disc({5, 0.5}, 1, 1));
    ball.speed = Vector{2, 0};
    ball.collisionAngularFrictionFactor = 0.25;
    scene.world.collideWithWalls(ball);
    EXPECT_EQ(ball.pos, Point(5, 1));
    // Floor normal (0, 1): angSpeed -= (2*1 - 0*0) * 0.25.
    EXPECT_DOUBLE_EQ(ball.angSpeed, -0.5);
}

TEST(Walls, DeepestPolygonVertexDecides)
{
    Scene scene(20, 10);
    auto& diamond = scene.add(box({0.5, 5}, 1, 1, 1));
    diamond.angle = pi / 4;
    diamond.initInteractions();
    double minX = 0;
    for (const Point& v : diamond.absBoundingSurface)
        minX = std::min(minX, v.x);
    scene.world.collideWithWalls(diamond);
    EXPECT_DOUBLE_EQ(diamond.pos.x, 0.5 - minX);
    EXPECT_EQ(diamond.pos.y, 5);
}

TEST(Walls, ImmovableBodiesAreMovedByWallsToo)
{
    // Walls move every body that crosses them, fixed ones included.
    Scene scene(20, 10);
    auto& post = scene.add(disc({0.5, 5}, 1, -1));
    scene.step(0.1);
    EXPECT_EQ(post.pos, Point(1, 5));
}

TEST(Walls, WithoutWallsABodyLeavesTheArena)
{
    Scene scene(20, 10);
    scene.world.useWalls = false;
    auto& ball = scene.add(disc({19, 5}, 1, 1));
    ball.viscousFrictionTau = 1e9;
    ball.speed = Vector{10, 0};
    scene.step(0.1, 10);
    EXPECT_GT(ball.pos.x, 25);

    // Walls act before the move of each step, so the body ends one move past
    // its contact position and no farther.
    scene.world.useWalls = true;
    ball.pos = Point{19, 5};
    scene.step(0.1, 10);
    EXPECT_LE(ball.pos.x, 19 + 10 * 0.1 + 1e-12);
}

TEST(Walls, ARobotsBodyMeetsTheWallsWhateverItsSensorsReach)
{
    // Sensors are asked about the walls by decreasing reach until one reaches
    // none; the body meets the walls in any case, even when its shortest
    // sensor does not reach out of it (it would sink into the wall).
    struct Sensor : LocalInteraction {
        int wallSteps = 0;
        void wallsStep(World&) override { ++wallSteps; }
    };
    Scene scene(20, 10);
    auto robot = std::make_unique<Robot>();
    robot->pos = Point{2, 5};
    robot->r = 3;
    robot->mass = 1;
    Robot& ref = scene.add(std::move(robot));
    Sensor far;
    far.r = 10;
    Sensor inside;
    inside.r = 1;
    ref.addLocalInteraction(&inside);
    ref.addLocalInteraction(&far);

    scene.step(0.1);
    EXPECT_EQ(ref.pos, Point(3, 5));
    EXPECT_EQ(far.wallSteps, 1);
    EXPECT_EQ(inside.wallSteps, 0);
}

TEST(Walls, AMovableBodyThrownOffARobotPushesItUpToTheWallsNotThroughThem)
{
    // A heavy disc 3.5 deep in a robot in the corner: the contact gives the
    // robot 100/101 of the overlap, towards both walls. The walls hold it
    // there; the disc takes its share as it would without them.
    for (const PairSearch search : {PairSearch::allPairs, PairSearch::broadPhase}) {
        Scene walled;
        Scene open;
        open.world.useWalls = false;
        for (Scene* scene : {&walled, &open}) {
            scene->world.pairSearch = search;
            auto robot = std::make_unique<Robot>();
            robot->pos = Point{3.5, 3.5};
            robot->r = 3;
            robot->mass = 1;
            scene->add(std::move(robot));
            scene->add(disc({6, 6}, 4, 100));
            scene->step(0.1);
        }
        EXPECT_EQ(walled.bodies[0]->pos, Point(3, 3));
        EXPECT_LT(open.bodies[0]->pos.x, 2) << "without walls the robot is thrown past where they stand";
        EXPECT_EQ(walled.bodies[1]->pos, open.bodies[1]->pos);
    }
}

TEST(Walls, AShiftKeepsABodyInsideOrNoFartherPastAWallThanItWas)
{
    struct Case {
        const char* name;
        Point pos;
        Vector shift;
        Vector held;
    };
    // A disc of radius 1 in a 20 by 10 arena.
    const Case cases[] = {
        {"inside, staying inside", {5, 5}, {-2, 3}, {-2, 3}},
        {"to the left wall", {3, 5}, {-4, 0}, {-2, 0}},
        {"to the top and right walls", {18, 8}, {3, 3}, {1, 1}},
        {"already past the left wall, pushed on", {0.5, 5}, {-1, 0.5}, {0, 0.5}},
        {"already past the left wall, pushed in", {0.5, 5}, {2, 0}, {2, 0}},
        {"along the bottom wall", {5, 1}, {3, 0}, {3, 0}},
    };
    for (const Case& c : cases) {
        Scene scene(20, 10);
        auto& ball = scene.add(disc(c.pos, 1, 1));
        ball.collisionShift = c.shift;
        scene.world.holdShiftAtWalls(ball);
        EXPECT_EQ(ball.collisionShift, c.held) << c.name;
    }

    // A square of half-side 1 turned by 45 degrees reaches sqrt(2) along x.
    Scene scene(20, 10);
    auto& diamond = scene.add(box({3, 5}, 1, 1, 1));
    diamond.angle = pi / 4;
    diamond.collisionShift = Vector{-3, 0};
    scene.world.holdShiftAtWalls(diamond);
    EXPECT_DOUBLE_EQ(diamond.pos.x + diamond.collisionShift.x, std::sqrt(2.0));
}

TEST(Walls, APolygonRobotPushedByAFixedBodyMeetsTheWallsWhereItStandsNow)
{
    // The fixed disc pushes the square robot 1.5 to the left at once, its
    // left side 1 past the wall; the walls see it there, not where the step
    // began.
    Scene scene(20, 10);
    auto robot = std::make_unique<Robot>();
    robot->pos = Point{2.5, 5};
    robot->mass = 1;
    robot->setBoundingSurface({{-2, -2}, {2, -2}, {2, 2}, {-2, 2}});
    Robot& square = scene.add(std::move(robot));
    scene.add(disc({5, 5}, 2, -1));
    scene.step(0.1);
    EXPECT_EQ(square.pos, Point(2, 5));
}
