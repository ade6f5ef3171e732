#include <gtest/gtest.h>
#include <cmath>
#include "engine/Angle.h"
#include "render/Matrix.h"
#include "render/VertexColor.h"

using namespace Tarn;

namespace {

void ExpectNear(const Vec2& p, float x, float y)
{
    EXPECT_NEAR(p.x, x, 1e-5f);
    EXPECT_NEAR(p.y, y, 1e-5f);
}

TEST(Matrix, PointsAreRowsMultipliedFromTheLeft)
{
    ExpectNear(Vec2TransformCoord({1, 2}, MatrixTranslation(10, 20, 0)), 11, 22);
    ExpectNear(Vec2TransformCoord({1, 2}, MatrixScaling(3, -1, 1)), 3, -2);
    // A positive angle turns counter-clockwise: +x goes to +y.
    ExpectNear(Vec2TransformCoord({1, 0}, MatrixRotationZ(static_cast<float>(Fen::pi / 2))), 0, 1);
    ExpectNear(Vec2TransformCoord({0, 1}, MatrixRotationZ(static_cast<float>(Fen::pi / 2))), -1, 0);
}

TEST(Matrix, MultiplyAppliesTheFirstMatrixFirst)
{
    const Matrix turnThenMove = MatrixMultiply(MatrixRotationZ(static_cast<float>(Fen::pi / 2)), MatrixTranslation(5, 0, 0));
    ExpectNear(Vec2TransformCoord({1, 0}, turnThenMove), 5, 1);
    const Matrix moveThenTurn = MatrixMultiply(MatrixTranslation(5, 0, 0), MatrixRotationZ(static_cast<float>(Fen::pi / 2)));
    ExpectNear(Vec2TransformCoord({1, 0}, moveThenTurn), 0, 6);
    EXPECT_EQ(MatrixMultiply(MatrixIdentity(), turnThenMove), turnThenMove);
}

TEST(Matrix, InverseUndoesAndSingularHasNone)
{
    const Matrix m = MatrixMultiply(MatrixMultiply(MatrixTranslation(-3, 7, 0), MatrixScaling(0.02f, 0.02f, 1)),
                                    MatrixScaling(0.75f, 1, 1));
    const auto inverse = MatrixInverse(m);
    ASSERT_TRUE(inverse.has_value());
    const Vec2 p = Vec2TransformCoord({12.5f, -4}, m);
    ExpectNear(Vec2TransformCoord(p, *inverse), 12.5f, -4);
    EXPECT_FALSE(MatrixInverse(MatrixScaling(0, 0, 1)).has_value());
    EXPECT_FALSE(MatrixInverse(Matrix{}).has_value());
}

TEST(Matrix, TransformCoordDividesByW)
{
    Matrix m = MatrixIdentity();
    m.m[3][3] = 2;
    m.m[0][3] = 1; // w = x + 2
    ExpectNear(Vec2TransformCoord({2, 8}, m), 0.5f, 2);
}

TEST(VertexColor, ChannelsAreTruncatedAndKeptToEightBits)
{
    EXPECT_EQ(ColorChannelByte(1.0), 255u);
    EXPECT_EQ(ColorChannelByte(0.999), 254u);
    EXPECT_EQ(ColorChannelByte(0.5), 127u);
    EXPECT_EQ(ColorChannelByte(0), 0u);
    // Out of range values wrap rather than saturate: 510 and -127.
    EXPECT_EQ(ColorChannelByte(2.0), 510u & 0xFFu);
    EXPECT_EQ(ColorChannelByte(-0.5), static_cast<std::uint32_t>(-127) & 0xFFu);
    EXPECT_EQ(ColorChannelByte(std::nan("")), 0u);
    EXPECT_EQ(ColorChannelByte(INFINITY), 0u);
}

TEST(VertexColor, AlphaTopThenRedGreenBlue)
{
    EXPECT_EQ(VertexColor({1, 0, 0, 1}), 0xFFFF0000u);
    EXPECT_EQ(VertexColor({0, 1, 0, 0}), 0x0000FF00u);
    EXPECT_EQ(VertexColor({0, 0, 1, 0.5}), 0x7F0000FFu);
    EXPECT_EQ(VertexColor({}), 0xFF000000u);
}

} // namespace
