// Infrared sensor geometry, readings and noise.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include "EngineFixtures.h"
#include "engine/Angle.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/Random.h"
#include "engine/StandardIRSensorModel.h"

using namespace Fen;
using FenTest::box;
using FenTest::disc;
using FenTest::Scene;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

std::unique_ptr<IRSensor> sensor(unsigned rays = 1)
{
    static SensorResponseFunctor* models[8];
    for (auto& m : models)
        m = &NeuralRobotIRSensorModel::instance();
    return std::make_unique<IRSensor>(rays, models);
}

// A robot with one sensor, placed in a scene.
struct SensorRig {
    Scene scene;
    NeuralRobot* robot;
    IRSensor* ir;

    SensorRig(Point pos, double angle, double width = 100, double height = 100) : scene(width, height)
    {
        auto body = std::make_unique<NeuralRobot>();
        body->pos = pos;
        body->angle = angle;
        body->r = 0.5;
        body->mass = 1;
        robot = &scene.add(std::move(body));
        auto s = sensor();
        s->setOwner(robot);
        ir = s.get();
        robot->irSensors.push_back(std::move(s));
        robot->addLocalInteraction(ir);
    }
};

double response(double distance, double u) { return 1100 * std::exp(-(std::max(distance - 1, 0.0) * (0.97 + 0.06 * u)) / 2.5); }

} // namespace

TEST(IRSensorSetup, DefaultSensor)
{
    auto s = sensor();
    EXPECT_EQ(s->r, 10);
    EXPECT_EQ(s->reachRadius, 5);
    EXPECT_EQ(s->reachCentre, Vector(5, 0));
    EXPECT_EQ(s->range, 10);
    EXPECT_EQ(s->finalValue, 0);
}

TEST(IRSensorSetup, RayFanSpansTheAperture)
{
    auto s = sensor(3);
    s->setup(0, 0, 1, 0, 10, 0.3);
    EXPECT_DOUBLE_EQ(s->rayRelAngles[0], -0.3);
    EXPECT_DOUBLE_EQ(s->rayRelAngles[1], 0);
    EXPECT_DOUBLE_EQ(s->rayRelAngles[2], 0.3);
    EXPECT_DOUBLE_EQ(s->reachRadius, 10 * std::sqrt(1.25 - std::cos(0.3)));

    auto single = sensor(1);
    single->setup(0, 0, 1, 0.5, 8, 0.7);
    EXPECT_EQ(single->rayRelAngles[0], 0);
    EXPECT_EQ(single->reachRadius, 4);
}

TEST(IRSensorSetup, RadiusReachesTheTipOfTheCentralRay)
{
    auto s = sensor();
    s->setup(1, 0, 1, 0, 2, 0);
    EXPECT_DOUBLE_EQ(s->r, 3);
    s->setup(0, 1, 1, pi / 2, 2, 0);
    EXPECT_DOUBLE_EQ(s->r, 3);
    s->setup(3, 0, 1, pi / 2, 4, 0);
    EXPECT_DOUBLE_EQ(s->r, 5);
    // A ray whose tip lies on the robot's centre: never NaN.
    for (int i = 0; i < 200; ++i) {
        const double a = 0.0314 * i - pi;
        s->setup(0.3 * std::cos(a), 0.3 * std::sin(a), 1, a + pi, 0.3, 0);
        EXPECT_FALSE(std::isnan(s->r)) << a;
        EXPECT_LT(s->r, 1e-6);
    }
}

TEST(IRSensorReading, WallFiveUnitsAhead)
{
    SensorRig rig({95, 50}, 0);
    rig.ir->setup(0, 0, 1, 0, 10, 0);
    setRandomState(31);
    const double u1 = randomUniform();
    const double u2 = randomUniform();
    const double u3 = randomUniform();
    const double u4 = randomUniform();
    const std::uint32_t afterFour = randomState();
    setRandomState(31);
    rig.scene.step(0.01);
    EXPECT_DOUBLE_EQ(rig.ir->finalRayDistances[0], 5);
    EXPECT_EQ(rig.ir->finalRayColors[0], Color{});
    // The response draws first, then the sensor's factor, then the two wheels.
    EXPECT_EQ(rig.ir->finalValue, response(5, u1) * (0.93 + 0.14 * u2));
    EXPECT_EQ(randomState(), afterFour);
    EXPECT_GE(rig.ir->finalValue, 1100 * std::exp(-4 * 1.03 / 2.5) * 0.93);
    EXPECT_LE(rig.ir->finalValue, 1100 * std::exp(-4 * 0.97 / 2.5) * 1.07);
    EXPECT_NEAR(rig.ir->rayHitPoints[0].x, 5, 1e-12);
    (void)u3;
    (void)u4;
}

TEST(IRSensorReading, MountedOutsideTheArenaReadsFullStrength)
{
    SensorRig rig({1, 50}, 0);
    rig.ir->setup(-2, 0, 1, pi, 10, 0);
    for (int i = 0; i < 20; ++i) {
        rig.robot->pos = Point{1, 50};
        rig.scene.step(0.01);
        EXPECT_EQ(rig.ir->finalRayDistances[0], 0);
        EXPECT_GE(rig.ir->finalValue, 1100 * 0.93);
        EXPECT_LT(rig.ir->finalValue, 1100 * 1.07);
    }
}

TEST(IRSensorReading, NothingInRangeReadsZero)
{
    SensorRig rig({50, 50}, 0);
    rig.ir->setup(0, 0, 1, 0, 10, 0);
    rig.scene.step(0.01);
    EXPECT_EQ(rig.ir->finalRayDistances[0], infinity);
    EXPECT_EQ(rig.ir->rayHitPoints[0], Vector(0, 0));
    EXPECT_EQ(rig.ir->finalValue, 0);
}

TEST(IRSensorReading, LowBodyIsInvisible)
{
    SensorRig rig({50, 50}, 0);
    rig.ir->setup(0, 0, 1, 0, 10, 0);
    auto& ball = rig.scene.add(disc({54, 50}, 1, -1));
    ball.color = Color{1, 0, 0, 1};
    ball.height = 0.5;
    rig.scene.step(0.01);
    EXPECT_EQ(rig.ir->finalRayDistances[0], infinity);

    ball.height = 1;
    rig.robot->pos = Point{50, 50};
    rig.scene.step(0.01);
    EXPECT_DOUBLE_EQ(rig.ir->finalRayDistances[0], 3);
    EXPECT_EQ(rig.ir->finalRayColors[0], ball.color);
}

TEST(IRSensorGeometry, NearestOfSeveralBodiesWins)
{
    SensorRig rig({50, 50}, pi / 2);
    rig.ir->setup(0, 0, 1, 0, 10, 0);
    auto& far = rig.scene.add(box({50, 57}, 2, 1, -1, Color{0, 1, 0, 1}));
    auto& near = rig.scene.add(disc({50, 54}, 0.5, -1));
    far.height = near.height = 1;
    near.color = Color{0, 0, 1, 1};
    rig.scene.step(0.01);
    EXPECT_NEAR(rig.ir->finalRayDistances[0], 3.5, 1e-12);
    EXPECT_EQ(rig.ir->finalRayColors[0], near.color);

    rig.scene.world.removeObject(&near);
    rig.robot->pos = Point{50, 50};
    rig.scene.step(0.01);
    EXPECT_NEAR(rig.ir->finalRayDistances[0], 6, 1e-12);
    EXPECT_EQ(rig.ir->finalRayColors[0], far.color);
}

TEST(IRSensorGeometry, InsideAPolygonReadsZero)
{
    NeuralRobot robot;
    robot.pos = Point{10, 10};
    auto s = sensor();
    s->setOwner(&robot);
    s->setup(0, 0, 0, 0, 10, 0);
    auto block = box({10, 10}, 2, 2, -1);
    block->initInteractions();
    World world(100, 100);
    s->init();
    s->objectStep(0.01, *block, world);
    EXPECT_EQ(s->rayDistances[0], 0);
}

TEST(IRSensorGeometry, RayParallelToAnEdgeOutsideItMisses)
{
    // A long flat body whose lower edge runs parallel to the ray, one unit above it.
    NeuralRobot robot;
    robot.pos = Point{0, 0};
    auto s = sensor();
    s->setOwner(&robot);
    s->setup(0, 0, 0, 0, 10, 0);
    auto slab = box({5, 1.5}, 3, 0.5, -1);
    slab->initInteractions();
    World world(100, 100);
    s->init();
    s->objectStep(0.01, *slab, world);
    EXPECT_EQ(s->rayDistances[0], infinity);

    // Lowered across the ray, it is hit on its left edge.
    slab->pos = Point{5, 0.2};
    slab->initInteractions();
    s->init();
    s->objectStep(0.01, *slab, world);
    EXPECT_NEAR(s->rayDistances[0], 2, 1e-12);
}

TEST(IRSensorGeometry, PolygonBeyondRangeOrBehindIsMissed)
{
    NeuralRobot robot;
    robot.pos = Point{20, 20};
    auto s = sensor();
    s->setOwner(&robot);
    s->setup(0, 0, 0, 0, 4, 0);
    World world(100, 100);
    for (const Point centre : {Point{25.5, 20}, Point{18, 20}}) {
        auto block = box(centre, 1, 3, -1); // tall enough to pass the reach test
        block->initInteractions();
        s->init();
        s->objectStep(0.01, *block, world);
        EXPECT_EQ(s->rayDistances[0], infinity) << centre.x;
    }
}

TEST(IRSensorGeometry, FanSeesAnOffAxisDiscWithOneRay)
{
    NeuralRobot robot;
    robot.pos = Point{20, 20};
    SensorResponseFunctor* models[3] = {&NeuralRobotIRSensorModel::instance(), &NeuralRobotIRSensorModel::instance(),
                                        &StandardIRSensorModel::instance()};
    IRSensor s(3, models);
    s.setOwner(&robot);
    s.setup(0, 0, 0, 0, 10, 0.5);
    auto ball = disc({20 + 5 * std::cos(0.5), 20 + 5 * std::sin(0.5)}, 0.5, -1);
    World world(100, 100);
    s.init();
    s.objectStep(0.01, *ball, world);
    EXPECT_EQ(s.rayDistances[0], infinity);
    EXPECT_EQ(s.rayDistances[1], infinity);
    EXPECT_NEAR(s.rayDistances[2], 4.5, 1e-12);
    s.finalize(0.01);
    EXPECT_NEAR(s.rayHitPoints[2].x, 4.5 * std::cos(0.5), 1e-12);
    EXPECT_NEAR(s.rayHitPoints[2].y, 4.5 * std::sin(0.5), 1e-12);
    EXPECT_EQ(s.rayHitPoints[0], Vector(0, 0));
    EXPECT_GT(s.finalValue, 0);
}

TEST(IRSensorResponse, ModelsShareTheCurve)
{
    for (const double d : {0.0, 1.0, 2.0, 7.5}) {
        setRandomState(100);
        const double a = NeuralRobotIRSensorModel::instance().response(d, Color{});
        setRandomState(100);
        const double b = StandardIRSensorModel::instance().response(d, Color{1, 1, 1, 1});
        EXPECT_EQ(a, b);
        setRandomState(100);
        EXPECT_EQ(a, response(d, randomUniform()));
    }
    EXPECT_EQ(NeuralRobotIRSensorModel::instance().response(0.5, Color{}), 1100);
    EXPECT_EQ(NeuralRobotIRSensorModel::instance().response(infinity, Color{}), 0);
}
