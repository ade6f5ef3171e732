// Frame time of the world view: 1000 bodies and a robot with eight one-ray
// infrared sensors and a 60-pixel camera, drawn offscreen through the OpenGL
// device (Mesa's software rasteriser where there is no GPU), and the same
// frame over the recording device to show what the drawing code alone costs.
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "engine/Angle.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobotIRSensorModel.h"
#include "engine/Random.h"
#include "engine/World.h"
#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "model/IFenWorld.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "render/CFenGraphicsFactory.h"
#include "tests/support/TestWorld.h"
#include "render/CEGLOffscreenContext.h"
#include "render/CGLDevice.h"
#include "tests/support/CRecordingDevice.h"
#include "render/CVertexBuffer.h"
#include "render/CViewport.h"

using namespace Tarn;
using namespace TestSupport;

namespace {

constexpr std::uint32_t Width = 640;
constexpr std::uint32_t Height = 480;

// A deterministic crowd: half discs, half regular polygons of 3 to 6 sides.
void Populate(Tarn::CFenWorld& world, int bodies)
{
    Fen::setRandomState(12345);
    for (int i = 0; i < bodies; ++i) {
        Fen::PhysicalObject& o = Tarn::CFenPhysicalObject::Create(world).GetPhysicalObject();
        o.pos = {100 * Fen::randomUniform(), 100 * Fen::randomUniform()};
        o.angle = 2 * Fen::pi * Fen::randomUniform();
        o.color = {Fen::randomUniform(), Fen::randomUniform(), Fen::randomUniform(), 1};
        const double size = 0.5 + Fen::randomUniform();
        if (i % 2 == 0) {
            o.r = size;
        } else {
            const int sides = 3 + i % 4;
            Fen::Polygone polygon;
            for (int k = 0; k < sides; ++k)
                polygon.push_back({size * std::cos(2 * Fen::pi * k / sides), size * std::sin(2 * Fen::pi * k / sides)});
            o.setBoundingSurface(polygon);
            o.computeAbsBoundingSurface();
        }
    }

    Fen::NeuralRobot& robot = Tarn::CFenNeuralRobot::Create(world).GetPhysicalObject();
    robot.pos = {50, 50};
    robot.r = 3;
    robot.angle = 0.4;
    robot.wheelDistance = 5.3;
    robot.color = {0.2, 0.4, 0.8, 1};
    static Fen::SensorResponseFunctor* functor = &Fen::NeuralRobotIRSensorModel::instance();
    for (int s = 0; s < 8; ++s) {
        auto sensor = std::make_unique<Fen::IRSensor>(1, &functor);
        const double a = robot.angle + 2 * Fen::pi * s / 8;
        sensor->absPos = robot.pos + Fen::Vector(std::cos(a), std::sin(a)) * 2.9;
        sensor->rayHitPoints[0] = Fen::Vector(std::cos(a), std::sin(a)) * 7.0;
        sensor->finalRayColors[0] = {1, 0.5, 0, 1};
        robot.irSensors.push_back(std::move(sensor));
    }
    auto camera = std::make_unique<Fen::CircularCam>();
    camera->setup(2.5, 0, 3, 0, Fen::pi / 6, 60);
    camera->absPos = robot.pos;
    camera->absOrientation = robot.angle;
    for (unsigned i = 0; i < 60; ++i)
        camera->image[i] = {i / 59.0, 1 - i / 59.0, 0.5, 1};
    robot.cameras.push_back(std::move(camera));
}

// The application's frame: window clear, scene, world view, end.
void DrawFrame(IGraphicsDevice& device, CViewport& viewport, Tarn::CFenWorld& world)
{
    device.Clear(ClearTarget | ClearZBuffer, 0x002D32AAu, 1.0f, 0);
    device.BeginScene();
    viewport.Begin();
    viewport.Clear(0x000000AAu);
    world.Draw();
    viewport.End();
    device.EndScene();
}

// The OpenGL device on an offscreen context, with the world view's vertex
// buffer and viewport on it as the window has them after a device reset.
struct OffscreenView {
    OffscreenView(std::unique_ptr<CEGLOffscreenContext> openContext, std::unique_ptr<CGLDevice> openDevice)
        : context(std::move(openContext)), device(std::move(openDevice))
    {
        vertexBuffer.OnCreateDevice(device.get());
        viewport.OnCreateDevice(device.get());
        vertexBuffer.OnResetDevice();
        device->SetRenderState(RenderState::CullMode, CullNone);
    }
    ~OffscreenView()
    {
        vertexBuffer.OnLostDevice();
        vertexBuffer.OnDestroyDevice();
    }
    OffscreenView(const OffscreenView&) = delete;
    OffscreenView& operator=(const OffscreenView&) = delete;

    std::unique_ptr<CEGLOffscreenContext> context;
    std::unique_ptr<CGLDevice> device;
    CVertexBuffer vertexBuffer;
    CViewport viewport;
};

// Null, with the benchmark marked skipped, where there is no OpenGL.
std::unique_ptr<OffscreenView> OpenOffscreenView(benchmark::State& state)
{
    auto context = CEGLOffscreenContext::Create(Width, Height);
    if (context == nullptr) {
        state.SkipWithError("no offscreen OpenGL context");
        return nullptr;
    }
    auto device = CGLDevice::Create(Width, Height);
    if (device == nullptr) {
        state.SkipWithError("the OpenGL device did not build");
        return nullptr;
    }
    return std::make_unique<OffscreenView>(std::move(context), std::move(device));
}

void BM_FrameOpenGL(benchmark::State& state)
{
    const auto view = OpenOffscreenView(state);
    if (view == nullptr)
        return;
    view->viewport.SetRect(10, 55, Width - 180, Height - 90);
    view->viewport.FitWorld(100, 100);
    TestSupport::TestWorld<TestSupport::NoReaders, Tarn::CFenGraphicsFactory> world(&view->vertexBuffer);
    Populate(world, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DrawFrame(*view->device, view->viewport, world);
        // Count the rasterising, not only the queueing.
        glFinish();
    }
}
BENCHMARK(BM_FrameOpenGL)->Arg(1000)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameRecording(benchmark::State& state)
{
    CRecordingDevice device(Width, Height);
    CVertexBuffer vertexBuffer;
    CViewport viewport;
    vertexBuffer.OnCreateDevice(&device);
    viewport.OnCreateDevice(&device);
    vertexBuffer.OnResetDevice();
    viewport.SetRect(10, 55, Width - 180, Height - 90);
    viewport.FitWorld(100, 100);
    {
        TestSupport::TestWorld<TestSupport::NoReaders, Tarn::CFenGraphicsFactory> world(&vertexBuffer);
        Populate(world, static_cast<int>(state.range(0)));
        for (auto _ : state) {
            DrawFrame(device, viewport, world);
            device.ClearRecords();
        }
    }
    vertexBuffer.OnLostDevice();
}
BENCHMARK(BM_FrameRecording)->Arg(1000)->Unit(benchmark::kMillisecond);

// A frame of the 10,000-body example as the window shows it after loading:
// the whole arena in the world view, the robot at its start. The drawing is
// the application's, through the scene controller.
void BM_FrameCrowdedExample(benchmark::State& state)
{
    const auto view = OpenOffscreenView(state);
    if (view == nullptr)
        return;
    Korvale::CKeyboard keyboard;
    Korvale::CKorvaleScene scene(&view->vertexBuffer, &keyboard);
    const std::string examples = std::string(KORVALE_SOURCE_DIR) + "/examples/";
    if (!scene.LoadScene(examples + "Crowded10000.xml") || !scene.LoadRobot(examples + "Robot.xml")) {
        state.SkipWithError("the example did not load");
        return;
    }
    const Fen::World& world = scene.GetWorld()->GetFenWorld();
    CViewport& viewport = view->viewport;
    viewport.SetRect(10, 55, Width - 180, Height - 90);
    viewport.FitWorld(static_cast<float>(world.width), static_cast<float>(world.height));
    scene.Step(1.0f / 60);
    for (auto _ : state) {
        view->device->Clear(ClearTarget | ClearZBuffer, 0x002D32AAu, 1.0f, 0);
        view->device->BeginScene();
        viewport.Begin();
        viewport.Clear(0x000000AAu);
        scene.Draw();
        viewport.End();
        view->device->EndScene();
        glFinish();
    }
    state.counters["bodies"] = static_cast<double>(world.objects.size());
}
BENCHMARK(BM_FrameCrowdedExample)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
