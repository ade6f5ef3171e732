#pragma once
// Small scenes for the engine tests: bodies owned here, referenced by the world.
#include <memory>
#include <utility>
#include <vector>
#include "engine/NeuralRobot.h"
#include "engine/PhysicalObject.h"
#include "engine/RemoteControl.h"
#include "engine/World.h"

namespace FenTest {

inline std::unique_ptr<Fen::PhysicalObject> disc(Fen::Point pos, double r, double mass)
{
    auto body = std::make_unique<Fen::PhysicalObject>();
    body->pos = pos;
    body->r = r;
    body->mass = mass;
    return body;
}

// Axis-aligned rectangle of half-sides hx, hy around pos, counter-clockwise.
inline std::unique_ptr<Fen::PhysicalObject> box(Fen::Point pos, double hx, double hy, double mass,
                                                Fen::Color color = {})
{
    auto body = std::make_unique<Fen::PhysicalObject>();
    body->pos = pos;
    body->mass = mass;
    body->color = color;
    body->setBoundingSurface({{-hx, -hy}, {hx, -hy}, {hx, hy}, {-hx, hy}});
    return body;
}

// A world that references bodies it does not own; the list is emptied before
// the bodies go, as the real owners do.
struct Scene {
    Fen::World world;
    std::vector<std::unique_ptr<Fen::PhysicalObject>> bodies;

    explicit Scene(double width = 100, double height = 100) : world(width, height) {}
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    ~Scene() { world.objects.clear(); }

    template <class Body>
    Body& add(std::unique_ptr<Body> body)
    {
        Body& ref = *body;
        world.addObject(body.get());
        bodies.push_back(std::move(body));
        return ref;
    }
    void step(double dt, int count = 1)
    {
        for (int i = 0; i < count; ++i)
            world.step(dt);
    }
};

// A control that gives fixed answers and counts its updates.
class FixedControl : public Fen::RemoteControl {
public:
    bool forward = false;
    bool backward = false;
    bool left = false;
    bool right = false;
    int updates = 0;

    bool isForward() override { return forward; }
    bool isBackward() override { return backward; }
    bool isLeft() override { return left; }
    bool isRight() override { return right; }
    void reset() override {}
    void update() override { ++updates; }
};

} // namespace FenTest
