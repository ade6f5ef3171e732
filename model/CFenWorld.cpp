#include "model/CFenWorld.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "control/CTakeOverRemoteControl.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"

namespace Tarn {

namespace {

// Takes the first adapter equal to item out of list and returns it, so the
// caller destroys it after the list is consistent again; null when absent.
// Room for one more adapter, grown geometrically as push_back would, so that
// the append that follows cannot fail.
template <class T>
void reserveOneMore(std::vector<T>& list)
{
    if (list.size() == list.capacity())
        list.reserve(2 * list.capacity() + 1);
}

template <class T>
std::unique_ptr<T> takeOut(std::vector<std::unique_ptr<T>>& list, const T* item)
{
    const auto found = std::find_if(list.begin(), list.end(), [item](const auto& p) { return p.get() == item; });
    if (found == list.end())
        return nullptr;
    std::unique_ptr<T> taken = std::move(*found);
    list.erase(found);
    return taken;
}

} // namespace

CFenWorld::CFenWorld(IFenIOFactory& ioFactory_, IFenGraphicsFactory& graphicsFactory_)
    : ioFactory(ioFactory_), graphicsFactory(graphicsFactory_), world(100, 100)
{
    Reset(100, 100);
    graphics = graphicsFactory.CreateGraphics(*this);
    io = ioFactory.CreateIO(*this);
}

CFenWorld::~CFenWorld()
{
    Reset(100, 100);
    graphics.reset();
    io.reset();
}

void CFenWorld::Reset(double width, double height)
{
    startPoints.clear();
    // The engine world lets go of the bodies first: it must never list one
    // whose adapter is gone.
    world.objects.clear();
    world.useWalls = true;
    world.width = width;
    world.height = height;
    // Moved out so that the lists are already empty while adapters die.
    { const auto doomed = std::move(objects); objects.clear(); }
    { const auto doomed = std::move(robots); robots.clear(); }
    { const auto doomed = std::move(sceneRobots); sceneRobots.clear(); }
}

unsigned CFenWorld::GetObjectCount() const { return static_cast<unsigned>(objects.size()); }

CFenPhysicalObject& CFenWorld::GetObject(unsigned index) const { return *objects.at(index); }

unsigned CFenWorld::GetRobotCount() const { return static_cast<unsigned>(robots.size()); }

CFenNeuralRobot& CFenWorld::GetRobot(unsigned index) const { return *robots.at(index); }

unsigned CFenWorld::GetSceneRobotCount() const { return static_cast<unsigned>(sceneRobots.size()); }

CFenNeuralRobot& CFenWorld::GetSceneRobot(unsigned index) const { return *sceneRobots.at(index).robot; }

CNeuralNetworkRemoteControl* CFenWorld::GetSceneRobotControl(unsigned index) const
{
    const SceneRobot& scene = sceneRobots.at(index);
    return scene.networkGiven ? &scene.controls->network : nullptr;
}

void CFenWorld::DriveSceneRobot(unsigned index, const CFeedForward& network)
{
    SceneRobotControls(index).network.network = network;
    sceneRobots[index].networkGiven = true;
}

CRobotControls& CFenWorld::SceneRobotControls(unsigned index)
{
    SceneRobot& scene = sceneRobots.at(index);
    if (scene.controls == nullptr)
        scene.controls = std::make_unique<CRobotControls>(scene.robot->GetPhysicalObject());
    return *scene.controls;
}

void CFenWorld::SetSceneRobotKeys(unsigned index, const IKeyboardState* keys)
{
    SceneRobotControls(index).ReadKeysFrom(keys);
}

double CFenWorld::StepTime(double dt)
{
    if (dt > maxStepTime)
        dt = maxStepTime;
    // Written so that a NaN time also becomes the smallest step.
    if (!(dt >= minStepTime))
        dt = minStepTime;
    return dt;
}

bool CFenWorld::TakesFrameTime(double frameTime)
{
    // Beyond every float (or NaN) the conversion below would be undefined;
    // such a time is far outside the range anyway.
    if (!(std::fabs(frameTime) <= std::numeric_limits<float>::max()))
        return false;
    const double step = static_cast<float>(frameTime);
    return StepTime(step) == step;
}

void CFenWorld::Step(double dt) { world.step(StepTime(dt)); }

void CFenWorld::AddObject(CFenPhysicalObject* object)
{
    // Room first, so that a failing allocation registers nothing anywhere.
    reserveOneMore(objects);
    world.addObject(&object->GetPhysicalObject());
    objects.emplace_back(object);
}

void CFenWorld::AddRobot(CFenNeuralRobot* robot)
{
    reserveOneMore(robots);
    world.addObject(&robot->GetPhysicalObject());
    robots.emplace_back(robot);
}

void CFenWorld::AddSceneRobot(CFenNeuralRobot* robot)
{
    reserveOneMore(sceneRobots);
    world.addObject(&robot->GetPhysicalObject());
    sceneRobots.push_back(SceneRobot{std::unique_ptr<CFenNeuralRobot>(robot), nullptr, false});
}

void CFenWorld::RemoveObject(CFenPhysicalObject* object)
{
    std::unique_ptr<CFenPhysicalObject> taken = takeOut(objects, object);
    if (taken)
        world.removeObject(&taken->GetPhysicalObject());
}

void CFenWorld::RemoveRobot(CFenNeuralRobot* robot)
{
    std::unique_ptr<CFenNeuralRobot> taken = takeOut(robots, robot);
    if (taken)
        world.removeObject(&taken->GetPhysicalObject());
}

void CFenWorld::AddStartPoint(const Fen::Point& point) { startPoints.push_back(point); }

unsigned CFenWorld::GetStartPointCount() const { return static_cast<unsigned>(startPoints.size()); }

Fen::Point CFenWorld::GetStartPoint(unsigned index) const { return startPoints.at(index); }

Fen::World& CFenWorld::GetFenWorld() { return world; }

void CFenWorld::Read(CFenIOStruct& ioStruct) { io->Read(ioStruct); }

DeviceResult CFenWorld::Draw() { return graphics->Draw(); }

} // namespace Tarn
