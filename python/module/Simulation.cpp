#include "Simulation.h"

#include <cmath>
#include <utility>

#include "Interrupt.h"

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "base/WindowMessages.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "engine/RemoteControl.h"
#include "engine/World.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "model/IFenWorld.h"
#include "render/COffscreenWorldView.h"
#include "render/CVertexBuffer.h"

namespace Korvale::Python {

namespace {

// The panel commands' host for a script: the error text a command would show
// on the status line is kept for the exception; the rest has nothing to act on.
class ScriptHost : public ISceneCommandHost {
public:
    void ShowInfo(const std::string&) override {}
    void ShowError(const std::string& text) override
    {
        // One fault a line; the line feed that ends the last one carries nothing.
        const std::size_t end = text.find_last_not_of('\n');
        shown = end == std::string::npos ? std::string{} : text.substr(0, end + 1);
    }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }
    void ResetZoom() override {}
    void CheckKeyboardButton() override {}
    void CheckNoTargetButton() override {}

    std::string shown;
    std::vector<std::string> warnings;
};

} // namespace

struct Simulation::Parts {
    CKeyboard keyboard;
    Tarn::CVertexBuffer vertexBuffer; // no device: nothing is drawn
    CKorvaleScene scene{&vertexBuffer, &keyboard};
    ScriptHost host;
    CSceneCommands commands{scene, host};
    // Made by the first picture; it lends the drawing context a device and
    // goes before it.
    std::unique_ptr<Tarn::COffscreenWorldView> view;

    Fen::NeuralRobot* Robot() const
    {
        Tarn::CFenNeuralRobot* robot = scene.GetRobot();
        return robot ? &robot->GetPhysicalObject() : nullptr;
    }
};

Simulation::Simulation(const Options& options)
    : noise(options.seed ? Fen::seedState(*options.seed) : 0u), dt(options.dt),
      // The host hands the frame's elapsed time over in single precision.
      elapsed(static_cast<float>(options.dt)), interruptCheck(options.interruptCheck), parts(std::make_unique<Parts>())
{
    if (options.scene.empty())
        throw std::invalid_argument("the scene needs a file name");
    // As korvale-sim refuses its --dt: the world would clamp the step, and
    // time would no longer tell what the world did.
    if (!Tarn::CFenWorld::TakesFrameTime(options.dt))
        throw std::invalid_argument(std::string("dt must be ") + Tarn::CFenWorld::frameTimeRange);
    if (options.control && options.robot.empty())
        throw std::invalid_argument("a control needs a robot");

    // Loading draws no noise today; it runs on the simulation's own state all
    // the same, so that nothing it ever does can touch another's.
    const Fen::NoiseScope scope(noise);
    CSceneCommands& commands = parts->commands;
    if (!commands.LoadScene(options.scene))
        ThrowShownError();
    if (!options.robot.empty() && !commands.LoadRobot(options.robot))
        ThrowShownError();
    if (!options.network.empty() && !commands.LoadNetwork(options.network))
        ThrowShownError();
    if (!options.robot.empty()) {
        const Control control =
            options.control.value_or(options.network.empty() ? Control::Keyboard : Control::Network);
        const bool ok = control == Control::Network ? commands.SelectNeuralNetwork() : commands.SelectKeyboard();
        if (!ok)
            ThrowShownError();
    }
}

Simulation::~Simulation()
{
    // A running log is closed by the scene as it goes.
    const std::lock_guard lock(mutex);
    const Fen::NoiseScope scope(noise);
    parts.reset();
}

void Simulation::ThrowShownError()
{
    throw CommandError(parts->host.shown);
}

void Simulation::Frame()
{
    parts->scene.AdvanceFrame(elapsed);
    ++frames;
    // A log that stopped on a fault (a full disk) says so at once, as
    // korvale-sim does.
    if (!parts->commands.CheckSceneErrors())
        ThrowShownError();
}

std::vector<std::string> Simulation::TakeWarnings()
{
    const std::lock_guard lock(mutex);
    return std::exchange(parts->host.warnings, {});
}

void Simulation::Step(std::int64_t count)
{
    if (count < 0)
        throw std::invalid_argument("the number of frames must not be negative");
    const std::lock_guard lock(mutex);
    const Fen::NoiseScope scope(noise);
    InterruptPoll poll(interruptCheck);
    for (std::int64_t i = 0; i < count; ++i) {
        poll();
        Frame();
    }
}

std::size_t Simulation::TraceColumns() const
{
    const std::lock_guard lock(mutex);
    const Fen::NeuralRobot* robot = parts->Robot();
    return robot ? 4 + robot->irSensors.size() + 4 : 0;
}

void Simulation::TraceRow(double* row) const
{
    Fen::NeuralRobot& robot = *parts->Robot();
    *row++ = static_cast<double>(frames) * dt;
    *row++ = robot.pos.x;
    *row++ = robot.pos.y;
    *row++ = robot.angle;
    for (const auto& sensor : robot.irSensors)
        *row++ = sensor->finalValue;
    for (const bool command : ControlCommands())
        *row++ = command ? 1.0 : 0.0;
}

void Simulation::Trace(std::int64_t count, double* rows)
{
    if (count < 0)
        throw std::invalid_argument("the number of frames must not be negative");
    const std::lock_guard lock(mutex);
    const Fen::NeuralRobot* robot = parts->Robot();
    if (robot == nullptr)
        throw std::invalid_argument("a trace needs a robot");
    const std::size_t columns = 4 + robot->irSensors.size() + 4;
    const Fen::NoiseScope scope(noise);
    InterruptPoll poll(interruptCheck);
    for (std::int64_t i = 0; i < count; ++i) {
        poll();
        Frame();
        TraceRow(rows + static_cast<std::size_t>(i) * columns);
    }
}

double Simulation::Time() const
{
    const std::lock_guard lock(mutex);
    return static_cast<double>(frames) * dt;
}

double Simulation::SimulatedTime() const
{
    const std::lock_guard lock(mutex);
    return static_cast<double>(frames) * Tarn::CFenWorld::StepTime(elapsed);
}

bool Simulation::HasRobot() const
{
    const std::lock_guard lock(mutex);
    return parts->Robot() != nullptr;
}

std::array<double, 3> Simulation::Pose() const
{
    const std::lock_guard lock(mutex);
    const Fen::NeuralRobot* robot = parts->Robot();
    if (robot == nullptr)
        return {0, 0, 0};
    return {robot->pos.x, robot->pos.y, robot->angle};
}

std::vector<double> Simulation::Infrared() const
{
    const std::lock_guard lock(mutex);
    std::vector<double> readings;
    if (const Fen::NeuralRobot* robot = parts->Robot())
        for (const auto& sensor : robot->irSensors)
            readings.push_back(sensor->finalValue);
    return readings;
}

std::array<bool, 4> Simulation::Commands() const
{
    const std::lock_guard lock(mutex);
    return ControlCommands();
}

std::array<bool, 4> Simulation::ControlCommands() const
{
    // Asking only reads: the keyboard control reads the held keys, the
    // network control its answers of the last update.
    const Fen::NeuralRobot* robot = parts->Robot();
    Fen::RemoteControl* control = robot ? robot->remoteControl : nullptr;
    if (control == nullptr)
        return {false, false, false, false};
    return {control->isForward(), control->isBackward(), control->isLeft(), control->isRight()};
}

std::vector<std::vector<std::array<double, 3>>> Simulation::Cameras() const
{
    const std::lock_guard lock(mutex);
    std::vector<std::vector<std::array<double, 3>>> cameras;
    if (const Fen::NeuralRobot* robot = parts->Robot())
        for (const auto& camera : robot->cameras) {
            auto& pixels = cameras.emplace_back();
            for (const Fen::Color& color : camera->image)
                pixels.push_back({color.r, color.g, color.b});
        }
    return cameras;
}

std::vector<std::array<double, 3>> Simulation::Bodies() const
{
    const std::lock_guard lock(mutex);
    std::vector<std::array<double, 3>> bodies;
    const Tarn::IWorld& world = *parts->scene.GetWorld();
    for (unsigned i = 0; i < world.GetObjectCount(); ++i) {
        const Fen::PhysicalObject& body = world.GetObject(i).GetPhysicalObject();
        bodies.push_back({body.pos.x, body.pos.y, body.angle});
    }
    return bodies;
}

void Simulation::SetKeys(bool forward, bool backward, bool left, bool right)
{
    const std::lock_guard lock(mutex);
    using namespace Tarn;
    const std::pair<std::uint8_t, bool> keys[] = {
        {VirtualKey::Up, forward}, {VirtualKey::Down, backward}, {VirtualKey::Left, left}, {VirtualKey::Right, right}};
    for (const auto& [key, down] : keys)
        parts->keyboard.OnMsg(nullptr, down ? WindowMessage::KeyDown : WindowMessage::KeyUp, key, 0);
}

void Simulation::StartLog(const std::string& fileName)
{
    const std::lock_guard lock(mutex);
    if (fileName.empty())
        throw std::invalid_argument("Please enter the name of the log");
    if (!parts->commands.StartLog(fileName))
        ThrowShownError();
}

void Simulation::StopLog()
{
    const std::lock_guard lock(mutex);
    if (!parts->commands.StopLog())
        ThrowShownError();
}

void Simulation::CheckPictureSize(int width, int height)
{
    const auto inRange = [](int side) { return side >= Tarn::MinPictureSide && side <= Tarn::MaxPictureSide; };
    if (!inRange(width) || !inRange(height)) {
        const std::string least = std::to_string(Tarn::MinPictureSide), most = std::to_string(Tarn::MaxPictureSide);
        throw std::invalid_argument("the picture must be from " + least + "x" + least + " to " + most + "x" + most
                                    + " pixels, not " + std::to_string(width) + "x" + std::to_string(height));
    }
}

void Simulation::Render(int width, int height, std::uint8_t* pixels)
{
    CheckPictureSize(width, height);
    const std::lock_guard lock(mutex);
    std::unique_ptr<Tarn::COffscreenWorldView>& view = parts->view;
    if (view == nullptr || view->GetWidth() != width || view->GetHeight() != height) {
        view.reset();
        std::string error;
        view = Tarn::COffscreenWorldView::Create(parts->vertexBuffer, width, height, &error);
        if (view == nullptr)
            throw std::runtime_error("no offscreen drawing: " + error);
    }
    // The window's camera after "Reset Zoom", as korvale-sim's snapshot.
    const Fen::World& world = parts->scene.GetWorld()->GetFenWorld();
    view->GetViewport().FitWorld(static_cast<float>(world.width), static_cast<float>(world.height));
    Tarn::RgbImage picture;
    const bool drawn = view->Draw(*parts->scene.GetWorld(), picture);
    // The next call may come from another thread.
    view->Release();
    if (!drawn)
        throw std::runtime_error("no offscreen drawing: the context cannot be made current");
    std::copy(picture.pixels.begin(), picture.pixels.end(), pixels);
}

} // namespace Korvale::Python
