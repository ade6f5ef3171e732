#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "engine/PhysicalObject.h"
#include "engine/ShapeChecks.h"

namespace {

using Fen::Point;
using Fen::Polygone;

TEST(ShapeChecks, OnlyConvexCounterClockwisePolygonsWithAnAreaPass)
{
    struct Case {
        const char* name;
        Polygone polygon;
        bool accepted;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {"triangle", {{0, 0}, {1, 0}, {0, 1}}, true},
        {"square with a vertex on an edge", {{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}}, true},
        {"repeated vertices", {{0, 0}, {0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 0}}, true},
        {"collinear points written in tenths", {{0, 0}, {0.1, 0.1}, {0.3, 0.3}, {0.7, 0.7}, {0, 0.7}}, true},
        {"clockwise triangle", {{0, 0}, {0, 1}, {1, 0}}, false},
        {"concave arrow", {{0, 0}, {4, -3}, {1, 0}, {4, 3}}, false},
        {"star going round twice", {{1, 0}, {-0.809, 0.588}, {0.309, -0.951}, {0.309, 0.951}, {-0.809, -0.588}},
         false},
        {"spike back along an edge", {{0, 0}, {2, 0}, {1, 0}, {1, 1}}, false},
        {"single point", {{3, 3}}, false},
        {"segment", {{0, 0}, {1, 1}}, false},
        {"points on a line", {{0, 0}, {1, 1}, {2, 2}}, false},
        {"infinite vertex", {{0, 0}, {inf, 0}, {0, 1}}, false},
        {"coordinates whose products overflow", {{1e300, 0}, {-1e300, 1e300}, {0, -1e300}}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fen::isConvexCounterClockwise(c.polygon), c.accepted) << c.name;
}

Fen::PhysicalObject bar(double halfLength, double angle)
{
    Fen::PhysicalObject body;
    body.pos = Point{75, 50};
    body.angle = angle;
    body.setBoundingSurface({{-halfLength, -1}, {halfLength, -1}, {halfLength, 1}, {-halfLength, 1}});
    body.computeAbsBoundingSurface();
    return body;
}

TEST(ShapeChecks, BodiesFitTheArenaInTheOrientationsTheyCanTake)
{
    // A 150 x 100 arena.
    Fen::PhysicalObject disc;
    disc.r = 50;
    EXPECT_TRUE(Fen::fitsInArena(disc, 150, 100, true)) << "a disc exactly as wide as the arena is high";
    disc.r = 50.001;
    EXPECT_FALSE(Fen::fitsInArena(disc, 150, 100, false));
    disc.r = std::numeric_limits<double>::max();
    EXPECT_FALSE(Fen::fitsInArena(disc, 150, 100, false)) << "a diameter that overflows";

    // A fixed wall-to-wall partition fits at its angle; turned upright, or
    // free to turn, it does not.
    EXPECT_TRUE(Fen::fitsInArena(bar(75, 0), 150, 100, false));
    EXPECT_FALSE(Fen::fitsInArena(bar(75, std::acos(-1.0) / 2), 150, 100, false));
    EXPECT_FALSE(Fen::fitsInArena(bar(75, 0), 150, 100, true));
    EXPECT_TRUE(Fen::fitsInArena(bar(49, 0), 150, 100, true));
}

TEST(ShapeChecks, BodiesLieInTheArenaWhenNoPartCrossesAWall)
{
    Fen::PhysicalObject disc;
    disc.r = 3;
    disc.pos = Point{3, 97};
    EXPECT_TRUE(Fen::liesInArena(disc, 150, 100)) << "touching two walls";
    disc.pos = Point{3, 97.5};
    EXPECT_FALSE(Fen::liesInArena(disc, 150, 100));
    disc.pos = Point{std::nan(""), 50};
    EXPECT_FALSE(Fen::liesInArena(disc, 150, 100));
    EXPECT_TRUE(Fen::liesInArena(bar(75, 0), 150, 100)) << "a wall-to-wall partition";
    EXPECT_FALSE(Fen::liesInArena(bar(75, 0.01), 150, 100));
}

Fen::PhysicalObject disc(double x, double y, double r, double mass = 1)
{
    Fen::PhysicalObject body;
    body.pos = Point{x, y};
    body.r = r;
    body.mass = mass;
    return body;
}

Fen::PhysicalObject square(double x, double y, double angle, double halfSide = 2, double mass = 1)
{
    Fen::PhysicalObject body;
    body.pos = Point{x, y};
    body.angle = angle;
    body.mass = mass;
    body.setBoundingSurface({{-halfSide, -halfSide}, {halfSide, -halfSide}, {halfSide, halfSide}, {-halfSide, halfSide}});
    return body;
}

TEST(ShapeChecks, OverlapDepthIsTheShortestWayApart)
{
    const double quarter = std::acos(-1.0) / 4;
    struct Case {
        const char* name;
        Fen::PhysicalObject a;
        Fen::PhysicalObject b;
        double depth;
    };
    const std::vector<Case> cases = {
        {"discs", disc(0, 0, 2), disc(3, 0, 2), 1},
        {"discs touching", disc(0, 0, 2), disc(4, 0, 2), 0},
        {"disc on a square's side", square(0, 0, 0), disc(0, 2.5, 1), 0.5},
        {"disc by a square's corner, the circles and boxes overlapping", square(0, 0, 0), disc(3.9, 2.7, 2), 0},
        {"disc on a square's corner", square(0, 0, 0), disc(2.5, 2.5, 1), 1 - std::sqrt(0.5)},
        {"squares side by side", square(0, 0, 0), square(3.5, 1, 0), 0.5},
        {"diamond by a square's corner, the circles overlapping", square(0, 0, 0), square(3.5, 3.5, quarter), 0},
        {"square on a diamond's tip", square(0, 0, 0), square(4.5, 0, quarter), std::sqrt(8) - 2.5},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Fen::overlapDepth(c.a, c.b), c.depth, 1e-12) << c.name;
        EXPECT_NEAR(Fen::overlapDepth(c.b, c.a), c.depth, 1e-12) << c.name << ", the other way";
    }
}

TEST(ShapeChecks, FindsOverlapsOfMovableBodiesBeyondTouching)
{
    std::vector<Fen::PhysicalObject> bodies = {
        square(10, 10, 0, 2, -1), square(12, 10, 0, 2, -1), // fixed ones overlapping: allowed
        disc(30, 10, 1), disc(31.995, 10, 1),               // 0.5 % of the radius deep: taken for touching
        disc(50, 10, 1), square(15.5, 10, 0, 2, 2),         // the square sits 0.5 deep in the second fixed one
    };
    const auto find = [&bodies] {
        std::vector<Fen::PhysicalObject*> pointers;
        for (Fen::PhysicalObject& body : bodies)
            pointers.push_back(&body);
        return Fen::findOverlap(pointers);
    };
    EXPECT_EQ(find(), (std::pair<std::size_t, std::size_t>{1, 5}));
    bodies[5].pos.x = 16;
    EXPECT_EQ(find(), std::nullopt) << "touching";
    bodies[3].pos.x = 31.9;
    EXPECT_EQ(find(), (std::pair<std::size_t, std::size_t>{2, 3}));
}

} // namespace
