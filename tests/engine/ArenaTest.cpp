// Long runs of a small walled arena: physical sanity, repeatability, and no
// allocation once the scene is set up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include "ArenaScene.h"
#include "RandomScene.h"
#include "engine/Random.h"

using namespace Fen;
using FenTest::ArenaScene;

namespace {

// Counts every allocation of the test program; the step must not add any.
std::size_t allocations = 0;

bool finite(const PhysicalObject& body)
{
    if (!std::isfinite(body.pos.x) || !std::isfinite(body.pos.y) || !std::isfinite(body.angle))
        return false;
    return std::isfinite(body.speed.x) && std::isfinite(body.speed.y) && std::isfinite(body.angSpeed);
}

} // namespace

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(Arena, LongRunStaysInsideAndFinite)
{
    setRandomState(2024);
    ArenaScene scene;
    const double w = scene.world.width;
    const double h = scene.world.height;
    double travelled = 0;
    for (int i = 0; i < 6000; ++i) {
        const Point before = scene.robot->pos;
        scene.world.step(1.0 / 60);
        travelled += (scene.robot->pos - before).norm();
        for (const PhysicalObject* body : scene.world.objects) {
            ASSERT_TRUE(finite(*body)) << "step " << i;
            // Walls push every body back inside within its own step.
            ASSERT_GE(body->pos.x, 0) << "step " << i;
            ASSERT_LE(body->pos.x, w) << "step " << i;
            ASSERT_GE(body->pos.y, 0) << "step " << i;
            ASSERT_LE(body->pos.y, h) << "step " << i;
        }
        for (const auto& sensor : scene.robot->irSensors)
            ASSERT_TRUE(std::isfinite(sensor->finalValue)) << "step " << i;
    }
    // It kept moving rather than getting stuck.
    EXPECT_GT(travelled, 20);
}

TEST(Arena, ForwardCommandAdvancesRobotSpeedPerSecond)
{
    setRandomState(7);
    ArenaScene scene(200);
    scene.robot->detachRemoteControl();
    FenTest::FixedControl forward;
    forward.forward = true;
    scene.robot->setRemoteControl(&forward);
    scene.robot->pos = {100, 100};
    const Point start = scene.robot->pos;
    for (int i = 0; i < 5 * 60; ++i)
        scene.world.step(1.0 / 60);
    const double perSecond = (scene.robot->pos - start).norm() / 5;
    EXPECT_NEAR(perSecond, scene.robot->robotSpeed, 0.05 * scene.robot->robotSpeed);
}

TEST(Determinism, SameStartGivesTheSameRunBitForBit)
{
    const auto run = [](std::uint32_t seed) {
        setRandomState(seed);
        ArenaScene scene;
        std::vector<double> trace;
        for (int i = 0; i < 1500; ++i) {
            scene.world.step(1.0 / 60);
            for (const PhysicalObject* body : scene.world.objects) {
                trace.push_back(body->pos.x);
                trace.push_back(body->pos.y);
                trace.push_back(body->angle);
            }
            for (const auto& sensor : scene.robot->irSensors)
                trace.push_back(sensor->finalValue);
            for (const Color& c : scene.robot->cameras[0]->image)
                trace.push_back(c.r + 2 * c.g + 4 * c.b);
        }
        trace.push_back(randomState());
        return trace;
    };
    const std::vector<double> first = run(99);
    const std::vector<double> second = run(99);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_TRUE(first == second);
    // The noise matters: another start gives another run.
    EXPECT_FALSE(run(100) == first);
}

TEST(Determinism, SteadyStepAllocatesNothing)
{
    for (const PairSearch search : {PairSearch::allPairs, PairSearch::broadPhase}) {
        setRandomState(3);
        ArenaScene scene;
        scene.world.pairSearch = search;
        for (int i = 0; i < 10; ++i)
            scene.world.step(1.0 / 60);
        const std::size_t before = allocations;
        for (int i = 0; i < 500; ++i)
            scene.world.step(1.0 / 60);
        EXPECT_EQ(allocations, before);
        EXPECT_EQ(scene.world.lastStepUsedBroadPhase(), search == PairSearch::broadPhase);
    }
}

TEST(Determinism, SteadyBroadPhaseStepInACrowdAllocatesNothing)
{
    // Bodies pushed about, placed again in the grid, new pairs and sightings:
    // all within the room the first steps set up.
    FenTest::RandomScene scene(17, 150);
    scene.world.pairSearch = PairSearch::broadPhase;
    for (int i = 0; i < 10; ++i)
        scene.world.step(1.0 / 60);
    const std::size_t before = allocations;
    for (int i = 0; i < 1000; ++i)
        scene.world.step(1.0 / 60);
    EXPECT_EQ(allocations, before);
    EXPECT_TRUE(scene.world.lastStepUsedBroadPhase());
}
