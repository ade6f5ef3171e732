#pragma once
// The benchmark arena, described once so that Korvale and the rigid-body peer
// build the same scene: a 100 x 100 walled arena; a robot of radius 1 in the
// middle with 8 infrared sensors (range 5) and a 50-pixel camera (half view
// pi/4); around it `count` bodies on a jittered grid, two discs for every
// polygon (regular, 3 to 6 vertices), every other one fixed. The robot drives
// forward and turns left while its front sensors read high.
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

namespace Bench {

constexpr double arenaSize = 100;
constexpr double stepTime = 1.0 / 60;
constexpr double robotRadius = 1;
constexpr double robotSpeed = 5;
constexpr double wheelDistance = 1.5;
constexpr int sensorCount = 8;
constexpr double sensorRange = 5;
constexpr int pixelCount = 50;
constexpr double halfView = Fen::pi / 4;

// Sensor i sits on the robot's rim at angle i*pi/4 and looks outwards.
inline double sensorAngle(int i) { return i * Fen::pi / 4; }

// Forward while the three front sensors read little in total.
inline bool frontClear(double front0, double front1, double front7) { return front0 + front1 + front7 < 400; }

struct BodySpec {
    Fen::Point pos;
    double angle = 0;
    double r = 0; // a disc's radius; a polygon's size
    int vertices = 0; // 0 for a disc
    double mass = -1; // negative: fixed
    Fen::Color color;
};

// Regular polygon of `vertices` corners at distance `size` from its centre.
inline Fen::Polygone regularPolygon(int vertices, double size)
{
    Fen::Polygone polygon;
    for (int k = 0; k < vertices; ++k)
        polygon.push_back(
            Fen::Point{size * std::cos(2 * Fen::pi * k / vertices), size * std::sin(2 * Fen::pi * k / vertices)});
    return polygon;
}

inline std::vector<BodySpec> crowdedBodies(int count)
{
    const int polygons = count / 3;
    const int discs = count - polygons;
    // A jittered grid keeps the bodies apart at the start; the robot's cell stays free.
    const int side = static_cast<int>(std::ceil(std::sqrt(count + 1.0)));
    const double cell = arenaSize / side;
    std::mt19937 random(12345);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<BodySpec> bodies;
    for (int gy = 0; gy < side && static_cast<int>(bodies.size()) < count; ++gy) {
        for (int gx = 0; gx < side && static_cast<int>(bodies.size()) < count; ++gx) {
            const Fen::Point centre{(gx + 0.5) * cell, (gy + 0.5) * cell};
            if (std::fabs(centre.x - arenaSize / 2) < cell && std::fabs(centre.y - arenaSize / 2) < cell)
                continue;
            const int placed = static_cast<int>(bodies.size());
            BodySpec body;
            const double size = std::min(0.4 + 0.8 * unit(random), cell * 0.3);
            body.pos = centre + Fen::Vector{unit(random) - 0.5, unit(random) - 0.5} * (cell * 0.2);
            body.mass = placed % 2 == 0 ? 1 + 2 * unit(random) : -1;
            body.color = Fen::Color{unit(random), unit(random), unit(random), 1};
            body.r = size;
            if (placed >= discs) {
                body.vertices = 3 + placed % 4;
                body.angle = unit(random) * Fen::pi;
            }
            bodies.push_back(body);
        }
    }
    return bodies;
}

// The scene in Korvale's engine.
class KorvaleScene {
public:
    Fen::World world{arenaSize, arenaSize};

    explicit KorvaleScene(int count)
    {
        auto robot = std::make_unique<Fen::NeuralRobot>();
        robot->pos = Fen::Point{arenaSize / 2, arenaSize / 2};
        robot->r = robotRadius;
        robot->mass = 1;
        robot->height = 1;
        robot->robotSpeed = robotSpeed;
        robot->wheelDistance = wheelDistance;
        Fen::SensorResponseFunctor* model = &Fen::NeuralRobotIRSensorModel::instance();
        for (int i = 0; i < sensorCount; ++i) {
            const double a = sensorAngle(i);
            auto sensor = std::make_unique<Fen::IRSensor>(1, &model);
            sensor->setup(robotRadius * std::cos(a), robotRadius * std::sin(a), 0.5, a, sensorRange, 0);
            sensor->setOwner(robot.get());
            robot->irSensors.push_back(std::move(sensor));
            robot->addLocalInteraction(robot->irSensors.back().get());
        }
        auto camera = std::make_unique<Fen::CircularCam>();
        camera->setup(0, 0, 0.5, 0, halfView, pixelCount);
        camera->setOwner(robot.get());
        robot->cameras.push_back(std::move(camera));
        robot->addLocalInteraction(robot->cameras.back().get());
        robot->setRemoteControl(&control);
        world.addObject(robot.get());
        bodies.push_back(std::move(robot));

        for (const BodySpec& spec : crowdedBodies(count)) {
            auto body = std::make_unique<Fen::PhysicalObject>();
            body->pos = spec.pos;
            body->height = 1;
            body->mass = spec.mass;
            body->color = spec.color;
            body->collisionAngularFrictionFactor = 0.05;
            body->staticFrictionThreshold = 0.1;
            if (spec.vertices == 0) {
                body->r = spec.r;
            } else {
                body->setBoundingSurface(regularPolygon(spec.vertices, spec.r));
                body->angle = spec.angle;
            }
            world.addObject(body.get());
            bodies.push_back(std::move(body));
        }
    }
    KorvaleScene(const KorvaleScene&) = delete;
    KorvaleScene& operator=(const KorvaleScene&) = delete;
    ~KorvaleScene()
    {
        static_cast<Fen::NeuralRobot&>(*bodies.front()).detachRemoteControl();
        world.objects.clear();
    }

private:
    class Avoider : public Fen::RemoteControl {
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
            forward = frontClear(ir[0]->finalValue, ir[1]->finalValue, ir[7]->finalValue);
        }
    };

    Avoider control;
    std::vector<std::unique_ptr<Fen::PhysicalObject>> bodies;
};

} // namespace Bench
