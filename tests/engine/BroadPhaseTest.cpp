// The broad phase against the all-pairs loop: the same run to the bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>
#include <string>
#include "RandomScene.h"
#include "engine/Random.h"

using namespace Fen;
using FenTest::RandomScene;

namespace {

// Steps two copies of a scene, one per way of finding pairs, each with its
// own noise, and returns the first step whose fingerprints differ (or -1).
struct Comparison {
    int firstDifference = -1;
    int broadSteps = 0;
    std::vector<bool> broad; // per step, whether the broad phase took it
    double visitShare = 0; // broad-phase visits against all-pairs ones
};

template <class Change>
Comparison compare(RandomScene& plain, RandomScene& broad, int steps, double dt, const Change& change)
{
    plain.world.pairSearch = PairSearch::allPairs;
    broad.world.pairSearch = PairSearch::broadPhase;
    std::uint32_t plainNoise = 12345;
    std::uint32_t broadNoise = 12345;
    Comparison result;
    double plainVisits = 0;
    double broadVisits = 0;
    for (int i = 0; i < steps; ++i) {
        change(plain, i);
        change(broad, i);
        std::uint64_t a;
        std::uint64_t b;
        {
            NoiseScope noise(plainNoise);
            plain.world.step(dt);
            a = FenTest::fingerprint(plain);
        }
        {
            NoiseScope noise(broadNoise);
            broad.world.step(dt);
            b = FenTest::fingerprint(broad);
        }
        plainVisits += static_cast<double>(plain.world.lastStepVisits());
        broadVisits += static_cast<double>(broad.world.lastStepVisits());
        result.broadSteps += broad.world.lastStepUsedBroadPhase();
        result.broad.push_back(broad.world.lastStepUsedBroadPhase());
        if (a != b) {
            result.firstDifference = i;
            break;
        }
    }
    result.visitShare = plainVisits > 0 ? broadVisits / plainVisits : 0;
    return result;
}

Comparison compare(RandomScene& plain, RandomScene& broad, int steps, double dt)
{
    return compare(plain, broad, steps, dt, [](RandomScene&, int) {});
}

// KORVALE_BROAD_PHASE_SCENES=N runs more scenes than the default.
int sceneCount(int fallback)
{
    const char* text = std::getenv("KORVALE_BROAD_PHASE_SCENES");
    return text != nullptr ? std::atoi(text) : fallback;
}

} // namespace

TEST(BroadPhase, RandomScenesRunAsWithAllPairsForTenThousandSteps)
{
    const int scenes = sceneCount(12);
    for (int seed = 1; seed <= scenes; ++seed) {
        const int bodies = 30 + (seed * 37) % 50;
        const double dt = seed % 4 == 0 ? 0.03 : 1.0 / 60;
        RandomScene plain(seed, bodies);
        RandomScene broad(seed, bodies);
        const Comparison c = compare(plain, broad, 10000, dt);
        ASSERT_EQ(c.firstDifference, -1) << "scene " << seed;
        // It really took the steps, and left pairs out.
        EXPECT_EQ(c.broadSteps, 10000) << "scene " << seed;
        EXPECT_LT(c.visitShare, 0.6) << "scene " << seed;
    }
}

TEST(BroadPhase, RandomScenesWithPolygonRobotsRunAsWithAllPairs)
{
    // The same arenas with pentagons for robots: the walls meet a polygon
    // robot where contacts took it during the step.
    const auto pentagons = [](RandomScene& scene) {
        for (NeuralRobot* robot : scene.robots) {
            Polygone pentagon;
            for (int k = 0; k < 5; ++k)
                pentagon.push_back(rotate(Vector{robot->r, 0}, 2 * pi * k / 5));
            robot->setBoundingSurface(pentagon);
        }
    };
    for (int seed = 1; seed <= sceneCount(12) / 3; ++seed) {
        const int bodies = 30 + (seed * 37) % 50;
        RandomScene plain(seed, bodies);
        RandomScene broad(seed, bodies);
        pentagons(plain);
        pentagons(broad);
        const Comparison c = compare(plain, broad, 5000, 1.0 / 60);
        ASSERT_EQ(c.firstDifference, -1) << "scene " << seed;
        EXPECT_EQ(c.broadSteps, 5000) << "scene " << seed;
    }
}

namespace {

// A scene built the same way twice, one per way of finding pairs.
template <class Build>
Comparison compareBuilt(const Build& build, int steps, double dt = 1.0 / 60)
{
    RandomScene plain;
    RandomScene broad;
    build(plain);
    build(broad);
    return compare(plain, broad, steps, dt);
}

// A robot with one camera looking along +x from `pos`.
Fen::NeuralRobot& addCameraRobot(RandomScene& scene, Point pos, double fieldOfView, unsigned pixels)
{
    auto body = std::make_unique<NeuralRobot>();
    body->pos = pos;
    body->r = 0.2;
    body->mass = -1;
    body->height = 1;
    NeuralRobot& robot = scene.add(std::move(body));
    auto camera = std::make_unique<CircularCam>();
    camera->setup(0, 0, 0.5, 0, fieldOfView, pixels);
    camera->setOwner(&robot);
    robot.cameras.push_back(std::move(camera));
    robot.addLocalInteraction(robot.cameras.back().get());
    scene.robots.push_back(&robot);
    return robot;
}

PhysicalObject& addDisc(RandomScene& scene, Point pos, double r, Color color)
{
    auto& body = scene.add(FenTest::disc(pos, r, -1));
    body.height = 1;
    body.color = color;
    return body;
}

} // namespace

TEST(BroadPhaseCamera, EquallyNearDiscsShowTheEarlierWhateverTheWalk)
{
    // Same depth, overlapping arcs; in one grid cell the later body comes
    // first, so only the ordered depth test keeps the earlier one in front.
    const Color first{1, 0, 0, 1};
    const Color second{0, 0, 1, 1};
    const auto build = [&](RandomScene& scene) {
        scene.world.width = 40;
        scene.world.height = 40;
        addCameraRobot(scene, {10, 20}, 0.5, 50);
        addDisc(scene, {20, 20.3}, 1, first);
        addDisc(scene, {20, 19.7}, 1, second);
    };
    const Comparison c = compareBuilt(build, 3);
    EXPECT_EQ(c.firstDifference, -1);
    EXPECT_EQ(c.broadSteps, 3);

    RandomScene broad;
    build(broad);
    broad.world.pairSearch = PairSearch::broadPhase;
    broad.world.step(1.0 / 60);
    const CircularCam& camera = *broad.robots[0]->cameras[0];
    // Pixel 24 and 25 look between the two centres, where both discs lie.
    EXPECT_EQ(camera.image[24], first);
    EXPECT_EQ(camera.image[25], first);
}

TEST(BroadPhaseCamera, UnusualCamerasDrawAsInOrder)
{
    // Views too wide to cull by, one pixel, a camera outside the arena, among
    // a crowd that hides most bodies and some that are too low to be seen.
    for (int variant = 0; variant < 4; ++variant) {
        const auto build = [&](RandomScene& scene) {
            scene.world.width = 60;
            scene.world.height = 60;
            const double fov[] = {0.7, 2.5, 0.7, 0.4};
            const unsigned pixels[] = {60, 40, 1, 80};
            const Point eye = variant == 3 ? Point{-5, 30} : Point{8, 30};
            scene.world.useWalls = variant != 3;
            addCameraRobot(scene, eye, fov[variant], pixels[variant]);
            FenTest::Dice dice(7);
            for (int i = 0; i < 150; ++i) {
                PhysicalObject& d = addDisc(scene, {dice.between(12, 58), dice.between(2, 58)}, dice.between(0.2, 0.9),
                                            {dice.unit(), dice.unit(), dice.unit(), 1});
                if (i % 17 == 0)
                    d.height = 0.2;
            }
        };
        const Comparison c = compareBuilt(build, 4);
        EXPECT_EQ(c.firstDifference, -1) << "variant " << variant;
        EXPECT_EQ(c.broadSteps, 4) << "variant " << variant;
    }
}

TEST(BroadPhaseCamera, BodiesTheGridWalkCannotVouchForAreDrawnOneByOne)
{
    // Each scene holds a body that the walk outwards through the grid would
    // miss or misjudge, and shows it to the camera.
    const Color mark{1, 0, 1, 1};
    const auto crowd = [](RandomScene& scene, double x0, double x1, double y0, double y1) {
        FenTest::Dice dice(3);
        for (int i = 0; i < 120; ++i)
            addDisc(scene, {dice.between(x0, x1), dice.between(y0, y1)}, 0.5, {0, dice.unit(), 0, 1});
    };
    const std::vector<std::function<void(RandomScene&)>> scenes = {
        // A bar whose radius was set too small: its circle lies outside the
        // view, its end inside.
        [&](RandomScene& scene) {
            scene.world.width = 60;
            scene.world.height = 60;
            addCameraRobot(scene, {8, 30}, 0.7, 60);
            crowd(scene, 20, 58, 5, 20);
            auto bar = FenTest::box({30, 52}, 1, 4.5, -1, mark);
            bar->r = 1;
            bar->height = 1;
            scene.add(std::move(bar));
        },
        // A disc wider than a grid cell whose centre lies outside the view.
        [&](RandomScene& scene) {
            scene.world.width = 80;
            scene.world.height = 80;
            addCameraRobot(scene, {8, 30}, 0.7, 60);
            crowd(scene, 20, 78, 5, 25);
            addDisc(scene, {35.5, 62.3}, 9, mark);
        },
        // With the walls off, a disc far beyond the grid, listed in a border
        // cell outside the view, stands inside the view.
        [&](RandomScene& scene) {
            scene.world.width = 40;
            scene.world.height = 40;
            scene.world.useWalls = false;
            NeuralRobot& robot = addCameraRobot(scene, {36, 20}, 0.3, 40);
            robot.angle = 0.6;
            crowd(scene, 2, 30, 2, 38);
            addDisc(scene, {36 + 60 * std::cos(0.6), 20 + 60 * std::sin(0.6)}, 1, mark);
        },
    };
    for (std::size_t k = 0; k < scenes.size(); ++k) {
        const Comparison c = compareBuilt(scenes[k], 2);
        EXPECT_EQ(c.firstDifference, -1) << "scene " << k;
        EXPECT_EQ(c.broadSteps, 2) << "scene " << k;
        RandomScene shown;
        scenes[k](shown);
        shown.world.pairSearch = PairSearch::broadPhase;
        shown.world.step(1.0 / 60);
        const auto& image = shown.robots[0]->cameras[0]->image;
        EXPECT_NE(std::find(image.begin(), image.end(), mark), image.end()) << "scene " << k;
    }
}

TEST(BroadPhase, ChangesBetweenStepsAreSeen)
{
    // Whatever the caller changes between two steps, the next step starts
    // from it: positions, radii, masses, shapes, speeds, shifts, the list.
    const auto change = [](RandomScene& scene, int step) {
        auto& objects = scene.world.objects;
        PhysicalObject& some = *objects[objects.size() / 2];
        PhysicalObject& other = *objects[objects.size() / 3];
        switch (step) {
        case 40: some.pos = Point{scene.world.width / 2, scene.world.height / 2}; break;
        case 80: other.r *= 3; break;
        case 120: some.mass = -some.mass - 1; break;
        case 160: other.setBoundingSurface({{-2, -1}, {2, -1}, {2, 1}, {-2, 1}}); break;
        case 200:
            some.speed = Vector{30, -20};
            some.angSpeed = 4;
            break;
        case 240: other.collisionShift = Vector{0.5, 0.25}; break;
        case 280: some.height = 0.1; break;
        case 320: scene.world.width *= 1.5; break;
        case 360: scene.world.useWalls = !scene.world.useWalls; break;
        case 380: scene.world.useWalls = !scene.world.useWalls; break;
        case 400: objects.erase(objects.begin() + 3); break;
        case 440: objects.push_back(objects.front()); break; // twice: not for the broad phase
        case 480: objects.pop_back(); break;
        case 520:
            some.angle = -0.0;
            some.pos.x = -0.0;
            break;
        // Infinite friction time makes the speed, then the position, NaN.
        case 600: other.viscousFrictionTau = std::numeric_limits<double>::infinity(); break;
        default: break;
        }
    };
    for (int seed = 101; seed <= 104; ++seed) {
        RandomScene plain(seed, 60);
        RandomScene broad(seed, 60);
        const Comparison c = compare(plain, broad, 700, 1.0 / 60, change);
        EXPECT_EQ(c.firstDifference, -1) << "scene " << seed;
        // All steps but those with a body listed twice, or with one at NaN
        // (from the second step after the change: speed, then position).
        for (int i = 0; i < 700; ++i) {
            const bool declines = (i >= 440 && i < 480) || i > 601;
            EXPECT_EQ(c.broad[i], !declines) << "scene " << seed << ", step " << i;
        }
    }
}

TEST(BroadPhase, APolygonSetBetweenStepsIsUsedEvenWithTheSameRadius)
{
    // A body at rest among others is passed over by the pre-pass while it
    // stands as before; a new polygon of the same radius must still reach
    // its absolute polygon, where the camera and contacts see it.
    const Polygone triangle{{1, 0}, {-0.5, std::sqrt(0.75)}, {-0.5, -std::sqrt(0.75)}};
    const Polygone square{{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    const auto build = [&](RandomScene& scene) {
        scene.world.width = 40;
        scene.world.height = 40;
        addCameraRobot(scene, {10, 20}, 0.5, 60);
        for (int i = 0; i < 16; ++i)
            addDisc(scene, {4 + 2.2 * i, 4}, 0.5, {0, 0, 1, 1});
        auto polygon = std::make_unique<PhysicalObject>();
        polygon->pos = Point{20, 20};
        polygon->mass = 1;
        polygon->height = 1;
        polygon->color = Color{1, 0, 0, 1};
        polygon->setBoundingSurface(triangle);
        scene.add(std::move(polygon));
    };
    RandomScene plain;
    RandomScene broad;
    build(plain);
    build(broad);
    const auto change = [&](RandomScene& scene, int step) {
        if (step == 5)
            scene.world.objects.back()->setBoundingSurface(square);
    };
    const Comparison c = compare(plain, broad, 8, 1.0 / 60, change);
    EXPECT_EQ(c.firstDifference, -1);
    EXPECT_EQ(c.broadSteps, 8);
    const PhysicalObject& body = *broad.world.objects.back();
    ASSERT_EQ(body.r, 1);
    ASSERT_EQ(body.absBoundingSurface.size(), 4u);
    EXPECT_EQ(body.absBoundingSurface[1], (Point{20, 21}));
}

namespace {
class Marked : public PhysicalObject {};
} // namespace

TEST(BroadPhase, DeclinesWhatItDoesNotKnowAndTheWorldStepsAllPairs)
{
    const auto run = [](bool marked) {
        RandomScene scene(5, 40);
        scene.world.pairSearch = PairSearch::broadPhase;
        if (marked) {
            auto body = std::make_unique<Marked>();
            body->pos = Point{5, 5};
            body->r = 1;
            scene.add(std::move(body));
        } else {
            scene.world.objects.push_back(scene.world.objects.back());
        }
        scene.world.step(1.0 / 60);
        return scene.world.lastStepUsedBroadPhase();
    };
    EXPECT_FALSE(run(true));
    EXPECT_FALSE(run(false));
}

TEST(BroadPhase, BodyPushedBeyondTheBoundsEndsTheStepWithEveryEvent)
{
    // A huge fixed disc in a small arena throws two bodies out during the
    // pair phase, one beyond the bounds the broad phase trusts, onto the
    // other, which it was never paired with; the rest of the step visits
    // every pair, so their contact is made.
    const auto build = [](RandomScene& scene) {
        scene.world.width = 10;
        scene.world.height = 10;
        scene.world.useWalls = false;
        scene.add(FenTest::disc({5, 5}, 171, -1)).height = 1;
        scene.add(FenTest::disc({5, 5.5}, 0.3, 1)).height = 1;
        scene.add(FenTest::disc({5, 175.9}, 0.5, 1)).height = 1;
        for (int i = 0; i < 30; ++i)
            scene.add(FenTest::disc({-60 + 4.0 * i, -100}, 0.3, 1)).height = 1;
    };
    const Comparison c = compareBuilt(build, 2);
    EXPECT_EQ(c.firstDifference, -1);
    EXPECT_EQ(c.broad[0], true);
}

TEST(BroadPhaseCamera, AConesSpanOnALineHoldsEveryPointNearItAndLittleElse)
{
    // Lines in every direction past views of every width: each point the
    // cone's near() accepts lies in the span, and the span's ends lie within
    // a small step of accepted points.
    FenTest::Dice dice(11);
    for (int trial = 0; trial < 2000; ++trial) {
        CircularCam camera;
        camera.setup(0, 0, 0, dice.between(-3, 3), dice.between(0.05, 1.5), 40);
        camera.init();
        const CircularCam::ViewCone cone = camera.viewCone();
        ASSERT_TRUE(cone.culls);
        const Vector q0{dice.between(-20, 20), dice.between(-20, 20)};
        const double heading = dice.between(-Fen::pi, Fen::pi);
        const Vector d{std::cos(heading), std::sin(heading)};
        const double room = dice.between(0, 3);
        const auto [low, high] = cone.span(q0, d, room);
        double firstNear = 1e300;
        double lastNear = -1e300;
        for (double t = -60; t <= 60; t += 0.01) {
            if (cone.near(q0 + d * t, room)) {
                ASSERT_GE(t, low - 1e-9) << trial;
                ASSERT_LE(t, high + 1e-9) << trial;
                firstNear = std::min(firstNear, t);
                lastNear = std::max(lastNear, t);
            }
        }
        if (firstNear > lastNear) {
            // Nothing near within the range sampled: the span lies outside it or is empty.
            EXPECT_TRUE(low > high || high < -59 || low > 59) << trial;
            continue;
        }
        EXPECT_LT(std::max(low, -60.0), firstNear + 0.02) << trial;
        EXPECT_GT(std::min(high, 60.0), lastNear - 0.02) << trial;
        EXPECT_GT(std::max(low, -60.0), firstNear - 0.02) << trial;
        EXPECT_LT(std::min(high, 60.0), lastNear + 0.02) << trial;
    }
}
