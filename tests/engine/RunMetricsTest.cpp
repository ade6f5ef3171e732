// Run measures: distance, coverage, contact frames, stuck share and the
// avoid fitness, on runs checked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include "EngineFixtures.h"
#include "RandomScene.h"
#include "base/StateArchive.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/RunMetrics.h"

using namespace Fen;
using FenTest::box;
using FenTest::disc;
using FenTest::Scene;

namespace {

// A robot of radius 1 moved by hand: the measures only read where it is.
struct HandRun {
    Scene scene;
    NeuralRobot* robot;
    RunMetrics metrics;

    explicit HandRun(Point start, double frameTime = 1.0)
    {
        auto made = std::make_unique<NeuralRobot>();
        made->pos = start;
        made->r = 1;
        made->mass = 1;
        made->robotSpeed = 2;
        robot = &scene.add(std::move(made));
        metrics.start(*robot, frameTime);
    }
    void moveTo(Point p)
    {
        robot->pos = p;
        metrics.addFrame(scene.world, *robot);
    }
};

} // namespace

TEST(RunMetrics, DistanceAddsEachFramesStraightLineAndCoverageCountsCellsOfTheRobotsWidth)
{
    HandRun run({10.5, 10.5});
    run.moveTo({13.5, 14.5}); // 5 units, cell (6, 7)
    run.moveTo({13.5, 14.5}); // standing still
    run.moveTo({10.5, 10.5}); // back to the first cell (5, 5)
    run.moveTo({11.9, 10.1}); // still cell (5, 5)
    EXPECT_EQ(run.metrics.frames(), 4);
    EXPECT_EQ(run.metrics.distance(), 5.0 + 0.0 + 5.0 + std::sqrt(1.4 * 1.4 + 0.4 * 0.4));
    EXPECT_EQ(run.metrics.coverage(), 2);
    EXPECT_FALSE(run.metrics.lastFrame().newCell);
    run.moveTo({-0.5, 50}); // a centre beyond the origin counts its own cell (-1, 25)
    EXPECT_TRUE(run.metrics.lastFrame().newCell);
    EXPECT_EQ(run.metrics.coverage(), 3);
}

TEST(RunMetrics, ContactFramesCountFramesEndingAtAWallOrOnABodyTouchingIncluded)
{
    HandRun run({50, 50});
    run.scene.add(disc({60, 50}, 2, -1));
    run.scene.add(box({50, 80}, 3, 3, 1));
    run.moveTo({50, 50});
    EXPECT_FALSE(run.metrics.lastFrame().contact);
    run.moveTo({1, 50}); // its circle touches the left wall
    EXPECT_TRUE(run.metrics.lastFrame().contact);
    run.moveTo({1.0000001, 50});
    EXPECT_FALSE(run.metrics.lastFrame().contact);
    run.moveTo({57, 50}); // circles touching: the disc test counts it
    EXPECT_TRUE(run.metrics.lastFrame().contact);
    run.moveTo({50, 76.5}); // half a unit into the box's lower edge
    EXPECT_TRUE(run.metrics.lastFrame().contact);
    run.moveTo({50, 76}); // on the edge: the polygon test wants it inside
    EXPECT_FALSE(run.metrics.lastFrame().contact);
    EXPECT_EQ(run.metrics.contactFrames(), 3);
    // The test moved nothing.
    EXPECT_EQ(run.scene.bodies[2]->pos, (Point{50, 80}));
    EXPECT_EQ(run.robot->pos, (Point{50, 76}));
}

TEST(RunMetrics, StuckCountsFramesFromTheWindowOnThatEndNearWhereTheRobotWasThen)
{
    // Frames of 2 s: the 5 s window is round(2.5) = 3 frames.
    HandRun run({50, 50}, 2.0);
    EXPECT_EQ(run.metrics.stuckWindow(), 3);
    const double xs[] = {50.2, 50.4, 50.49, 51, 52, 52.2, 51.3};
    for (std::size_t k = 0; k < std::size(xs); ++k) {
        run.moveTo({xs[k], 50});
        // Judged from the window's frame on, not before.
        EXPECT_EQ(run.metrics.stuckMeasured(), k + 1 >= 3) << "frame " << k + 1;
    }
    // Frames 3..7 against frames 0..4: 0.49, 0.8, 1.6, 1.71, 0.3 away.
    EXPECT_EQ(run.metrics.stuck(), 2.0 / 5.0);

    HandRun shorter({50, 50}, 2.0);
    shorter.moveTo({50, 50});
    shorter.moveTo({50, 50});
    EXPECT_EQ(shorter.metrics.stuck(), 0.0);
    EXPECT_FALSE(shorter.metrics.stuckMeasured());
}

TEST(RunMetrics, AvoidIsSpeedTimesStraightnessTimesClearanceEachWithinZeroAndOne)
{
    HandRun run({50, 50});
    NeuralRobot& robot = *run.robot;
    const auto avoid = [&](double left, double right) {
        robot.leftSpeed = left;
        robot.rightSpeed = right;
        return RunMetrics::avoidValue(robot);
    };
    // robotSpeed 2: forward with both turns is the top speed, 4 a wheel.
    EXPECT_EQ(avoid(4, 4), 1.0);
    EXPECT_EQ(avoid(2, 2), 0.5);
    EXPECT_EQ(avoid(-2, -2), 0.5); // backward drives as fast as forward
    EXPECT_EQ(avoid(-4, -4), 1.0);
    EXPECT_EQ(avoid(-2, 0), 0.0); // turning on the spot around a wheel
    EXPECT_EQ(avoid(2, 4), 0.0); // a turn takes the most difference commands give
    EXPECT_EQ(avoid(0, 0), 0.0);

    SensorResponseFunctor* response = &NeuralRobotIRSensorModel::instance();
    robot.irSensors.emplace_back(std::make_unique<IRSensor>(1, &response));
    robot.irSensors.emplace_back(std::make_unique<IRSensor>(1, &response));
    robot.irSensors[0]->finalValue = 100;
    robot.irSensors[1]->finalValue = RunMetrics::topReading / 4;
    EXPECT_EQ(avoid(4, 4), 0.75);
    robot.irSensors[1]->finalValue = 2 * RunMetrics::topReading;
    EXPECT_EQ(avoid(4, 4), 0.0);

    robot.irSensors[1]->finalValue = 0;
    robot.irSensors[0]->finalValue = 0;
    avoid(4, 4);
    run.metrics.addFrame(run.scene.world, robot);
    avoid(2, 2);
    run.metrics.addFrame(run.scene.world, robot);
    EXPECT_EQ(run.metrics.avoid(), 0.75);
}

TEST(RunMetrics, AnArchivedRunContinuesAsTheOriginalAndDamagedBytesAreRefusedWhole)
{
    HandRun run({50, 50}, 2.0);
    for (const double x : {51.0, 52.5, 52.6, 52.7})
        run.moveTo({x, 50});
    Tarn::StateArchive saving = Tarn::StateArchive::Saving();
    run.metrics.archive(saving);
    const std::string bytes = saving.TakeBytes();

    HandRun other({10, 10}, 2.0);
    Tarn::StateArchive loading = Tarn::StateArchive::Reading(bytes, true);
    other.metrics.archive(loading);
    for (HandRun* r : {&run, &other})
        for (const double x : {52.7, 52.8, 60.0})
            r->moveTo({x, 50});
    EXPECT_EQ(other.metrics.distance(), run.metrics.distance());
    EXPECT_EQ(other.metrics.coverage(), run.metrics.coverage());
    EXPECT_EQ(other.metrics.stuck(), run.metrics.stuck());
    EXPECT_EQ(other.metrics.frames(), 7);

    // A history longer than the frames run cannot have come from a run.
    std::string damaged = bytes;
    damaged[0] = 1; // one frame, yet a history of three positions
    const double before = other.metrics.distance();
    Tarn::StateArchive bad = Tarn::StateArchive::Reading(damaged, true);
    EXPECT_THROW(other.metrics.archive(bad), Tarn::StateMismatch);
    EXPECT_EQ(other.metrics.distance(), before);
}

namespace {

// The contact frame as a plain reading of the definition: every body of the
// list, tested on copies as the next step would test it.
bool touchesByScan(World& world, const NeuralRobot& robot)
{
    PhysicalObject self;
    const auto copyOf = [](const PhysicalObject& from, PhysicalObject& to) {
        to.pos = from.pos;
        to.angle = from.angle;
        to.r = from.r;
        to.mass = from.mass;
        if (from.hasBoundingSurface)
            to.setBoundingSurface(from.boundingSurface);
        to.computeAbsBoundingSurface();
    };
    copyOf(robot, self);
    if (world.useWalls) {
        const double x = robot.pos.x, y = robot.pos.y, r = robot.r;
        if (!(r < x && r < y && world.width - x > r && world.height - y > r))
            return true;
    }
    for (PhysicalObject* body : world.objects) {
        if (body == &robot)
            continue;
        PhysicalObject a, b;
        copyOf(robot, a);
        copyOf(*body, b);
        if (world.collideObjects(a, b))
            return true;
    }
    return false;
}

} // namespace

TEST(RunMetrics, ContactFramesFoundThroughTheBodiesGridAreTheOnesAScanOfEveryBodyFinds)
{
    int contacts = 0;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        FenTest::RandomScene scene(seed, 60 + 20 * static_cast<int>(seed));
        NeuralRobot& robot = *scene.robots[0];
        RunMetrics metrics;
        metrics.start(robot, 1.0 / 60);
        for (int step = 0; step < 2000; ++step) {
            scene.world.step(1.0 / 60);
            metrics.addFrame(scene.world, robot);
            ASSERT_EQ(metrics.lastFrame().contact, touchesByScan(scene.world, robot))
                << "scene " << seed << ", step " << step;
        }
        EXPECT_TRUE(scene.world.lastStepUsedBroadPhase());
        contacts += static_cast<int>(metrics.contactFrames());
    }
    EXPECT_GT(contacts, 1000);
}
