// The differential drive, remote controls, and the robot's local interactions.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>
#include "EngineFixtures.h"
#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/LocalInteraction.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/Random.h"

using namespace Fen;
using FenTest::disc;
using FenTest::FixedControl;
using FenTest::Scene;

namespace {

constexpr double dt = 0.1;

std::unique_ptr<NeuralRobot> robotAt(Point pos, double angle = 0)
{
    auto robot = std::make_unique<NeuralRobot>();
    robot->pos = pos;
    robot->angle = angle;
    robot->r = 0.5;
    robot->mass = 1;
    return robot;
}

// Two draws from a given state, as the wheels take them.
std::pair<double, double> wheelDraws(std::uint32_t state)
{
    setRandomState(state);
    const double u1 = randomUniform();
    const double u2 = randomUniform();
    return {u1, u2};
}

// Records the order of calls it receives.
class Probe : public LocalInteraction {
public:
    std::vector<std::string>* log;
    std::string name;
    Probe(double radius, std::vector<std::string>* log_, std::string name_) : log(log_), name(std::move(name_))
    {
        r = radius;
    }
    void init() override { log->push_back(name + ".init"); }
    void objectStep(double, PhysicalObject&, World&) override { log->push_back(name + ".object"); }
    void wallsStep(World&) override { log->push_back(name + ".walls"); }
    void finalize(double) override { log->push_back(name + ".finalize"); }
};

} // namespace

TEST(Drive, WithoutControlTheRobotStandsStillButDrawsNoise)
{
    auto robot = robotAt({50, 50});
    setRandomState(77);
    wheelDraws(77);
    const std::uint32_t afterTwo = randomState();
    setRandomState(77);
    robot->step(dt);
    EXPECT_EQ(robot->pos, Point(50, 50));
    EXPECT_EQ(robot->angle, 0);
    EXPECT_EQ(randomState(), afterTwo);
}

TEST(Drive, ForwardMovesAlongTheMidStepHeading)
{
    auto robot = robotAt({50, 50}, 0.3);
    FixedControl control;
    control.forward = true;
    robot->setRemoteControl(&control);
    for (std::uint32_t seed : {1u, 2u, 12345u, 987654321u}) {
        setRandomState(seed);
        const Point before = robot->pos;
        const double angleBefore = robot->angle;
        robot->step(dt);
        const Vector move = robot->pos - before;
        const double turn = robot->angle - angleBefore;
        EXPECT_GE(move.norm() / dt, 0.95);
        EXPECT_LE(move.norm() / dt, 1.05);
        EXPECT_LT(std::fabs(turn / dt), 0.1);
        EXPECT_NEAR(std::atan2(move.y, move.x), angleBefore + turn / 2, 1e-12);
    }
    EXPECT_EQ(control.updates, 4);
    robot->detachRemoteControl();
}

TEST(Drive, FirstDrawIsTheLeftWheel)
{
    const auto [u1, u2] = wheelDraws(4242);
    FixedControl control;
    auto robot = robotAt({50, 50});
    robot->setRemoteControl(&control);

    control.right = true; // left wheel only: turns clockwise at L
    setRandomState(4242);
    robot->step(dt);
    EXPECT_NEAR(robot->angle, -(0.95 + 0.1 * u1) * dt, 1e-15);

    control.right = false;
    control.left = true; // right wheel only
    robot->angle = 0;
    setRandomState(4242);
    robot->step(dt);
    EXPECT_NEAR(robot->angle, (0.95 + 0.1 * u2) * dt, 1e-15);
    robot->detachRemoteControl();
}

TEST(Drive, LeftAloneTurnsCounterClockwiseAtHalfSpeed)
{
    auto robot = robotAt({50, 50});
    robot->robotSpeed = 2;
    FixedControl control;
    control.left = true;
    robot->setRemoteControl(&control);
    setRandomState(5);
    robot->step(dt);
    EXPECT_GT(robot->angle, 0);
    const double advance = (robot->pos - Point{50, 50}).norm() / dt;
    EXPECT_GE(advance, 0.95);
    EXPECT_LE(advance, 1.05);
}

TEST(Drive, ForwardAndLeftGiveTheRightWheelTwiceTheLeft)
{
    auto robot = robotAt({50, 50});
    FixedControl control;
    control.forward = true;
    control.left = true;
    robot->setRemoteControl(&control);
    robot->step(dt);
    EXPECT_EQ(robot->leftSpeed, 1);
    EXPECT_EQ(robot->rightSpeed, 2);

    control.forward = false;
    control.backward = true;
    control.left = false;
    robot->step(dt);
    EXPECT_EQ(robot->leftSpeed, -1);
    EXPECT_EQ(robot->rightSpeed, -1);
}

TEST(Drive, WheelDistanceScalesTheTurn)
{
    const auto turnWith = [](double wheelDistance) {
        auto robot = robotAt({50, 50});
        robot->wheelDistance = wheelDistance;
        FixedControl control;
        control.left = true;
        robot->setRemoteControl(&control);
        setRandomState(9);
        robot->step(dt);
        return robot->angle;
    };
    EXPECT_NEAR(turnWith(0.5), 2 * turnWith(1), 1e-15);
}

TEST(RemoteControlLink, ASecondControlReleasesTheFirst)
{
    NeuralRobot robot;
    FixedControl first;
    FixedControl second;
    EXPECT_EQ(robot.setRemoteControl(&first), &first);
    EXPECT_EQ(first.robot, &robot);
    robot.setRemoteControl(&second);
    EXPECT_EQ(first.robot, nullptr);
    EXPECT_EQ(second.robot, &robot);
    robot.detachRemoteControl();
    EXPECT_EQ(second.robot, nullptr);
    EXPECT_EQ(robot.remoteControl, nullptr);
}

TEST(RemoteControlLink, AControlMovesFromOneRobotToAnother)
{
    NeuralRobot a;
    NeuralRobot b;
    FixedControl control;
    a.setRemoteControl(&control);
    b.setRemoteControl(&control);
    EXPECT_EQ(a.remoteControl, nullptr);
    EXPECT_EQ(b.remoteControl, &control);
    EXPECT_EQ(control.robot, &b);
}

TEST(RemoteControlLink, ADestroyedControlLeavesTheRobot)
{
    NeuralRobot robot;
    {
        FixedControl control;
        robot.setRemoteControl(&control);
    }
    EXPECT_EQ(robot.remoteControl, nullptr);
    robot.step(dt); // drives with no control instead of calling a dead one
    EXPECT_EQ(robot.leftSpeed, 0);
}

TEST(LocalInteractions, SortedByDecreasingRadiusKeepingTies)
{
    Robot robot;
    std::vector<std::string> log;
    Probe r3(3, &log, "3"), r10(10, &log, "10"), r5(5, &log, "5"), r5b(5, &log, "5b"), r5c(5, &log, "5c");
    for (LocalInteraction* l : std::initializer_list<LocalInteraction*>{&r3, &r10, &r5, &r5b, &r5c})
        robot.addLocalInteraction(l);
    const std::vector<LocalInteraction*> expected{&r10, &r5, &r5b, &r5c, &r3};
    EXPECT_EQ(robot.localInteractions, expected);
}

TEST(LocalInteractions, CalledInStepOrder)
{
    Scene scene;
    std::vector<std::string> log;
    Probe wide(1e9, &log, "wide");
    auto robot = robotAt({50, 50});
    robot->addLocalInteraction(&wide);
    scene.add(disc({10, 10}, 1, 1));
    auto& ref = scene.add(std::move(robot));
    scene.add(disc({90, 90}, 1, 1));
    scene.step(dt);
    // Sees both bodies whichever index they have, then walls and finalize.
    const std::vector<std::string> expected{"wide.init", "wide.object", "wide.object", "wide.walls", "wide.finalize"};
    EXPECT_EQ(log, expected);
    ref.localInteractions.clear();
}

TEST(LocalInteractions, OutOfReachBodySkipsTheRobotsCollision)
{
    // Robot of radius 3 whose only interaction reaches 1: a disc overlapping
    // the robot but beyond 1 + its radius is not collided in the robot's visit.
    const auto run = [](bool robotFirst) {
        Scene scene;
        LocalInteraction reach;
        reach.r = 1;
        auto robot = std::make_unique<Robot>();
        robot->pos = Point{50, 50};
        robot->r = 3;
        robot->mass = -1;
        robot->addLocalInteraction(&reach);
        PhysicalObject* ball = nullptr;
        if (robotFirst) {
            scene.add(std::move(robot));
            ball = &scene.add(disc({53, 50}, 1, 1));
        } else {
            ball = &scene.add(disc({53, 50}, 1, 1));
            scene.add(std::move(robot));
        }
        scene.step(dt);
        return ball->pos.x;
    };
    EXPECT_EQ(run(true), 53);
    EXPECT_DOUBLE_EQ(run(false), 54);
}

TEST(ClearSensors, DeletesSensorsAndTakesThemOutOfTheList)
{
    NeuralRobot robot;
    SensorResponseFunctor* model = &NeuralRobotIRSensorModel::instance();
    auto sensor = std::make_unique<IRSensor>(1, &model);
    sensor->setOwner(&robot);
    robot.irSensors.push_back(std::move(sensor));
    robot.addLocalInteraction(robot.irSensors.back().get());
    auto camera = std::make_unique<CircularCam>();
    camera->setOwner(&robot);
    robot.cameras.push_back(std::move(camera));
    robot.addLocalInteraction(robot.cameras.back().get());
    LocalInteraction other;
    robot.addLocalInteraction(&other);
    FixedControl control;
    robot.setRemoteControl(&control);
    robot.robotSpeed = 3;
    robot.wheelDistance = 2;

    robot.clearSensors();
    EXPECT_TRUE(robot.irSensors.empty());
    EXPECT_TRUE(robot.cameras.empty());
    ASSERT_EQ(robot.localInteractions.size(), 1u);
    EXPECT_EQ(robot.localInteractions[0], &other);
    EXPECT_EQ(control.robot, nullptr);
    EXPECT_EQ(robot.robotSpeed, 1.0);
    EXPECT_EQ(robot.wheelDistance, 1.0);
}
