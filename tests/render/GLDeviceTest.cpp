#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <vector>
#include <memory>
#include <string>
#include "render/CEGLOffscreenContext.h"
#include "render/CGLDevice.h"
#include "render/CVertexBuffer.h"
#include "render/CViewport.h"
#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "DrawnWorld.h"
#include "model/CFenWorld.h"
#include "render/CFenCircularCamPlotter.h"
#include "render/CFenPhysicalObjectPlotter.h"
#include "render/CFenWorldGraphics.h"
#include "render/RobotDrawOptions.h"
#include "render/SelectionRing.h"
#include "render/VertexColor.h"

using namespace Tarn;

namespace {

constexpr std::uint32_t Width = 640;
constexpr std::uint32_t Height = 480;

// One context for the whole suite: making one costs far more than a test.
class GLDeviceTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        context = CEGLOffscreenContext::Create(Width, Height, &error);
        contextError = error;
    }
    static void TearDownTestSuite() { context.reset(); }

    void SetUp() override
    {
        ASSERT_NE(context, nullptr) << "no offscreen OpenGL: " << contextError;
        ASSERT_TRUE(context->MakeCurrent());
        std::string error;
        device = CGLDevice::Create(Width, Height, &error);
        ASSERT_NE(device, nullptr) << error;
    }

    std::uint32_t Pixel(std::uint32_t x, std::uint32_t y) const { return device->ReadPixels(x, y, 1, 1).at(0); }

    static inline std::unique_ptr<CEGLOffscreenContext> context;
    static inline std::string contextError;
    std::unique_ptr<CGLDevice> device;
};

TEST_F(GLDeviceTest, ClearKeepsToTheViewport)
{
    ASSERT_EQ(device->Clear(ClearTarget | ClearZBuffer, 0xFF2D32AAu, 1.0f, 0), DeviceOk);
    ASSERT_EQ(device->SetViewport({10, 55, 460, 390, 0, 1}), DeviceOk);
    ASSERT_EQ(device->Clear(ClearTarget | ClearZBuffer, 0x000000AAu, 1.0f, 0), DeviceOk);
    EXPECT_EQ(Pixel(10, 55) & 0xFFFFFFu, 0x0000AAu);
    EXPECT_EQ(Pixel(469, 444) & 0xFFFFFFu, 0x0000AAu);
    EXPECT_EQ(Pixel(9, 55) & 0xFFFFFFu, 0x2D32AAu);
    EXPECT_EQ(Pixel(470, 444) & 0xFFFFFFu, 0x2D32AAu);
    EXPECT_EQ(Pixel(10, 54) & 0xFFFFFFu, 0x2D32AAu);
    EXPECT_EQ(Pixel(10, 445) & 0xFFFFFFu, 0x2D32AAu);
}

constexpr std::uint32_t WindowColor = 0x002D32AAu;
constexpr std::uint32_t WorldColor = 0x000000AAu;
constexpr std::uint32_t Rgb(std::uint32_t pixel) { return pixel & 0xFFFFFFu; }

// A frame as the application draws it: the whole target cleared, then the
// world view with its own clear, the arena and everything in it.
class GLSceneTest : public GLDeviceTest {
protected:
    void SetUp() override
    {
        GLDeviceTest::SetUp();
        if (HasFatalFailure())
            return;
        vertexBuffer.OnCreateDevice(device.get());
        viewport.OnCreateDevice(device.get());
        ASSERT_EQ(vertexBuffer.OnResetDevice(), DeviceOk);
        ASSERT_EQ(device->SetRenderState(RenderState::CullMode, CullNone), DeviceOk);
        ASSERT_EQ(device->SetRenderState(RenderState::Lighting, 0), DeviceOk);
        viewport.SetRect(10, 55, 460, 390);
        viewport.FitWorld(100, 100);
    }
    void TearDown() override
    {
        world.Reset(100, 100);
        vertexBuffer.OnLostDevice();
        vertexBuffer.OnDestroyDevice();
        viewport.OnDestroyDevice();
    }

    template <class F>
    void Frame(F&& drawWorld)
    {
        ASSERT_EQ(device->Clear(ClearTarget | ClearZBuffer, WindowColor, 1.0f, 0), DeviceOk);
        ASSERT_EQ(device->BeginScene(), DeviceOk);
        ASSERT_EQ(viewport.Begin(), DeviceOk);
        ASSERT_EQ(viewport.Clear(WorldColor), DeviceOk);
        drawWorld();
        ASSERT_EQ(viewport.End(), DeviceOk);
        ASSERT_EQ(device->EndScene(), DeviceOk);
    }

    // The pixel that shows a world point.
    std::uint32_t At(double x, double y) const
    {
        const Vec2 ndc = Vec2TransformCoord({static_cast<float>(x), static_cast<float>(y)},
                                            viewport.GetCombinedMatrix());
        const DeviceViewport& r = viewport.GetRect();
        const float px = static_cast<float>(r.x) + (ndc.x + 1) * static_cast<float>(r.width) / 2;
        const float py = static_cast<float>(r.y) + (1 - ndc.y) * static_cast<float>(r.height) / 2;
        return Rgb(Pixel(static_cast<std::uint32_t>(px), static_cast<std::uint32_t>(py)));
    }

    // Whether any pixel within one of the point's pixel shows the colour.
    bool NearPoint(double x, double y, std::uint32_t rgb) const
    {
        const Vec2 ndc = Vec2TransformCoord({static_cast<float>(x), static_cast<float>(y)},
                                            viewport.GetCombinedMatrix());
        const DeviceViewport& r = viewport.GetRect();
        const int px = static_cast<int>(static_cast<float>(r.x) + (ndc.x + 1) * static_cast<float>(r.width) / 2);
        const int py = static_cast<int>(static_cast<float>(r.y) + (1 - ndc.y) * static_cast<float>(r.height) / 2);
        const auto block = device->ReadPixels(static_cast<std::uint32_t>(px - 1), static_cast<std::uint32_t>(py - 1), 3, 3);
        for (std::uint32_t p : block)
            if (Rgb(p) == rgb)
                return true;
        return false;
    }

    CVertexBuffer vertexBuffer;
    CViewport viewport;
    DrawnWorld world{&vertexBuffer};
};

TEST_F(GLSceneTest, TheWorldViewIsClearedAndTheOutsideUntouched)
{
    Frame([&] { world.Draw(); });
    EXPECT_EQ(Rgb(Pixel(240, 250)), Rgb(WorldColor));
    EXPECT_EQ(Rgb(Pixel(12, 57)), Rgb(WorldColor));
    EXPECT_EQ(Rgb(Pixel(5, 5)), Rgb(WindowColor));
    EXPECT_EQ(Rgb(Pixel(9, 250)), Rgb(WindowColor));
    EXPECT_EQ(Rgb(Pixel(470, 250)), Rgb(WindowColor));
    EXPECT_EQ(Rgb(Pixel(240, 54)), Rgb(WindowColor));
    EXPECT_EQ(Rgb(Pixel(240, 445)), Rgb(WindowColor));
    EXPECT_EQ(Rgb(Pixel(630, 470)), Rgb(WindowColor));
}

TEST_F(GLSceneTest, TheBorderIsBlackOnTheArenaEdgesOnly)
{
    Frame([&] { world.Draw(); });
    for (double t : {5.0, 50.0, 95.0}) {
        EXPECT_TRUE(NearPoint(t, 0, 0x000000)) << "bottom " << t;
        EXPECT_TRUE(NearPoint(t, 100, 0x000000)) << "top " << t;
        EXPECT_TRUE(NearPoint(0, t, 0x000000)) << "left " << t;
        EXPECT_TRUE(NearPoint(100, t, 0x000000)) << "right " << t;
    }
    EXPECT_EQ(At(50, 50), Rgb(WorldColor));
    EXPECT_EQ(At(3, 3), Rgb(WorldColor));
    EXPECT_EQ(At(-3, 50), Rgb(WorldColor));
}

TEST_F(GLSceneTest, ARedDiscIsRedAtItsCentre)
{
    auto& disc = Tarn::CFenPhysicalObject::Create(world).GetPhysicalObject();
    disc.pos = {30, 30};
    disc.r = 5;
    disc.color = {1, 0, 0, 1};
    Frame([&] { world.Draw(); });
    EXPECT_EQ(At(30, 30), 0xFF0000u);
    EXPECT_EQ(At(33, 30), 0xFF0000u);
    EXPECT_EQ(At(30, 36), Rgb(WorldColor));
}

TEST_F(GLSceneTest, TheCameraBandHidesABodyWhicheverIsDrawnFirst)
{
    Fen::PhysicalObject body;
    body.pos = {58, 50};
    body.r = 1.5;
    body.color = {0, 1, 0, 1};
    Fen::CircularCam camera;
    camera.setup(0, 0, 0, 0, Fen::pi / 4, 10);
    camera.absPos = {50, 50};
    camera.image.assign(10, Fen::Color{1, 1, 0, 1});
    Tarn::CFenPhysicalObjectPlotter bodyPlotter(&vertexBuffer);
    Tarn::CFenCircularCamPlotter camPlotter(&vertexBuffer);
    const double robotRadius = 4; // the band runs from 6 to 10 around the camera

    Frame([&] {
        EXPECT_EQ(bodyPlotter.Plot(body), DeviceOk);
        EXPECT_EQ(camPlotter.Plot(camera, robotRadius), DeviceOk);
    });
    EXPECT_EQ(At(58, 50), 0xFFFF00u);

    Frame([&] {
        EXPECT_EQ(camPlotter.Plot(camera, robotRadius), DeviceOk);
        EXPECT_EQ(bodyPlotter.Plot(body), DeviceOk);
    });
    EXPECT_EQ(At(58, 50), 0xFFFF00u);
    // Outside the band the body shows.
    body.pos = {50, 58};
    Frame([&] { EXPECT_EQ(bodyPlotter.Plot(body), DeviceOk); });
    EXPECT_EQ(At(50, 58), 0x00FF00u);
}

TEST_F(GLSceneTest, TheRobotShowsItsArrowOverItsBody)
{
    auto& robot = Tarn::CFenNeuralRobot::Create(world).GetPhysicalObject();
    robot.pos = {50, 50};
    robot.r = 10;
    robot.angle = Fen::pi / 2;
    robot.color = {0, 0, 1, 1};
    Frame([&] { world.Draw(); });
    // The arrow (light grey) points up: its tip region is grey, below the
    // centre between its back corners too, and the body's side is blue.
    EXPECT_EQ(At(50, 53), 0xAAAAAAu);
    EXPECT_EQ(At(50, 46), 0xAAAAAAu);
    EXPECT_EQ(At(57, 50), 0x0000FFu);
}

TEST_F(GLSceneTest, ManyObjectsInOneListShowTheSamePixelsAsOneFanEach)
{
    // A crowd of bodies from sub-pixel to large, overlapping in colours, some
    // beyond the arena and the view, seen whole and zoomed in: the batched
    // drawing, which also leaves out triangles between pixel centres, gives
    // every pixel of the frame the colour one fan per body gives it.
    std::uint32_t state = 7;
    const auto unit = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 8) / 16777216.0;
    };
    for (int i = 0; i < 1500; ++i) {
        Fen::PhysicalObject& body = Tarn::CFenPhysicalObject::Create(world).GetPhysicalObject();
        body.pos = {-10 + 120 * unit(), -10 + 120 * unit()};
        // Some bodies have turned many times over.
        body.angle = i % 7 == 0 ? 20000 * unit() : 7 * unit();
        body.color = {unit(), unit(), unit(), 1};
        const double size = i % 10 == 0 ? 2 + 6 * unit() : 0.02 + 0.6 * unit();
        if (i % 3 == 0) {
            body.r = size;
        } else {
            const int sides = 3 + i % 5;
            Fen::Polygone polygon;
            for (int k = 0; k < sides; ++k)
                polygon.push_back({size * (1 + unit()) * std::cos(2 * Fen::pi * k / sides),
                                   size * std::sin(2 * Fen::pi * k / sides)});
            body.setBoundingSurface(polygon);
            body.computeAbsBoundingSurface();
        }
    }
    ASSERT_GE(world.GetObjectCount(), CFenWorldGraphics::BatchFrom);
    CFenWorldGraphics graphics(&vertexBuffer, world);
    const auto frame = [&](bool batched) {
        graphics.batchObjects = batched;
        Frame([&] { EXPECT_EQ(graphics.Draw(), DeviceOk); });
        return device->ReadPixels(0, 0, Width, Height);
    };
    const float fitted = viewport.GetZoom();
    for (const float zoom : {fitted, 6 * fitted}) {
        viewport.SetZoom(zoom);
        const std::vector<std::uint32_t> oneByOne = frame(false);
        const std::vector<std::uint32_t> inOneList = frame(true);
        ASSERT_EQ(oneByOne.size(), inOneList.size());
        std::size_t differing = 0;
        for (std::size_t k = 0; k < oneByOne.size(); ++k)
            differing += Rgb(oneByOne[k]) != Rgb(inOneList[k]);
        EXPECT_EQ(differing, 0u) << "zoom " << zoom;
        // The frame shows the bodies, not just the background.
        const std::size_t shown = static_cast<std::size_t>(
            std::count_if(oneByOne.begin(), oneByOne.end(), [](std::uint32_t p) { return Rgb(p) != Rgb(WorldColor); }));
        EXPECT_GT(shown, oneByOne.size() / 10) << "zoom " << zoom;
    }
}

TEST_F(GLSceneTest, DrawingsThatOutgrowTheBufferStillShow)
{
    Fen::Polygone ring;
    for (int i = 0; i < 800; ++i)
        ring.push_back({10 * std::cos(2 * Fen::pi * i / 800), 10 * std::sin(2 * Fen::pi * i / 800)});
    auto& body = Tarn::CFenPhysicalObject::Create(world).GetPhysicalObject();
    body.pos = {50, 50};
    body.color = {0, 1, 0, 1};
    body.setBoundingSurface(ring);
    body.computeAbsBoundingSurface();
    Frame([&] { world.Draw(); });
    EXPECT_GT(vertexBuffer.GetCapacity(), CVertexBuffer::InitialCapacity);
    EXPECT_EQ(At(50, 50), 0x00FF00u);
    EXPECT_EQ(At(58, 50), 0x00FF00u);
}

} // namespace

namespace {

// A robot as the example robot file makes it: eight one-ray infrared
// sensors with orange rays and a 60-pixel camera seeing two colours.
Fen::NeuralRobot& EquippedSceneRobot(DrawnWorld& world, double x, double y, double angle)
{
    Fen::NeuralRobot& robot = Tarn::CFenNeuralRobot::CreateSceneRobot(world).GetPhysicalObject();
    robot.pos = {x, y};
    robot.r = 3;
    robot.angle = angle;
    robot.wheelDistance = 5.3;
    robot.color = {0.2, 0.4, 0.8, 1};
    static Fen::SensorResponseFunctor* functor = &Fen::NeuralRobotIRSensorModel::instance();
    for (int s = 0; s < 8; ++s) {
        auto sensor = std::make_unique<Fen::IRSensor>(1, &functor);
        const double a = angle + 2 * Fen::pi * s / 8;
        sensor->absPos = robot.pos + Fen::Vector(std::cos(a), std::sin(a)) * 2.9;
        sensor->rayHitPoints[0] = Fen::Vector(std::cos(a), std::sin(a)) * 7.0;
        sensor->finalRayColors[0] = {1, 0.5, 0, 1};
        robot.irSensors.push_back(std::move(sensor));
    }
    auto camera = std::make_unique<Fen::CircularCam>();
    camera->setup(2.5, 0, 3, 0, Fen::pi / 6, 60);
    camera->absPos = robot.pos;
    camera->absOrientation = angle;
    for (unsigned i = 0; i < 60; ++i)
        camera->image[i] = i < 25 ? Fen::Color{0, 1, 0, 1} : Fen::Color{1, 0, 1, 1};
    robot.cameras.push_back(std::move(camera));
    return robot;
}

} // namespace

TEST_F(GLSceneTest, ASwarmInOneListLooksAsItsRobotsDrawnOneByOne)
{
    // A swarm past BatchFrom, seen whole and close up: the batched drawing
    // places arrows and wheels itself and thins the camera's runs of one
    // colour, so a few edge pixels may differ from one drawing a robot;
    // every robot still shows, and hiding the rays leaves no orange.
    for (unsigned i = 0; i < 100; ++i)
        EquippedSceneRobot(world, 5 + 10 * (i % 10), 5 + 10 * (i / 10), 0.37 * i);
    ASSERT_GE(world.GetSceneRobotCount(), CFenWorldGraphics::BatchFrom);
    // The options every robot of the world reads, and the batch with them.
    RobotDrawOptions& options = static_cast<CFenGraphicsFactory&>(world.GetGraphicsFactory()).RobotOptions();
    CFenWorldGraphics graphics(&vertexBuffer, world, &options);
    const auto frame = [&](bool batched) {
        graphics.batchObjects = batched;
        Frame([&] { EXPECT_EQ(graphics.Draw(), DeviceOk); });
        return device->ReadPixels(0, 0, Width, Height);
    };
    const auto count = [](const std::vector<std::uint32_t>& pixels, std::uint32_t rgb) {
        return static_cast<std::size_t>(
            std::count_if(pixels.begin(), pixels.end(), [rgb](std::uint32_t p) { return Rgb(p) == rgb; }));
    };
    const std::uint32_t body = Rgb(VertexColor({0.2, 0.4, 0.8, 1}));
    const std::uint32_t orange = Rgb(VertexColor({1, 0.5, 0, 1}));
    const float fitted = viewport.GetZoom();
    for (const float zoom : {fitted, 4 * fitted}) {
        viewport.SetZoom(zoom);
        const std::vector<std::uint32_t> oneByOne = frame(false);
        const std::vector<std::uint32_t> inOneList = frame(true);
        std::size_t differing = 0;
        for (std::size_t k = 0; k < oneByOne.size(); ++k)
            differing += Rgb(oneByOne[k]) != Rgb(inOneList[k]);
        const std::size_t drawn = oneByOne.size() - count(oneByOne, WorldColor) - count(oneByOne, WindowColor);
        EXPECT_GT(drawn, 10000u) << "zoom " << zoom;
        EXPECT_LT(differing, drawn / 50) << "zoom " << zoom;
        for (const std::uint32_t rgb : {body, 0xAAAAAAu, 0x00FF00u, 0xFF00FFu, orange})
            EXPECT_NEAR(static_cast<double>(count(inOneList, rgb)), static_cast<double>(count(oneByOne, rgb)),
                        0.05 * static_cast<double>(count(oneByOne, rgb)) + 20)
                << std::hex << rgb << " at zoom " << zoom;
    }
    viewport.SetZoom(fitted);
    options.rays = false;
    for (const bool batched : {false, true}) {
        const std::vector<std::uint32_t> pixels = frame(batched);
        EXPECT_EQ(count(pixels, orange), 0u) << (batched ? "in one list" : "one by one");
        EXPECT_GT(count(pixels, body), 1000u);
    }
}

TEST_F(GLSceneTest, TheSelectionRingCirclesItsCentre)
{
    Frame([&] { EXPECT_EQ(SelectionRing::Draw(vertexBuffer, 50, 50, 10, 12), DeviceOk); });
    const std::uint32_t ring = Rgb(SelectionRing::Color);
    for (int k = 0; k < 8; ++k) {
        const double a = k * Fen::pi / 4;
        EXPECT_TRUE(NearPoint(50 + 11 * std::cos(a), 50 + 11 * std::sin(a), ring)) << "direction " << k;
    }
    EXPECT_EQ(At(50, 50), WorldColor) << "the inside stays clear";
    EXPECT_EQ(At(50, 64), WorldColor);
}
