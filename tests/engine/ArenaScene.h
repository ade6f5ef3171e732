#pragma once
// A walled arena with a sensing robot among movable and fixed discs and
// polygons, for the long-run and determinism tests.
#include <cmath>
#include "EngineFixtures.h"
#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobotIRSensorModel.h"

namespace FenTest {

// Drives forward and turns left whenever the front sensors read high.
class AvoidingControl : public FixedControl {
public:
    const Fen::NeuralRobot* robot = nullptr;
    void update() override
    {
        ++updates;
        double front = 0;
        for (std::size_t i = 0; i < robot->irSensors.size(); ++i)
            if (i == 0 || i == 1 || i == 7)
                front += robot->irSensors[i]->finalValue;
        forward = front < 300;
        left = !forward;
    }
};

struct ArenaScene : Scene {
    Fen::NeuralRobot* robot;
    AvoidingControl control;

    explicit ArenaScene(double size = 20) : Scene(size, size)
    {
        auto body = std::make_unique<Fen::NeuralRobot>();
        body->pos = {size / 2, size / 2};
        body->r = 0.5;
        body->mass = 1;
        body->height = 1;
        body->collisionAngularFrictionFactor = 0.1;
        body->wheelDistance = 0.8;
        body->robotSpeed = 2;
        robot = &add(std::move(body));
        Fen::SensorResponseFunctor* model = &Fen::NeuralRobotIRSensorModel::instance();
        for (int i = 0; i < 8; ++i) {
            const double a = i * Fen::pi / 4;
            auto s = std::make_unique<Fen::IRSensor>(1, &model);
            s->setup(0.5 * std::cos(a), 0.5 * std::sin(a), 0.5, a, 3, 0);
            s->setOwner(robot);
            robot->irSensors.push_back(std::move(s));
            robot->addLocalInteraction(robot->irSensors.back().get());
        }
        auto cam = std::make_unique<Fen::CircularCam>();
        cam->setup(0, 0, 0.5, 0, Fen::pi / 3, 50);
        cam->setOwner(robot);
        robot->cameras.push_back(std::move(cam));
        robot->addLocalInteraction(robot->cameras.back().get());
        control.robot = robot;
        robot->setRemoteControl(&control);

        for (int i = 0; i < 6; ++i) {
            const double mass = i % 2 == 0 ? 1 + i : -1;
            auto& d = add(disc({2.5 + 3 * i, 3 + (i % 3) * 6.5}, 0.4 + 0.1 * i, mass));
            d.height = 1;
            d.color = {0.1 * i, 0.5, 1 - 0.1 * i, 1};
        }
        for (int i = 0; i < 4; ++i) {
            const double mass = i % 2 == 0 ? 2 : -1;
            auto& b = add(box({4.0 + 4 * i, 16.5 - (i % 2) * 10}, 0.6, 0.4 + 0.2 * i, mass, {1, 0.2 * i, 0, 1}));
            b.angle = 0.3 * i;
            b.height = 1;
            b.viscousFrictionTau = 0.5;
        }
    }
    ~ArenaScene() { robot->detachRemoteControl(); }
};

} // namespace FenTest
