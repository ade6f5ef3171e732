// Value types, the noise generator, angles and polygon set-up.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include "engine/Angle.h"
#include "engine/PhysicalObject.h"
#include "engine/Polygone.h"
#include "engine/Random.h"
#include "engine/Vector.h"

using namespace Fen;

TEST(Random, FollowsTheLinearCongruence)
{
    setRandomState(0);
    std::uint32_t state = 0;
    for (int i = 0; i < 5; ++i) {
        state = state * 1103515245u + 12345u;
        const double expected = static_cast<double>(state % 2147483648u) / 2147483648.0;
        EXPECT_EQ(randomUniform(), expected);
        EXPECT_EQ(randomState(), state);
    }
}

TEST(Random, StaysBelowOneAtTheTopOfTheState)
{
    // The state whose successor has all low 31 bits set gives the largest draw.
    const std::uint32_t top = 0x7fffffffu;
    const std::uint32_t before = (top - 12345u) * 4005161829u; // 4005161829 is the inverse of the multiplier
    setRandomState(before);
    const double u = randomUniform();
    EXPECT_EQ(randomState() & 0x7fffffffu, top);
    EXPECT_LT(u, 1.0);
    EXPECT_GT(u, 0.9999999);
}

TEST(Angle, KeepsBothEndsOfTheRange)
{
    EXPECT_EQ(normalizeAngle(pi), pi);
    EXPECT_EQ(normalizeAngle(-pi), -pi);
    EXPECT_DOUBLE_EQ(normalizeAngle(1.5 * pi), -0.5 * pi);
    EXPECT_DOUBLE_EQ(normalizeAngle(-1.5 * pi), 0.5 * pi);
    EXPECT_DOUBLE_EQ(normalizeAngle(7 * pi + 0.25), -pi + 0.25);
}

namespace {
// The plain definition: whole turns taken off one at a time.
double turnByTurn(double a)
{
    while (a > pi)
        a -= 2 * pi;
    while (a < -pi)
        a += 2 * pi;
    return a;
}
} // namespace

TEST(Angle, MatchesTurnByTurnBitForBit)
{
    std::uint32_t seed = 17;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed / 4294967296.0;
    };
    for (int i = 0; i < 3000; ++i) {
        const double a = (next() - 0.5) * 2e4 * std::pow(10.0, static_cast<int>(next() * 2));
        ASSERT_EQ(normalizeAngle(a), turnByTurn(a)) << std::hexfloat << a;
    }
    // Around the binade edges, where the rounding of each turn changes.
    for (int e = 1; e <= 22; ++e) {
        const double edge = std::ldexp(1.0, e);
        for (const double a : {edge, std::nextafter(edge, 0.0), edge + 2 * pi, edge - 2 * pi, edge + 0.5,
                               -edge, -edge - 3.1})
            ASSERT_EQ(normalizeAngle(a), turnByTurn(a)) << std::hexfloat << a;
    }
}

TEST(Angle, EndsOnAbsurdAngles)
{
    EXPECT_TRUE(std::isnan(normalizeAngle(NAN)));
    EXPECT_TRUE(std::isinf(normalizeAngle(INFINITY)));
    const double huge = normalizeAngle(1e300);
    EXPECT_LE(std::fabs(huge), pi);
}

TEST(Vector, UnitaryLeavesZeroAlone)
{
    EXPECT_EQ(Vector(0, 0).unitary(), Vector(0, 0));
    const Vector u = Vector(3, 4).unitary();
    EXPECT_DOUBLE_EQ(u.x, 0.6);
    EXPECT_DOUBLE_EQ(u.y, 0.8);
}

TEST(Polygon, InwardNormalsPointInside)
{
    const Polygone square{{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    const Point centre{1, 1};
    for (std::size_t i = 0; i < square.size(); ++i) {
        const Vector n = inwardNormal(square, i);
        EXPECT_DOUBLE_EQ(n.norm(), 1.0);
        EXPECT_GT(n.dot(centre - square[i]), 0) << "edge " << i;
    }
    const Polygone withRepeat{{0, 0}, {0, 0}, {1, 0}};
    EXPECT_EQ(inwardNormal(withRepeat, 0), Vector(0, 0));
}

TEST(BoundingSurface, SquareGetsRadiusAndSingleColourTextures)
{
    PhysicalObject body;
    body.color = Color{0.5, 0.25, 1, 1};
    body.setBoundingSurface({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}});
    EXPECT_TRUE(body.hasBoundingSurface);
    EXPECT_DOUBLE_EQ(body.r, std::sqrt(2.0));
    ASSERT_EQ(body.textures.size(), 4u);
    for (const Texture& t : body.textures) {
        ASSERT_EQ(t.size(), 1u);
        EXPECT_EQ(t[0], body.color);
    }
    // A colour set later does not reach the textures.
    const Color before = body.color;
    body.color = Color{1, 0, 0, 1};
    EXPECT_EQ(body.textures[0][0], before);
}

TEST(BoundingSurface, RadiusIsRecomputedNotKept)
{
    PhysicalObject body;
    body.setBoundingSurface({{-3, -3}, {3, -3}, {3, 3}, {-3, 3}});
    body.setBoundingSurface({{-1, 0}, {1, 0}, {0, 0.5}});
    EXPECT_DOUBLE_EQ(body.r, 1.0);
    EXPECT_EQ(body.textures.size(), 3u);
}

TEST(BoundingSurface, AbsoluteSurfaceFollowsPositionAndAngle)
{
    PhysicalObject disc;
    disc.r = 1;
    disc.computeAbsBoundingSurface();
    EXPECT_TRUE(disc.absBoundingSurface.empty());

    PhysicalObject body;
    body.setBoundingSurface({{2, 0}, {0, 1}, {-1, -1}});
    body.pos = Point{10, 20};
    body.angle = pi / 2;
    body.computeAbsBoundingSurface();
    ASSERT_EQ(body.absBoundingSurface.size(), 3u);
    // A quarter turn counter-clockwise takes (2, 0) to (0, 2) and (0, 1) to (-1, 0).
    EXPECT_NEAR(body.absBoundingSurface[0].x, 10, 1e-12);
    EXPECT_NEAR(body.absBoundingSurface[0].y, 22, 1e-12);
    EXPECT_NEAR(body.absBoundingSurface[1].x, 9, 1e-12);
    EXPECT_NEAR(body.absBoundingSurface[1].y, 20, 1e-12);
}
