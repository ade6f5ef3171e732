#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <vector>
#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "DrawnWorld.h"
#include "model/CFenWorld.h"
#include "tests/support/CRecordingDevice.h"
#include "render/CVertexBuffer.h"
#include "render/CViewport.h"

using namespace Tarn;
using namespace TestSupport;

namespace {

using Draw = CRecordingDevice::DrawRecord;

constexpr std::uint32_t Black = 0xFF000000u;
constexpr std::uint32_t LightGrey = 0xFFAAAAAAu;

// A drawing's vertex moved by the world matrix it was drawn with.
Vec2 Placed(const Draw& draw, std::size_t i)
{
    return Vec2TransformCoord({draw.vertices.at(i).x, draw.vertices.at(i).y}, draw.world);
}

void ExpectVertex(const Vertex& v, double x, double y, float z, std::uint32_t color)
{
    EXPECT_NEAR(v.x, x, 1e-5);
    EXPECT_NEAR(v.y, y, 1e-5);
    EXPECT_EQ(v.z, z);
    EXPECT_EQ(v.color, color);
}

void ExpectPoint(const Vec2& p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-5);
    EXPECT_NEAR(p.y, y, 1e-5);
}

// Everything runs as in a frame: between the viewport's Begin and End over a
// recording device.
class DrawingTest : public testing::Test {
protected:
    void SetUp() override
    {
        ConnectDevice();
        viewport.SetRect(10, 55, 460, 390);
        viewport.FitWorld(100, 100);
        ASSERT_EQ(viewport.Begin(), DeviceOk);
        device.ClearRecords();
    }
    void ConnectDevice()
    {
        vertexBuffer.OnCreateDevice(&device);
        viewport.OnCreateDevice(&device);
        vertexBuffer.OnResetDevice();
        viewport.OnResetDevice();
    }

    Tarn::CFenPhysicalObject& AddDisc(Fen::Point pos, double r, Fen::Color color, double angle = 0)
    {
        auto& adapter = Tarn::CFenPhysicalObject::Create(world);
        Fen::PhysicalObject& o = adapter.GetPhysicalObject();
        o.pos = pos;
        o.r = r;
        o.angle = angle;
        o.color = color;
        return adapter;
    }

    Tarn::CFenPhysicalObject& AddPolygon(Fen::Point pos, const Fen::Polygone& polygon, Fen::Color color)
    {
        auto& adapter = AddDisc(pos, 0, color);
        Fen::PhysicalObject& o = adapter.GetPhysicalObject();
        o.setBoundingSurface(polygon);
        o.computeAbsBoundingSurface();
        return adapter;
    }

    Fen::NeuralRobot& AddRobot(Fen::Point pos, double r, double angle, double wheelDistance)
    {
        Fen::NeuralRobot& robot = Tarn::CFenNeuralRobot::Create(world).GetPhysicalObject();
        robot.pos = pos;
        robot.r = r;
        robot.angle = angle;
        robot.wheelDistance = wheelDistance;
        return robot;
    }

    static Fen::CircularCam& AddCamera(Fen::NeuralRobot& robot, Fen::Point absPos, double absOrientation,
                                       double fieldOfView, const std::vector<Fen::Color>& image)
    {
        auto camera = std::make_unique<Fen::CircularCam>();
        camera->setup(0, 0, 0, 0, fieldOfView, static_cast<unsigned>(image.size()));
        camera->absPos = absPos;
        camera->absOrientation = absOrientation;
        camera->image = image;
        robot.cameras.push_back(std::move(camera));
        return *robot.cameras.back();
    }

    static Fen::IRSensor& AddSensor(Fen::NeuralRobot& robot, Fen::Point absPos, const std::vector<Fen::Vector>& hits,
                                    const std::vector<Fen::Color>& colors)
    {
        std::vector<Fen::SensorResponseFunctor*> functors(hits.size(), &Fen::NeuralRobotIRSensorModel::instance());
        auto sensor = std::make_unique<Fen::IRSensor>(static_cast<unsigned>(hits.size()), functors.data());
        sensor->absPos = absPos;
        sensor->rayHitPoints = hits;
        sensor->finalRayColors = colors;
        robot.irSensors.push_back(std::move(sensor));
        return *robot.irSensors.back();
    }

    const std::vector<Draw>& Draws() const { return device.GetDraws(); }

    CRecordingDevice device;
    CVertexBuffer vertexBuffer;
    CViewport viewport;
    DrawnWorld world{&vertexBuffer};
};

TEST_F(DrawingTest, TheBorderIsABlackLineStripAroundTheArena)
{
    world.Reset(200, 50);
    EXPECT_EQ(world.Draw(), DeviceOk);
    ASSERT_EQ(Draws().size(), 1u);
    const Draw& border = Draws()[0];
    EXPECT_EQ(border.type, PrimitiveType::LineStrip);
    EXPECT_EQ(border.count, 4u);
    ASSERT_EQ(border.vertices.size(), 5u);
    ExpectVertex(border.vertices[0], 0, 0, 0.5f, Black);
    ExpectVertex(border.vertices[1], 0, 50, 0.5f, Black);
    ExpectVertex(border.vertices[2], 200, 50, 0.5f, Black);
    ExpectVertex(border.vertices[3], 200, 0, 0.5f, Black);
    ExpectVertex(border.vertices[4], 0, 0, 0.5f, Black);
    // Drawn in world coordinates through the viewport's matrices.
    EXPECT_EQ(border.view, viewport.GetViewMatrix());
    EXPECT_EQ(border.viewport, viewport.GetRect());
}

TEST_F(DrawingTest, AnArenaOfNoSizeHasABorderAtTheOrigin)
{
    world.Reset(0, 0);
    EXPECT_EQ(world.Draw(), DeviceOk);
    ASSERT_EQ(Draws().size(), 1u);
    for (const Vertex& v : Draws()[0].vertices)
        ExpectVertex(v, 0, 0, 0.5f, Black);
}

TEST_F(DrawingTest, ADiscIsAFanOf32WedgesInTheBodysColour)
{
    const double angle = 0.3;
    AddDisc({10, 20}, 2, {1, 0.5, 0.999, 1}, angle);
    world.Draw();
    ASSERT_EQ(Draws().size(), 2u);
    const Draw& disc = Draws()[1];
    EXPECT_EQ(disc.type, PrimitiveType::TriangleFan);
    EXPECT_EQ(disc.count, 32u);
    ASSERT_EQ(disc.vertices.size(), 34u);
    // 1.0 becomes 255, 0.5 127 and 0.999 254.
    const std::uint32_t color = 0xFFFF7FFEu;
    ExpectVertex(disc.vertices[0], 10, 20, 0.5f, color);
    // The rim starts at the body's angle and turns counter-clockwise.
    ExpectVertex(disc.vertices[1], 10 + 2 * std::cos(angle), 20 + 2 * std::sin(angle), 0.5f, color);
    ExpectVertex(disc.vertices[9], 10 - 2 * std::sin(angle), 20 + 2 * std::cos(angle), 0.5f, color);
    ExpectVertex(disc.vertices[17], 10 - 2 * std::cos(angle), 20 - 2 * std::sin(angle), 0.5f, color);
    ExpectVertex(disc.vertices[33], disc.vertices[1].x, disc.vertices[1].y, 0.5f, color);
    for (std::size_t k = 1; k < 34; ++k)
        EXPECT_NEAR(std::hypot(disc.vertices[k].x - 10.0, disc.vertices[k].y - 20.0), 2, 1e-5) << k;
}

TEST_F(DrawingTest, ATriangleIsAFanOfThreeAroundItsCentre)
{
    AddPolygon({50, 50}, {{-1, -1}, {1, -1}, {0, 1}}, {0, 0, 1, 1});
    world.Draw();
    ASSERT_EQ(Draws().size(), 2u);
    const Draw& body = Draws()[1];
    EXPECT_EQ(body.type, PrimitiveType::TriangleFan);
    EXPECT_EQ(body.count, 3u);
    ASSERT_EQ(body.vertices.size(), 5u);
    ExpectVertex(body.vertices[0], 50, 50, 0.5f, 0xFF0000FFu);
    ExpectVertex(body.vertices[1], 49, 49, 0.5f, 0xFF0000FFu);
    ExpectVertex(body.vertices[2], 51, 49, 0.5f, 0xFF0000FFu);
    ExpectVertex(body.vertices[3], 50, 51, 0.5f, 0xFF0000FFu);
    ExpectVertex(body.vertices[4], 49, 49, 0.5f, 0xFF0000FFu);
}

TEST_F(DrawingTest, APolygonWithoutPointsIsDrawnAsADisc)
{
    auto& adapter = AddDisc({5, 5}, 1, {1, 0, 0, 1});
    adapter.GetPhysicalObject().hasBoundingSurface = true;
    world.Draw();
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Draws()[1].vertices.size(), 34u);
}

TEST_F(DrawingTest, ObjectsComeBeforeRobotsEachInListOrder)
{
    AddRobot({70, 70}, 3, 0, 2);
    AddDisc({10, 10}, 1, {1, 0, 0, 1});
    AddDisc({20, 10}, 1, {0, 1, 0, 1});
    world.Draw();
    // Border, two discs, then the robot's body, arrow and two wheels.
    ASSERT_EQ(Draws().size(), 7u);
    EXPECT_EQ(Draws()[1].vertices[0].color, 0xFFFF0000u);
    EXPECT_EQ(Draws()[2].vertices[0].color, 0xFF00FF00u);
    ExpectVertex(Draws()[3].vertices[0], 70, 70, 0.5f, 0xFF000000u);
}

TEST_F(DrawingTest, TheArrowPointsAlongTheHeadingWithItsTipHalfARadiusAhead)
{
    AddRobot({30, 40}, 4, Fen::pi / 2, 3);
    world.Draw();
    ASSERT_EQ(Draws().size(), 5u);
    const Draw& arrow = Draws()[2];
    EXPECT_EQ(arrow.type, PrimitiveType::TriangleList);
    EXPECT_EQ(arrow.count, 1u);
    ASSERT_EQ(arrow.vertices.size(), 3u);
    ExpectVertex(arrow.vertices[0], -2, -2, 0.4f, LightGrey);
    ExpectVertex(arrow.vertices[1], -2, 2, 0.4f, LightGrey);
    ExpectVertex(arrow.vertices[2], 2, 0, 0.4f, LightGrey);
    // Facing +y: the tip is 2 above the centre, the back corners 2 below.
    ExpectPoint(Placed(arrow, 2), 30, 42);
    ExpectPoint(Placed(arrow, 0), 32, 38);
    ExpectPoint(Placed(arrow, 1), 28, 38);
    // The device's world matrix is given back afterwards.
    EXPECT_EQ(device.GetCurrentTransform(TransformState::World), MatrixIdentity());
}

TEST_F(DrawingTest, TheWheelsAreTwoBarsOnTheAxleLeftFirst)
{
    AddRobot({30, 40}, 4, Fen::pi / 2, 3);
    world.Draw();
    ASSERT_EQ(Draws().size(), 5u);
    const Draw& left = Draws()[3];
    const Draw& right = Draws()[4];
    for (const Draw* wheel : {&left, &right}) {
        EXPECT_EQ(wheel->type, PrimitiveType::TriangleStrip);
        EXPECT_EQ(wheel->count, 2u);
        ASSERT_EQ(wheel->vertices.size(), 4u);
        ExpectVertex(wheel->vertices[0], -2, 0.5, 0.6f, LightGrey);
        ExpectVertex(wheel->vertices[1], -2, -0.5, 0.6f, LightGrey);
        ExpectVertex(wheel->vertices[2], 2, 0.5, 0.6f, LightGrey);
        ExpectVertex(wheel->vertices[3], 2, -0.5, 0.6f, LightGrey);
    }
    // Facing +y, the left wheel lies 1.5 to the left (-x), along the heading.
    ExpectPoint(Placed(left, 0), 28, 38);
    ExpectPoint(Placed(left, 1), 29, 38);
    ExpectPoint(Placed(left, 2), 28, 42);
    ExpectPoint(Placed(left, 3), 29, 42);
    ExpectPoint(Placed(right, 0), 31, 38);
    ExpectPoint(Placed(right, 3), 32, 42);
}

TEST_F(DrawingTest, TheCameraBandCoversTheFieldOfViewBetweenOneAndAHalfAndTwoAndAHalfRadii)
{
    Fen::NeuralRobot& robot = AddRobot({30, 40}, 2, 0, 1);
    const std::vector<Fen::Color> image{{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 0.5}};
    AddCamera(robot, {30, 40}, 0, Fen::pi / 2, image);
    world.Draw();
    ASSERT_EQ(Draws().size(), 6u);
    const Draw& band = Draws()[5];
    EXPECT_EQ(band.type, PrimitiveType::TriangleStrip);
    EXPECT_EQ(band.count, 4u);
    ASSERT_EQ(band.vertices.size(), 6u);
    EXPECT_EQ(band.world, MatrixIdentity());
    // Pixel 0 at the start of the field of view (-90 degrees), inner vertex first.
    ExpectVertex(band.vertices[0], 30, 37, 0.4f, 0xFFFF0000u);
    ExpectVertex(band.vertices[1], 30, 35, 0.4f, 0xFFFF0000u);
    ExpectVertex(band.vertices[2], 33, 40, 0.4f, 0xFF00FF00u);
    ExpectVertex(band.vertices[3], 35, 40, 0.4f, 0xFF00FF00u);
    ExpectVertex(band.vertices[4], 30, 43, 0.4f, 0x7F0000FFu);
    ExpectVertex(band.vertices[5], 30, 45, 0.4f, 0x7F0000FFu);
}

TEST_F(DrawingTest, CamerasOfOneOrNoPixelDrawNothing)
{
    Fen::NeuralRobot& robot = AddRobot({30, 40}, 2, 0, 1);
    AddCamera(robot, {30, 40}, 0, Fen::pi / 2, {{1, 0, 0, 1}});
    AddCamera(robot, {30, 40}, 0, Fen::pi / 2, {});
    EXPECT_EQ(world.Draw(), DeviceOk);
    EXPECT_EQ(Draws().size(), 5u);
}

TEST_F(DrawingTest, RaysAreLinesFromTheSensorToTheirHitsInTheHitColour)
{
    Fen::NeuralRobot& robot = AddRobot({30, 40}, 2, 0, 1);
    AddSensor(robot, {31, 40}, {{3, 0}, {0, 0}, {0, -2}}, {{1, 0, 0, 1}, {0, 0, 0, 1}, {0, 1, 0, 1}});
    world.Draw();
    ASSERT_EQ(Draws().size(), 6u);
    const Draw& rays = Draws()[5];
    EXPECT_EQ(rays.type, PrimitiveType::LineList);
    EXPECT_EQ(rays.count, 3u);
    ASSERT_EQ(rays.vertices.size(), 6u);
    ExpectVertex(rays.vertices[0], 31, 40, 0.8f, 0xFFFF0000u);
    ExpectVertex(rays.vertices[1], 34, 40, 0.8f, 0xFFFF0000u);
    // A ray that hit nothing has no length.
    ExpectVertex(rays.vertices[2], 31, 40, 0.8f, 0xFF000000u);
    ExpectVertex(rays.vertices[3], 31, 40, 0.8f, 0xFF000000u);
    ExpectVertex(rays.vertices[4], 31, 40, 0.8f, 0xFF00FF00u);
    ExpectVertex(rays.vertices[5], 31, 38, 0.8f, 0xFF00FF00u);
}

TEST_F(DrawingTest, CamerasComeBeforeSensorsAfterTheWheels)
{
    Fen::NeuralRobot& robot = AddRobot({30, 40}, 2, 0, 1);
    AddSensor(robot, {31, 40}, {{3, 0}}, {{1, 0, 0, 1}});
    AddCamera(robot, {30, 40}, 0, 1, {{1, 0, 0, 1}, {1, 0, 0, 1}});
    world.Draw();
    ASSERT_EQ(Draws().size(), 7u);
    EXPECT_EQ(Draws()[5].type, PrimitiveType::TriangleStrip);
    EXPECT_EQ(Draws()[6].type, PrimitiveType::LineList);
}

TEST_F(DrawingTest, ASensorWithoutRaysDrawsNothing)
{
    Fen::NeuralRobot& robot = AddRobot({30, 40}, 2, 0, 1);
    robot.irSensors.push_back(std::make_unique<Fen::IRSensor>(0, nullptr));
    EXPECT_EQ(world.Draw(), DeviceOk);
    EXPECT_EQ(Draws().size(), 5u);
}

TEST_F(DrawingTest, ARobotOfNoRadiusLeavesOnlyItsRaysVisible)
{
    Fen::NeuralRobot& robot = AddRobot({30, 40}, 0, 1, 0);
    AddCamera(robot, {30, 40}, 0, 1, {{1, 0, 0, 1}, {1, 0, 0, 1}});
    AddSensor(robot, {30, 40}, {{3, 0}}, {{1, 0, 0, 1}});
    EXPECT_EQ(world.Draw(), DeviceOk);
    ASSERT_EQ(Draws().size(), 7u);
    // Body, arrow, wheels and the camera band all collapse to the centre.
    for (std::size_t d = 1; d < 6; ++d)
        for (std::size_t i = 0; i < Draws()[d].vertices.size(); ++i)
            ExpectPoint(Placed(Draws()[d], i), 30, 40);
    ExpectPoint(Placed(Draws()[6], 1), 33, 40);
}

TEST_F(DrawingTest, ABodyBiggerThanTheBufferGrowsItInTheMiddleOfTheFrame)
{
    Fen::Polygone ring;
    for (int i = 0; i < 600; ++i)
        ring.push_back({10 * std::cos(2 * Fen::pi * i / 600), 10 * std::sin(2 * Fen::pi * i / 600)});
    AddPolygon({50, 50}, ring, {0, 1, 0, 1});
    AddRobot({20, 20}, 2, 0, 1);
    EXPECT_EQ(world.Draw(), DeviceOk);
    ASSERT_EQ(Draws().size(), 6u);
    EXPECT_EQ(Draws()[1].vertices.size(), 602u);
    EXPECT_EQ(Draws()[1].count, 600u);
    EXPECT_EQ(vertexBuffer.GetCapacity(), 2 * 602 * 16 + 1);
    // The drawings after the growth still go through.
    EXPECT_EQ(Draws()[3].vertices.size(), 3u);
    EXPECT_EQ(device.GetLiveBufferCount(), 1);
}

TEST(DrawingWithoutContext, EveryDrawingFailsWithoutTouchingAnything)
{
    DrawnWorld world{nullptr};
    auto& object = Tarn::CFenPhysicalObject::Create(world);
    object.GetPhysicalObject().r = 1;
    auto& robot = Tarn::CFenNeuralRobot::Create(world);
    EXPECT_EQ(world.Draw(), DeviceFail);
    EXPECT_EQ(object.Draw(), DeviceFail);
    EXPECT_EQ(robot.Draw(), DeviceFail);
}

TEST_F(DrawingTest, AFailingDeviceIsReportedByTheDrawings)
{
    auto& object = AddDisc({10, 10}, 1, {1, 0, 0, 1});
    device.FailOn(DeviceCall::DrawPrimitive);
    EXPECT_EQ(object.Draw(), DeviceFail);
    EXPECT_EQ(world.Draw(), DeviceFail);
}

} // namespace
