// World steps per second at dt = 1/60: the reference scene (a 100 x 100
// arena, a robot with 8 infrared sensors and a 50-pixel camera, 20 discs and
// 10 polygons, movable and fixed) and the same kind of scene with 10, 100 and
// 1000 bodies, to show how the all-pairs step grows.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>
#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/RemoteControl.h"
#include "engine/World.h"


namespace {

using namespace Fen;

// Forward, turning left while the front sensors see something close.
class Avoider : public RemoteControl {
public:
    bool forward = true;
    bool isForward() override { return forward; }
    bool isBackward() override { return false; }
    bool isLeft() override { return !forward; }
    bool isRight() override { return false; }
    void reset() override {}
    void update() override
    {
        const auto& ir = robot->irSensors;
        forward = ir[0]->finalValue + ir[1]->finalValue + ir[7]->finalValue < 400;
    }
};

class BenchScene {
public:
    World world{100, 100};

    BenchScene(int discs, int polygons)
    {
        auto robot = std::make_unique<NeuralRobot>();
        robot->pos = Point{50, 50};
        robot->r = 1;
        robot->mass = 1;
        robot->height = 1;
        robot->robotSpeed = 5;
        robot->wheelDistance = 1.5;
        SensorResponseFunctor* model = &NeuralRobotIRSensorModel::instance();
        for (int i = 0; i < 8; ++i) {
            const double a = i * pi / 4;
            auto sensor = std::make_unique<IRSensor>(1, &model);
            sensor->setup(std::cos(a), std::sin(a), 0.5, a, 5, 0);
            sensor->setOwner(robot.get());
            robot->irSensors.push_back(std::move(sensor));
            robot->addLocalInteraction(robot->irSensors.back().get());
        }
        auto camera = std::make_unique<CircularCam>();
        camera->setup(0, 0, 0.5, 0, pi / 4, 50);
        camera->setOwner(robot.get());
        robot->cameras.push_back(std::move(camera));
        robot->addLocalInteraction(robot->cameras.back().get());
        robot->setRemoteControl(&control);
        world.addObject(robot.get());
        bodies.push_back(std::move(robot));

        // A jittered grid keeps the bodies apart at the start; the robot's cell stays free.
        const int count = discs + polygons;
        const int side = static_cast<int>(std::ceil(std::sqrt(count + 1.0)));
        const double cell = 100.0 / side;
        std::mt19937 random(12345);
        std::uniform_real_distribution<double> unit(0, 1);
        int placed = 0;
        for (int gy = 0; gy < side && placed < count; ++gy) {
            for (int gx = 0; gx < side && placed < count; ++gx) {
                const Point centre{(gx + 0.5) * cell, (gy + 0.5) * cell};
                if (std::fabs(centre.x - 50) < cell && std::fabs(centre.y - 50) < cell)
                    continue;
                const double size = std::min(0.4 + 0.8 * unit(random), cell * 0.3);
                const Point pos = centre + Vector{unit(random) - 0.5, unit(random) - 0.5} * (cell * 0.2);
                auto body = std::make_unique<PhysicalObject>();
                body->pos = pos;
                body->height = 1;
                body->mass = placed % 2 == 0 ? 1 + 2 * unit(random) : -1;
                body->color = Color{unit(random), unit(random), unit(random), 1};
                body->collisionAngularFrictionFactor = 0.05;
                body->staticFrictionThreshold = 0.1;
                if (placed < discs) {
                    body->r = size;
                } else {
                    // Regular polygons of 3 to 6 vertices.
                    const int n = 3 + placed % 4;
                    Polygone polygon;
                    for (int k = 0; k < n; ++k)
                        polygon.push_back(Point{size * std::cos(2 * pi * k / n), size * std::sin(2 * pi * k / n)});
                    body->setBoundingSurface(polygon);
                    body->angle = unit(random) * pi;
                }
                world.addObject(body.get());
                bodies.push_back(std::move(body));
                ++placed;
            }
        }
    }
    BenchScene(const BenchScene&) = delete;
    BenchScene& operator=(const BenchScene&) = delete;
    ~BenchScene()
    {
        static_cast<NeuralRobot&>(*bodies.front()).detachRemoteControl();
        world.objects.clear();
    }

private:
    Avoider control;
    std::vector<std::unique_ptr<PhysicalObject>> bodies;
};

void runSteps(benchmark::State& state, int discs, int polygons)
{
    BenchScene scene(discs, polygons);
    constexpr double dt = 1.0 / 60;
    for (int i = 0; i < 60; ++i)
        scene.world.step(dt);
    for (auto _ : state)
        scene.world.step(dt);
    state.SetItemsProcessed(state.iterations());
    state.counters["bodies"] = static_cast<double>(scene.world.objects.size());
}

void ReferenceScene(benchmark::State& state) { runSteps(state, 20, 10); }

// Two discs for every polygon, as in the reference scene.
void BodyCount(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const int polygons = count / 3;
    runSteps(state, count - polygons, polygons);
}

} // namespace

BENCHMARK(ReferenceScene);
BENCHMARK(BodyCount)->Arg(10)->Arg(100)->Arg(1000);

BENCHMARK_MAIN();
