#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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

} // namespace
