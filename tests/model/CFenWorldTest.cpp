#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/PhysicalObject.h"
#include "engine/RemoteControl.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "control/CTakeOverRemoteControl.h"
#include "control/IKeyboardState.h"
#include "tests/support/TestWorld.h"

namespace {

using Tarn::CFenNeuralRobot;
using Tarn::CFenPhysicalObject;
using Tarn::CFenWorld;

// A world adapter whose readers read nothing and whose drawing draws nothing.
using World = TestSupport::TestWorld<TestSupport::NoReaders, TestSupport::NoDrawing>;

bool listed(const Fen::World& world, const Fen::PhysicalObject& body)
{
    return std::find(world.objects.begin(), world.objects.end(), &body) != world.objects.end();
}

// A free disc in the middle of a large arena, moving along x and slowed
// only a little by friction.
Fen::PhysicalObject& movingDisc(CFenWorld& world)
{
    world.Reset(1000, 1000);
    Fen::PhysicalObject& disc = CFenPhysicalObject::Create(world).GetPhysicalObject();
    disc.pos = {500, 500};
    disc.r = 1;
    disc.mass = 1;
    disc.viscousFrictionTau = 100;
    disc.speed = {2, 0};
    return disc;
}

TEST(CFenWorld, StepClampsTheTimeToOneMillisecondAndOneSecond)
{
    struct Case {
        double given;
        double used;
    };
    for (const Case& c : {Case{5, 1}, Case{1, 1}, Case{0.5, 0.5}, Case{0, 0.001}, Case{-3, 0.001},
                          Case{std::numeric_limits<double>::quiet_NaN(), 0.001}}) {
        World world;
        Fen::PhysicalObject& disc = movingDisc(world);
        const Fen::Point before = disc.pos;
        const Fen::Vector speed = disc.speed;
        world.Step(c.given);
        EXPECT_EQ(disc.pos, before + speed * c.used) << c.given;
    }
}

TEST(CFenWorld, TakesTheFrameTimesItStepsUnchangedInSinglePrecision)
{
    constexpr double big = std::numeric_limits<double>::max();
    // 0.001 is a little more in single precision, so the double just below it is taken too.
    for (const double taken : {0.001, 1.0, 1.0 / 60, std::nextafter(0.001, 0.0)})
        EXPECT_TRUE(CFenWorld::TakesFrameTime(taken)) << taken;
    const double belowLowest = std::nextafter(0.001f, 0.0f);
    const double aboveHighest = std::nextafter(1.0f, 2.0f);
    for (const double refused : {belowLowest, aboveHighest, 0.0, -1.0, 1e300, -big, big,
                                 std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
        EXPECT_FALSE(CFenWorld::TakesFrameTime(refused)) << refused;
}

TEST(CFenWorld, ResetSizesTheArenaAndEmptiesIt)
{
    World world;
    CFenPhysicalObject::Create(world);
    CFenNeuralRobot::Create(world);
    world.AddStartPoint({1, 2});
    world.GetFenWorld().useWalls = false;
    world.GetFenWorld().pairOrderFlag = false;

    world.Reset(200, 50);
    EXPECT_EQ(world.GetFenWorld().width, 200);
    EXPECT_EQ(world.GetFenWorld().height, 50);
    EXPECT_TRUE(world.GetFenWorld().useWalls);
    EXPECT_FALSE(world.GetFenWorld().pairOrderFlag);
    EXPECT_EQ(world.GetObjectCount(), 0u);
    EXPECT_EQ(world.GetRobotCount(), 0u);
    EXPECT_EQ(world.GetStartPointCount(), 0u);
    EXPECT_TRUE(world.GetFenWorld().objects.empty());
}

TEST(CFenWorld, NewWorldIsEmptyAndOneHundredSquare)
{
    World world;
    EXPECT_EQ(world.GetFenWorld().width, 100);
    EXPECT_EQ(world.GetFenWorld().height, 100);
    EXPECT_EQ(world.GetObjectCount(), 0u);
    EXPECT_EQ(world.GetRobotCount(), 0u);
}

TEST(CFenWorld, AdaptersRegisterThemselvesInCreationOrder)
{
    World world;
    CFenPhysicalObject& first = CFenPhysicalObject::Create(world);
    CFenNeuralRobot& robot = CFenNeuralRobot::Create(world);
    CFenPhysicalObject& second = CFenPhysicalObject::Create(world);
    EXPECT_EQ(world.GetObjectCount(), 2u);
    EXPECT_EQ(world.GetRobotCount(), 1u);
    EXPECT_EQ(&world.GetObject(0), &first);
    EXPECT_EQ(&world.GetObject(1), &second);
    EXPECT_EQ(&world.GetRobot(0), &robot);
    const std::vector<Fen::PhysicalObject*> expected{&first.GetPhysicalObject(), &robot.GetPhysicalObject(),
                                                     &second.GetPhysicalObject()};
    EXPECT_EQ(world.GetFenWorld().objects, expected);
    EXPECT_EQ(&first.GetWorld(), &world);
}

// Readers and drawing objects that write into a shared journal which
// adapter they were made for and when they draw; Draw answers with a code of
// its own.
class JournalFactories : public Tarn::IFenIOFactory, public Tarn::IFenGraphicsFactory {
public:
    std::vector<std::string> journal;

    std::unique_ptr<Tarn::IFenIO> CreateIO(CFenWorld&) override { return Make<Reader>("world"); }
    std::unique_ptr<Tarn::IFenIO> CreateIO(CFenPhysicalObject&) override { return Make<Reader>("object"); }
    std::unique_ptr<Tarn::IFenIO> CreateIO(CFenNeuralRobot&) override { return Make<Reader>("robot"); }
    std::unique_ptr<Tarn::IFenGraphics> CreateGraphics(CFenWorld&) override { return Make<Drawing>("world"); }
    std::unique_ptr<Tarn::IFenGraphics> CreateGraphics(CFenPhysicalObject&) override { return Make<Drawing>("object"); }
    std::unique_ptr<Tarn::IFenGraphics> CreateGraphics(CFenNeuralRobot&) override { return Make<Drawing>("robot"); }

private:
    struct Reader : Tarn::IFenIO {
        Reader(std::vector<std::string>& journal, std::string owner) : journal(journal), owner(std::move(owner)) {}
        void Read(Tarn::CFenIOStruct&) override {}
        std::vector<std::string>& journal;
        std::string owner;
    };
    struct Drawing : Tarn::IFenGraphics {
        Drawing(std::vector<std::string>& journal, std::string owner) : journal(journal), owner(std::move(owner)) {}
        Tarn::DeviceResult Draw() override
        {
            journal.push_back("draw " + owner);
            return static_cast<Tarn::DeviceResult>(owner.size());
        }
        std::vector<std::string>& journal;
        std::string owner;
    };
    template <class T>
    std::unique_ptr<T> Make(const char* owner)
    {
        journal.push_back(std::string("make ") + owner);
        return std::make_unique<T>(journal, owner);
    }
};

TEST(CFenWorld, EveryAdapterGetsItsReaderAndDrawingObjectFromTheWorldsFactories)
{
    JournalFactories factories;
    CFenWorld world(factories, factories);
    CFenPhysicalObject& object = CFenPhysicalObject::Create(world);
    CFenNeuralRobot& robot = CFenNeuralRobot::Create(world);
    EXPECT_EQ(factories.journal, (std::vector<std::string>{"make world", "make world", "make object", "make object",
                                                           "make robot", "make robot"}));

    // Reading through the adapters is the io tests' part: a document needs the readers' layer.
    factories.journal.clear();
    EXPECT_EQ(world.Draw(), 5);
    EXPECT_EQ(object.Draw(), 6);
    EXPECT_EQ(robot.Draw(), 5);
    EXPECT_EQ(factories.journal, (std::vector<std::string>{"draw world", "draw object", "draw robot"}));
}

TEST(CFenWorld, NewRobotIsClearedWithDriveValuesOne)
{
    World world;
    const Fen::NeuralRobot& robot = CFenNeuralRobot::Create(world).GetPhysicalObject();
    EXPECT_EQ(robot.robotSpeed, 1.0);
    EXPECT_EQ(robot.wheelDistance, 1.0);
    EXPECT_TRUE(robot.irSensors.empty());
}

TEST(CFenWorld, RemoveTakesTheBodyOutOfTheEngineWorld)
{
    World world;
    CFenPhysicalObject& kept = CFenPhysicalObject::Create(world);
    CFenPhysicalObject& removed = CFenPhysicalObject::Create(world);
    CFenNeuralRobot& robot = CFenNeuralRobot::Create(world);
    const Fen::PhysicalObject* removedBody = &removed.GetPhysicalObject();
    const Fen::PhysicalObject* robotBody = &robot.GetPhysicalObject();

    world.RemoveObject(&removed);
    world.RemoveRobot(&robot);
    EXPECT_EQ(world.GetObjectCount(), 1u);
    EXPECT_EQ(world.GetRobotCount(), 0u);
    EXPECT_EQ(&world.GetObject(0), &kept);
    const Fen::World& engine = world.GetFenWorld();
    EXPECT_EQ(std::count(engine.objects.begin(), engine.objects.end(), removedBody), 0);
    EXPECT_EQ(std::count(engine.objects.begin(), engine.objects.end(), robotBody), 0);
    EXPECT_TRUE(listed(engine, kept.GetPhysicalObject()));
    world.Step(0.01);
}

TEST(CFenWorld, RemovingAnotherWorldsAdapterChangesNothing)
{
    World one;
    World other;
    CFenNeuralRobot& robot = CFenNeuralRobot::Create(other);
    CFenPhysicalObject& object = CFenPhysicalObject::Create(other);
    CFenNeuralRobot::Create(one);

    one.RemoveRobot(&robot);
    one.RemoveObject(&object);
    one.RemoveObject(nullptr);
    EXPECT_EQ(one.GetRobotCount(), 1u);
    EXPECT_EQ(one.GetFenWorld().objects.size(), 1u);
    EXPECT_EQ(other.GetRobotCount(), 1u);
    EXPECT_EQ(other.GetObjectCount(), 1u);
    EXPECT_TRUE(listed(other.GetFenWorld(), robot.GetPhysicalObject()));
}

TEST(CFenWorld, StartPointsAreKeptInOrder)
{
    World world;
    world.AddStartPoint({10, 20});
    world.AddStartPoint({30, 40});
    ASSERT_EQ(world.GetStartPointCount(), 2u);
    EXPECT_EQ(world.GetStartPoint(0), (Fen::Point{10, 20}));
    EXPECT_EQ(world.GetStartPoint(1), (Fen::Point{30, 40}));
}

class IdleControl : public Fen::RemoteControl {
public:
    bool isForward() override { return true; }
    bool isBackward() override { return false; }
    bool isLeft() override { return false; }
    bool isRight() override { return false; }
    void reset() override {}
    void update() override {}
};

// A robot with a sensor, a camera and a control among obstacles: the
// adapters must never leave the engine world, the robot or the control
// pointing at something destroyed (run under AddressSanitizer).
void equip(CFenNeuralRobot& adapter, Fen::RemoteControl& control)
{
    Fen::NeuralRobot& robot = adapter.GetPhysicalObject();
    robot.pos = {50, 50};
    robot.r = 2;
    Fen::SensorResponseFunctor* const response[] = {&Fen::NeuralRobotIRSensorModel::instance()};
    robot.irSensors.push_back(std::make_unique<Fen::IRSensor>(1, response));
    robot.cameras.push_back(std::make_unique<Fen::CircularCam>());
    for (const auto& sensor : robot.irSensors) {
        sensor->setOwner(&robot);
        robot.addLocalInteraction(sensor.get());
    }
    for (const auto& camera : robot.cameras) {
        camera->setOwner(&robot);
        robot.addLocalInteraction(camera.get());
    }
    robot.setRemoteControl(&control);
}

void addDiscs(CFenWorld& world, int count)
{
    for (int i = 0; i < count; ++i) {
        Fen::PhysicalObject& disc = CFenPhysicalObject::Create(world).GetPhysicalObject();
        disc.pos = {10.0 + 8 * i, 20};
        disc.r = 2;
        disc.height = 10;
        disc.mass = 1;
    }
}

TEST(CFenWorld, LifecycleNeverLeavesDanglingReferences)
{
    IdleControl control;
    {
        World world;
        addDiscs(world, 5);
        CFenNeuralRobot& robot = CFenNeuralRobot::Create(world);
        equip(robot, control);
        world.Step(0.05);
        world.RemoveObject(&world.GetObject(2));
        world.Step(0.05);
        world.RemoveRobot(&robot);
        EXPECT_EQ(control.robot, nullptr);
        world.Step(0.05);

        CFenNeuralRobot& second = CFenNeuralRobot::Create(world);
        equip(second, control);
        world.Step(0.05);
        world.Reset(80, 80);
        EXPECT_EQ(control.robot, nullptr);
        world.Step(0.05);

        addDiscs(world, 3);
        equip(CFenNeuralRobot::Create(world), control);
        world.Step(0.05);
    }
    // The world's destruction released the robot and its control.
    EXPECT_EQ(control.robot, nullptr);
}

} // namespace

namespace {

TEST(CFenWorld, SceneRobotsAreListedApartFromTheUsersRobotEachWithItsOwnControl)
{
    World world;
    CFenNeuralRobot& sceneRobot = CFenNeuralRobot::CreateSceneRobot(world);
    CFenNeuralRobot& other = CFenNeuralRobot::CreateSceneRobot(world);
    CFenNeuralRobot& user = CFenNeuralRobot::Create(world);
    EXPECT_EQ(world.GetRobotCount(), 1u);
    EXPECT_EQ(&world.GetRobot(0), &user) << "the first robot is still the user's";
    ASSERT_EQ(world.GetSceneRobotCount(), 2u);
    EXPECT_EQ(&world.GetSceneRobot(0), &sceneRobot);
    EXPECT_EQ(&world.GetSceneRobot(1), &other);
    const std::vector<Fen::PhysicalObject*> order{&sceneRobot.GetPhysicalObject(), &other.GetPhysicalObject(),
                                                  &user.GetPhysicalObject()};
    EXPECT_EQ(world.GetFenWorld().objects, order);
    // The swarm numbers the user's robot first, then the scene's in order.
    ASSERT_EQ(world.GetSwarmSize(), 3u);
    EXPECT_EQ(&world.GetSwarmRobot(0), &user);
    EXPECT_EQ(&world.GetSwarmRobot(1), &sceneRobot);
    EXPECT_EQ(&world.GetSwarmRobot(2), &other);

    Tarn::CFeedForward network;
    network.inputDimensions = 0;
    world.DriveSceneRobot(1, network);
    EXPECT_EQ(world.GetSceneRobotControl(0), nullptr);
    ASSERT_NE(world.GetSceneRobotControl(1), nullptr);
    EXPECT_EQ(other.GetPhysicalObject().remoteControl, world.GetSceneRobotControl(1));
    EXPECT_EQ(world.GetSceneRobotControl(1)->robot, &other.GetPhysicalObject());
    // A second network replaces the control; the old one lets go of the robot.
    world.DriveSceneRobot(1, network);
    EXPECT_EQ(other.GetPhysicalObject().remoteControl, world.GetSceneRobotControl(1));

    world.Reset(50, 50);
    EXPECT_EQ(world.GetSceneRobotCount(), 0u);
    EXPECT_EQ(world.GetRobotCount(), 0u);
    EXPECT_TRUE(world.GetFenWorld().objects.empty());
}

} // namespace

namespace {

// The arrow keys a test holds.
class HeldKeys : public Tarn::IKeyboardState {
public:
    bool IsKeyDown(unsigned code) const override { return code == held; }
    unsigned held = 0;
};

TEST(CFenWorld, KeysTakeASceneRobotOverAndGiveItBackWithItsNetwork)
{
    World world;
    CFenNeuralRobot::CreateSceneRobot(world);
    CFenNeuralRobot& keyed = CFenNeuralRobot::CreateSceneRobot(world);
    // A network that does not fit (the robot has no sensors) gives no
    // commands of its own: what drives below is the keys.
    Tarn::CFeedForward network;
    network.inputDimensions = 5;
    network.layerDimensions = {4};
    world.DriveSceneRobot(1, network);
    world.GetSceneRobotControl(1)->commands.left = true;

    HeldKeys keys;
    world.SetSceneRobotKeys(1, &keys);
    Tarn::CNeuralNetworkRemoteControl* control = world.GetSceneRobotControl(1);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(keyed.GetPhysicalObject().remoteControl, control);
    EXPECT_EQ(control->network.layerDimensions, network.layerDimensions) << "its network came along";
    EXPECT_TRUE(control->isLeft()) << "and its last commands";
    keys.held = 0x26; // up
    control->update();
    EXPECT_TRUE(control->isForward());
    EXPECT_TRUE(Tarn::IsTakenOver(control));

    // Given back, it reads the keys held for it alone (none): its network
    // drives again from the next update.
    world.SetSceneRobotKeys(1, nullptr);
    control = world.GetSceneRobotControl(1);
    EXPECT_EQ(keyed.GetPhysicalObject().remoteControl, control);
    control->update();
    EXPECT_FALSE(Tarn::IsTakenOver(control));
    EXPECT_EQ(control->network.layerDimensions, network.layerDimensions);

    // A robot without a network: driven by the keys, then standing, with a
    // control of its own all along so that a log can go on recording it.
    world.SetSceneRobotKeys(0, &keys);
    Fen::RemoteControl* const standing = world.GetSceneRobot(0).GetPhysicalObject().remoteControl;
    ASSERT_NE(standing, nullptr);
    EXPECT_EQ(world.GetSceneRobotControl(0), nullptr) << "it was given no network";
    standing->update();
    EXPECT_TRUE(standing->isForward());
    world.SetSceneRobotKeys(0, nullptr);
    EXPECT_EQ(world.GetSceneRobot(0).GetPhysicalObject().remoteControl, standing);
    standing->update();
    EXPECT_FALSE(standing->isForward() || standing->isBackward() || standing->isLeft() || standing->isRight());
    world.Reset(50, 50);
}

} // namespace
