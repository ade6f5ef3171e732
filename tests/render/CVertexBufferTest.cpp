#include <gtest/gtest.h>
#include <vector>
#include "tests/support/CRecordingDevice.h"
#include "render/CVertexBuffer.h"

using namespace Tarn;
using namespace TestSupport;

namespace {

std::vector<Vertex> Numbered(std::size_t count, float from = 0)
{
    std::vector<Vertex> v;
    for (std::size_t i = 0; i < count; ++i)
        v.push_back({from + static_cast<float>(i), -static_cast<float>(i), 0.5f, 0xFF000000u | static_cast<std::uint32_t>(i)});
    return v;
}

std::uint32_t Bytes(const std::vector<Vertex>& v)
{
    return static_cast<std::uint32_t>(v.size() * sizeof(Vertex));
}

class VertexBufferTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(buffer.OnCreateDevice(&device), DeviceOk);
        ASSERT_EQ(buffer.OnResetDevice(), DeviceOk);
    }

    CRecordingDevice device;
    CVertexBuffer buffer;
};

TEST_F(VertexBufferTest, ResetMakesOneBufferOfTheCapacityAndLossReleasesIt)
{
    EXPECT_EQ(device.GetCreatedBuffers(), std::vector<std::uint32_t>{8192});
    EXPECT_EQ(device.GetLiveBufferCount(), 1);
    EXPECT_EQ(buffer.OnLostDevice(), DeviceOk);
    EXPECT_EQ(device.GetLiveBufferCount(), 0);
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_EQ(buffer.OnResetDevice(), DeviceOk);
    EXPECT_EQ(device.GetLiveBufferCount(), 1);
    EXPECT_EQ(buffer.OnDestroyDevice(), DeviceOk);
    EXPECT_EQ(device.GetLiveBufferCount(), 0);
}

TEST_F(VertexBufferTest, EveryOperationFailsWithoutADevice)
{
    CVertexBuffer unattached;
    const auto v = Numbered(3);
    EXPECT_EQ(unattached.OnResetDevice(), DeviceFail);
    EXPECT_EQ(unattached.Clear(), DeviceFail);
    EXPECT_EQ(unattached.Set(v.data(), Bytes(v)), DeviceFail);
    EXPECT_EQ(unattached.Append(v.data(), Bytes(v)), DeviceFail);
    EXPECT_EQ(unattached.Bind(), DeviceFail);
    EXPECT_EQ(unattached.Draw(PrimitiveType::TriangleList), DeviceFail);
    EXPECT_EQ(unattached.DrawTransformed(PrimitiveType::TriangleList, MatrixIdentity()), DeviceFail);
}

TEST_F(VertexBufferTest, DrawingAfterALossFailsInsteadOfWritingIntoNothing)
{
    buffer.OnLostDevice();
    const auto v = Numbered(3);
    EXPECT_EQ(buffer.Set(v.data(), Bytes(v)), DeviceFail);
    EXPECT_EQ(buffer.Append(v.data(), Bytes(v)), DeviceFail);
    EXPECT_EQ(buffer.Bind(), DeviceFail);
    EXPECT_TRUE(device.GetDraws().empty());
}

TEST_F(VertexBufferTest, SetBindDrawHandsTheVerticesToTheDevice)
{
    const auto v = Numbered(3);
    ASSERT_EQ(buffer.Set(v.data(), Bytes(v)), DeviceOk);
    ASSERT_EQ(buffer.Bind(), DeviceOk);
    ASSERT_EQ(buffer.Draw(PrimitiveType::TriangleList), DeviceOk);
    ASSERT_EQ(device.GetDraws().size(), 1u);
    const auto& draw = device.GetDraws()[0];
    EXPECT_EQ(draw.type, PrimitiveType::TriangleList);
    EXPECT_EQ(draw.start, 0u);
    EXPECT_EQ(draw.count, 1u);
    EXPECT_EQ(draw.vertices, v);
}

TEST_F(VertexBufferTest, PrimitiveCountsFollowTheVertexCount)
{
    const auto seven = Numbered(7);
    ASSERT_EQ(buffer.Set(seven.data(), Bytes(seven)), DeviceOk);
    ASSERT_EQ(buffer.Bind(), DeviceOk);
    for (int type = 1; type <= 6; ++type)
        ASSERT_EQ(buffer.Draw(type), DeviceOk);
    ASSERT_EQ(device.GetDraws().size(), 6u);
    // Points, lines (the odd last vertex is left out), a line strip, triangles
    // (the 7th vertex is left out), a strip and a fan.
    const std::uint32_t expected[] = {7, 3, 6, 2, 5, 5};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(device.GetDraws()[i].type, static_cast<PrimitiveType>(i + 1));
        EXPECT_EQ(device.GetDraws()[i].count, expected[i]) << "type " << i + 1;
    }
    EXPECT_EQ(device.GetDraws()[1].vertices.size(), 6u);
}

TEST_F(VertexBufferTest, TooFewVerticesOrAnUnknownTypeDrawNothingAndSucceed)
{
    const auto two = Numbered(2);
    ASSERT_EQ(buffer.Set(two.data(), Bytes(two)), DeviceOk);
    ASSERT_EQ(buffer.Bind(), DeviceOk);
    EXPECT_EQ(buffer.Draw(PrimitiveType::TriangleFan), DeviceOk);
    EXPECT_EQ(buffer.Draw(PrimitiveType::TriangleStrip), DeviceOk);
    EXPECT_EQ(buffer.Draw(PrimitiveType::TriangleList), DeviceOk);
    EXPECT_EQ(buffer.Draw(0), DeviceOk);
    EXPECT_EQ(buffer.Draw(7), DeviceOk);
    EXPECT_EQ(device.CountCalls(DeviceCall::DrawPrimitive), 0u);
    ASSERT_EQ(buffer.Clear(), DeviceOk);
    EXPECT_EQ(buffer.Draw(PrimitiveType::PointList), DeviceOk);
    EXPECT_EQ(buffer.Draw(PrimitiveType::LineStrip), DeviceOk);
    EXPECT_EQ(device.CountCalls(DeviceCall::DrawPrimitive), 0u);
}

TEST_F(VertexBufferTest, SetOfExactlyTheCapacityGrowsFirst)
{
    const auto justBelow = Numbered(8192 / 16 - 1);
    ASSERT_EQ(buffer.Set(justBelow.data(), Bytes(justBelow)), DeviceOk);
    EXPECT_EQ(buffer.GetCapacity(), 8192);

    const auto full = Numbered(8192 / 16);
    ASSERT_EQ(buffer.Set(full.data(), Bytes(full)), DeviceOk);
    EXPECT_EQ(buffer.GetCapacity(), 2 * 8192 + 1);
    EXPECT_EQ(device.GetCreatedBuffers(), (std::vector<std::uint32_t>{8192, 2 * 8192 + 1}));
    EXPECT_EQ(device.GetLiveBufferCount(), 1);
    ASSERT_EQ(buffer.Bind(), DeviceOk);
    ASSERT_EQ(buffer.Draw(PrimitiveType::PointList), DeviceOk);
    EXPECT_EQ(device.GetDraws().back().vertices, full);
}

TEST_F(VertexBufferTest, TheCapacityOnlyGrowsAndSurvivesAReset)
{
    const auto big = Numbered(1000);
    ASSERT_EQ(buffer.Set(big.data(), Bytes(big)), DeviceOk);
    const std::int32_t grown = buffer.GetCapacity();
    EXPECT_EQ(grown, 2 * 16000 + 1);
    const auto small = Numbered(3);
    ASSERT_EQ(buffer.Set(small.data(), Bytes(small)), DeviceOk);
    EXPECT_EQ(buffer.GetCapacity(), grown);
    buffer.OnLostDevice();
    buffer.OnResetDevice();
    EXPECT_EQ(device.GetCreatedBuffers().back(), static_cast<std::uint32_t>(grown));
}

TEST_F(VertexBufferTest, AppendGrowingMidDrawingKeepsWhatIsStored)
{
    const auto first = Numbered(400);
    const auto second = Numbered(200, 1000);
    ASSERT_EQ(buffer.Clear(), DeviceOk);
    ASSERT_EQ(buffer.Append(first.data(), Bytes(first)), DeviceOk);
    EXPECT_EQ(buffer.GetCapacity(), 8192);
    ASSERT_EQ(buffer.Append(second.data(), Bytes(second)), DeviceOk);
    EXPECT_EQ(buffer.GetCapacity(), 2 * 6400 + 2 * 3200 + 1);
    EXPECT_EQ(buffer.GetSize(), 9600u);
    ASSERT_EQ(buffer.Bind(), DeviceOk);
    ASSERT_EQ(buffer.Draw(PrimitiveType::PointList), DeviceOk);
    std::vector<Vertex> all = first;
    all.insert(all.end(), second.begin(), second.end());
    EXPECT_EQ(device.GetDraws().back().vertices, all);
}

TEST_F(VertexBufferTest, AFailingLockIsReported)
{
    device.FailOn(DeviceCall::Lock, static_cast<DeviceResult>(0x8876086Cu));
    const auto v = Numbered(3);
    EXPECT_EQ(buffer.Set(v.data(), Bytes(v)), static_cast<DeviceResult>(0x8876086Cu));
    EXPECT_EQ(buffer.GetSize(), 0u);
}

TEST_F(VertexBufferTest, AFailingGrowthLeavesNoBufferAndLaterDrawingsFail)
{
    device.FailOn(DeviceCall::CreateVertexBuffer);
    const auto big = Numbered(600);
    EXPECT_EQ(buffer.Set(big.data(), Bytes(big)), DeviceFail);
    device.StopFailing();
    const auto small = Numbered(3);
    EXPECT_EQ(buffer.Set(small.data(), Bytes(small)), DeviceFail);
    // The next reset makes a buffer of the grown capacity.
    EXPECT_EQ(buffer.OnResetDevice(), DeviceOk);
    EXPECT_EQ(device.GetCreatedBuffers().back(), static_cast<std::uint32_t>(buffer.GetCapacity()));
    EXPECT_EQ(buffer.Set(big.data(), Bytes(big)), DeviceOk);
}

TEST_F(VertexBufferTest, DrawTransformedAppliesTheMatrixBeforeTheWorldAndRestoresIt)
{
    const Matrix world = MatrixTranslation(100, 0, 0);
    ASSERT_EQ(device.SetTransform(TransformState::World, world), DeviceOk);
    const auto v = Numbered(3);
    ASSERT_EQ(buffer.Set(v.data(), Bytes(v)), DeviceOk);
    ASSERT_EQ(buffer.Bind(), DeviceOk);
    const Matrix m = MatrixScaling(2, 2, 1);
    ASSERT_EQ(buffer.DrawTransformed(PrimitiveType::TriangleList, m), DeviceOk);
    const Matrix used = device.GetDraws().back().world;
    // (1, 1) scaled first, then moved: (102, 2).
    const Vec2 p = Vec2TransformCoord({1, 1}, used);
    EXPECT_FLOAT_EQ(p.x, 102);
    EXPECT_FLOAT_EQ(p.y, 2);
    EXPECT_EQ(device.GetCurrentTransform(TransformState::World), world);
}

TEST_F(VertexBufferTest, DrawTransformedRestoresTheWorldEvenWhenTheDrawFails)
{
    const auto v = Numbered(3);
    ASSERT_EQ(buffer.Set(v.data(), Bytes(v)), DeviceOk);
    ASSERT_EQ(buffer.Bind(), DeviceOk);
    device.FailOn(DeviceCall::DrawPrimitive);
    EXPECT_EQ(buffer.DrawTransformed(PrimitiveType::TriangleList, MatrixScaling(3, 3, 3)), DeviceFail);
    EXPECT_EQ(device.GetCurrentTransform(TransformState::World), MatrixIdentity());
}

} // namespace
