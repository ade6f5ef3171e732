#pragma once
// Random arenas for comparing the broad phase with the all-pairs loop: discs
// and polygons, movable and fixed, crowded, some pressed against the walls and
// into each other, and a robot with infrared sensors and a camera that drives
// into them. The same seed gives the same scene on every build.
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include "EngineFixtures.h"
#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/Random.h"

namespace FenTest {

// Uniform numbers from the standard engine's fixed sequence (the standard
// distributions may differ between libraries).
class Dice {
public:
    explicit Dice(std::uint32_t seed) : engine(seed) {}
    double unit() { return (engine() >> 5) * (1.0 / 134217728.0); }
    double between(double low, double high) { return low + (high - low) * unit(); }
    int below(int count) { return static_cast<int>(unit() * count); }
    bool chance(double p) { return unit() < p; }

private:
    std::mt19937 engine;
};

// Drives by a script that changes with the step count, and backs away from
// what its front sensors see, so that it pushes into crowds and turns.
class ScriptedControl : public FixedControl {
public:
    const Fen::NeuralRobot* robot = nullptr;
    int step = 0;
    int seed = 0;
    void update() override
    {
        ++step;
        const int phase = (step / 90 + seed) % 7;
        double front = 0;
        for (std::size_t i = 0; i < robot->irSensors.size() && i < 3; ++i)
            front += robot->irSensors[i]->finalValue;
        forward = phase != 3 && phase != 6;
        backward = phase == 3;
        left = phase == 1 || phase == 5 || front > 2000;
        right = phase == 2 || phase == 6;
    }
};

struct RandomScene : Scene {
    std::vector<Fen::NeuralRobot*> robots;
    std::vector<std::unique_ptr<ScriptedControl>> controls;

    // An empty arena, to be filled by hand.
    RandomScene() : Scene(1, 1) {}

    // swarm > 0: that many robots, every other one with a camera, in an
    // arena grown to hold them (the same draws otherwise).
    RandomScene(std::uint32_t seed, int bodies, int swarm = 0) : Scene(1, 1)
    {
        Dice dice(seed);
        const double size = dice.between(15, 60);
        world.width = size * dice.between(0.7, 1.4);
        world.height = size;
        world.useWalls = !dice.chance(0.1);
        const bool twoRobots = dice.chance(0.2);
        const int robotCount = swarm > 0 ? swarm : twoRobots ? 2 : 1;
        if (swarm > 0) {
            const double grow = std::sqrt((bodies + swarm) / 80.0);
            world.width *= grow;
            world.height *= grow;
        }
        // Where in the list the robots go: first, last or among the bodies.
        std::vector<int> robotSlots;
        for (int k = 0; k < robotCount; ++k)
            robotSlots.push_back(dice.below(bodies + 1));
        const double crowd = dice.between(0.2, 1.2); // body size against spacing
        const double spacing = std::sqrt(world.width * world.height / (bodies + 1.0));
        for (int i = 0; i <= bodies; ++i) {
            for (int k = 0; k < robotCount; ++k)
                if (robotSlots[k] == i)
                    addRobot(dice, swarm > 0 ? k % 2 == 0 : k == 0, seed + k);
            if (i < bodies)
                addBody(dice, spacing * crowd * 0.5);
        }
    }
    ~RandomScene()
    {
        for (Fen::NeuralRobot* robot : robots)
            robot->detachRemoteControl();
    }

private:
    void addRobot(Dice& dice, bool withCamera, std::uint32_t seed)
    {
        auto body = std::make_unique<Fen::NeuralRobot>();
        body->pos = {dice.between(0.2, 0.8) * world.width, dice.between(0.2, 0.8) * world.height};
        body->angle = dice.between(-Fen::pi, Fen::pi);
        body->r = dice.between(0.4, 1.5);
        body->mass = dice.chance(0.1) ? -1 : dice.between(0.5, 3);
        body->height = 1;
        body->collisionAngularFrictionFactor = 0.05;
        body->staticFrictionThreshold = dice.chance(0.5) ? 0.1 : 0;
        body->viscousFrictionTau = dice.chance(0.5) ? 0.1 : 0;
        body->wheelDistance = 2 * body->r;
        body->robotSpeed = dice.between(2, 9);
        Fen::NeuralRobot* robot = &add(std::move(body));
        Fen::SensorResponseFunctor* model = &Fen::NeuralRobotIRSensorModel::instance();
        const int sensors = 8;
        for (int i = 0; i < sensors; ++i) {
            const double a = i * 2 * Fen::pi / sensors;
            const unsigned rays = dice.chance(0.2) ? 3 : 1;
            std::vector<Fen::SensorResponseFunctor*> functors(rays, model);
            auto s = std::make_unique<Fen::IRSensor>(rays, functors.data());
            s->setup(robot->r * std::cos(a), robot->r * std::sin(a), dice.between(0.2, 0.9), a, dice.between(2, 8),
                     dice.between(0, 0.3));
            s->setOwner(robot);
            robot->irSensors.push_back(std::move(s));
            robot->addLocalInteraction(robot->irSensors.back().get());
        }
        if (withCamera) {
            auto camera = std::make_unique<Fen::CircularCam>();
            camera->setup(robot->r * 0.8, 0, 0.5, dice.between(-0.3, 0.3), dice.between(0.3, 1.4), 20 + dice.below(60));
            camera->setOwner(robot);
            robot->cameras.push_back(std::move(camera));
            robot->addLocalInteraction(robot->cameras.back().get());
        }
        auto control = std::make_unique<ScriptedControl>();
        control->robot = robot;
        control->seed = static_cast<int>(seed % 7);
        robot->setRemoteControl(control.get());
        controls.push_back(std::move(control));
        robots.push_back(robot);
    }

    void addBody(Dice& dice, double typical)
    {
        auto body = std::make_unique<Fen::PhysicalObject>();
        // Some against a wall or past it, the rest anywhere.
        const double w = world.width;
        const double h = world.height;
        const double size = typical * dice.between(0.3, 1.6);
        Fen::Point pos{dice.between(0, w), dice.between(0, h)};
        if (dice.chance(0.1))
            pos.x = dice.chance(0.5) ? size * dice.between(0.8, 1.1) : w - size * dice.between(0.8, 1.1);
        body->pos = pos;
        body->mass = dice.chance(0.35) ? -1 : dice.between(0.2, 4);
        body->height = dice.chance(0.1) ? 0.3 : 1;
        body->color = {dice.unit(), dice.unit(), dice.unit(), 1};
        body->collisionAngularFrictionFactor = dice.between(0, 0.1);
        body->staticFrictionThreshold = dice.chance(0.5) ? 0.1 : 0;
        body->viscousFrictionTau = dice.chance(0.3) ? dice.between(0.02, 0.5) : 0;
        body->viscousMomentFrictionTau = dice.chance(0.2) ? 0.2 : 0;
        body->angle = dice.between(-Fen::pi, Fen::pi);
        if (dice.chance(0.5)) {
            body->r = size;
        } else {
            const int n = 3 + dice.below(5);
            const double stretch = dice.between(1, 3);
            Fen::Polygone polygon;
            for (int k = 0; k < n; ++k) {
                const double a = 2 * Fen::pi * k / n;
                polygon.push_back({size * stretch * std::cos(a), size * std::sin(a)});
            }
            body->setBoundingSurface(polygon);
        }
        add(std::move(body));
    }
};

// Every bit of the state a step leaves: bodies, sensors, camera images and the
// noise generator, folded into one number.
inline std::uint64_t fingerprint(const RandomScene& scene)
{
    std::uint64_t h = 1469598103934665603u;
    const auto mix = [&](double v) {
        h ^= std::bit_cast<std::uint64_t>(v);
        h *= 1099511628211u;
    };
    for (const Fen::PhysicalObject* body : scene.world.objects) {
        mix(body->pos.x);
        mix(body->pos.y);
        mix(body->angle);
        mix(body->speed.x);
        mix(body->speed.y);
        mix(body->angSpeed);
        mix(body->collisionShift.x);
        mix(body->collisionShift.y);
    }
    for (const Fen::NeuralRobot* robot : scene.robots) {
        for (const auto& sensor : robot->irSensors) {
            mix(sensor->finalValue);
            for (double d : sensor->finalRayDistances)
                mix(d);
        }
        for (const auto& camera : robot->cameras) {
            for (std::size_t k = 0; k < camera->image.size(); ++k) {
                mix(camera->zBuffer[k]);
                mix(camera->image[k].r + 2 * camera->image[k].g + 4 * camera->image[k].b);
            }
        }
    }
    mix(static_cast<double>(Fen::randomState()));
    return h;
}

} // namespace FenTest
