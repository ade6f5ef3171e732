#include "Simulation.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "Interrupt.h"

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "base/StateArchive.h"
#include "base/WindowMessages.h"
#include "control/CFeedForward.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "engine/RemoteControl.h"
#include "engine/World.h"
#include "io/CXmlNode.h"
#include "io/NetworkFileText.h"
#include "io/ReportFault.h"
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

ModelFile ModelFile::Read(std::string path)
{
    ModelFile file{std::move(path), std::nullopt};
    std::error_code error;
    if (!std::filesystem::is_regular_file(file.path, error))
        return file;
    const std::uintmax_t size = std::filesystem::file_size(file.path, error);
    if (error || size > Tarn::maxXmlFileSize)
        return file;
    std::ifstream in(file.path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad() || text.size() > Tarn::maxXmlFileSize)
        return file;
    file.text = std::move(text);
    return file;
}

Simulation::Simulation(const Options& options)
    : noise(options.seed ? Fen::seedState(*options.seed) : 0u), dt(options.dt),
      // The host hands the frame's elapsed time over in single precision.
      elapsed(static_cast<float>(options.dt)), interruptCheck(options.interruptCheck), parts(std::make_unique<Parts>())
{
    if (!options.scene.Given())
        throw std::invalid_argument("the scene needs a file name");
    // As korvale-sim refuses its --dt: the world would clamp the step, and
    // time would no longer tell what the world did.
    if (!Tarn::CFenWorld::TakesFrameTime(options.dt))
        throw std::invalid_argument(std::string("dt must be ") + Tarn::CFenWorld::frameTimeRange);
    if (options.control && !options.robot.Given())
        throw std::invalid_argument("a control needs a robot");

    // Loading draws no noise today; it runs on the simulation's own state all
    // the same, so that nothing it ever does can touch another's.
    const Fen::NoiseScope scope(noise);
    Load(options);
    StartMetrics();
}

void Simulation::Load(const Options& options)
{
    CSceneCommands& commands = parts->commands;
    const auto load = [&](const ModelFile& file, auto fromText, auto fromFile, ModelFile& kept) {
        const bool ok = file.text ? (commands.*fromText)(file.path, *file.text) : (commands.*fromFile)(file.path);
        if (!ok)
            ThrowShownError();
        kept = file;
    };
    load(options.scene, &CSceneCommands::LoadSceneText, &CSceneCommands::LoadScene, texts.scene);
    if (options.robot.Given())
        load(options.robot, &CSceneCommands::LoadRobotText, &CSceneCommands::LoadRobot, texts.robot);
    ModelFile network;
    if (options.network.Given())
        load(options.network, &CSceneCommands::LoadNetworkText, &CSceneCommands::LoadNetwork, network);
    else if (options.networkObject)
        parts->scene.SetNetwork(*options.networkObject);
    if (!options.robot.Given())
        return;
    const bool networkGiven = options.network.Given() || options.networkObject;
    const Control control = options.control.value_or(networkGiven ? Control::Network : Control::Keyboard);
    bool ok = true;
    if (control == Control::Keyboard)
        ok = commands.SelectKeyboard();
    else if (networkGiven)
        ok = commands.SelectNeuralNetwork();
    else
        ok = parts->scene.AttachNeuralNetworkControl(); // it drives once it has a network
    if (!ok)
        ThrowShownError();
}

void Simulation::StartMetrics()
{
    if (const Fen::NeuralRobot* robot = parts->Robot())
        metrics.start(*robot, dt);
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
    if (const Fen::NeuralRobot* robot = parts->Robot())
        metrics.addFrame(parts->scene.GetWorld()->GetFenWorld(), *robot);
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
    SetKeysLocked({forward, backward, left, right});
}

void Simulation::SetKeysLocked(const std::array<bool, 4>& keys)
{
    using namespace Tarn;
    const std::uint8_t codes[] = {VirtualKey::Up, VirtualKey::Down, VirtualKey::Left, VirtualKey::Right};
    for (std::size_t i = 0; i < 4; ++i)
        parts->keyboard.OnMsg(nullptr, keys[i] ? WindowMessage::KeyDown : WindowMessage::KeyUp, codes[i], 0);
}

void Simulation::StartLog(const std::string& fileName, bool corrections)
{
    const std::lock_guard lock(mutex);
    if (fileName.empty())
        throw std::invalid_argument("Please enter the name of the log");
    if (!(corrections ? parts->commands.StartCorrectionsLog(fileName) : parts->commands.StartLog(fileName)))
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

std::size_t Simulation::InfraredCount() const
{
    const std::lock_guard lock(mutex);
    const Fen::NeuralRobot* robot = parts->Robot();
    return robot ? robot->irSensors.size() : 0;
}

Metrics Simulation::RunMeasures() const
{
    const std::lock_guard lock(mutex);
    return Metrics::Of(metrics);
}

Fen::NeuralRobot* Simulation::RobotLocked() const { return parts->Robot(); }

void Simulation::DriveLocked(Control control)
{
    const bool network = control == Control::Network;
    if (network == parts->scene.IsNeuralNetworkControl())
        return;
    if (network)
        parts->scene.AttachNeuralNetworkControl();
    else
        parts->scene.SetKeyboardControl();
}

bool Simulation::HasFittingNetworkLocked() const
{
    const Fen::NeuralRobot* robot = parts->Robot();
    const Tarn::CFeedForward& network = parts->scene.GetNeuralNetworkControl().network;
    return robot != nullptr && network.numLayers > 0 && network.inputDimensions >= 0
        && static_cast<std::size_t>(network.inputDimensions) == robot->irSensors.size();
}

void Simulation::FrameLocked()
{
    const Fen::NoiseScope scope(noise);
    Frame();
}

void Simulation::CheckFits(const Tarn::CFeedForward& network) const
{
    const Fen::NeuralRobot* robot = parts->Robot();
    if (robot == nullptr)
        return;
    const std::size_t sensors = robot->irSensors.size();
    if (network.inputDimensions < 0 || static_cast<std::size_t>(network.inputDimensions) != sensors)
        throw std::invalid_argument("the network takes " + std::to_string(network.inputDimensions)
                                    + " inputs, but the robot has " + std::to_string(sensors) + " infrared sensors");
}

void Simulation::SetNetwork(const Network& network)
{
    if (network == nullptr)
        throw std::invalid_argument("set_network needs a network");
    const std::lock_guard lock(mutex);
    CheckFits(*network);
    parts->scene.SetNetwork(*network);
}

Simulation::Network Simulation::GetNetwork() const
{
    const std::lock_guard lock(mutex);
    const Tarn::CFeedForward& network = parts->scene.GetNeuralNetworkControl().network;
    if (network.numLayers == 0)
        return nullptr;
    return std::make_shared<const Tarn::CFeedForward>(network);
}

std::pair<Simulation::Contents, std::string> Simulation::GetContentsAndState() const
{
    const std::lock_guard lock(mutex);
    return {GetContents(), GetStateLocked()};
}

Simulation::Contents Simulation::GetContents() const
{
    const std::lock_guard lock(mutex);
    Contents contents = texts;
    const Tarn::CFeedForward& network = parts->scene.GetNeuralNetworkControl().network;
    if (network.numLayers != 0)
        contents.network = ModelFile::Text(Tarn::NetworkFileText(network));
    return contents;
}

namespace {

// "KVSTATE" and the format's number: bytes of another kind, or of another
// format, are told apart before anything is read.
constexpr std::uint64_t stateMagic = 0x4b5653544154'4502;

// FNV-1a over the bytes, eight at a time: a snapshot damaged on its way is
// refused whole.
std::uint64_t Checksum(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        hash ^= word;
        hash *= 0x100000001b3ULL;
    }
    for (; at < bytes.size(); ++at) {
        hash ^= static_cast<unsigned char>(bytes[at]);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

void Simulation::Archive(Tarn::StateArchive& archive)
{
    archive.Fixed(stateMagic, "the kinds of snapshot");
    archive.Fixed(dt, "the frame times");
    archive.Value(noise);
    archive.Value(frames);
    parts->scene.ArchiveState(archive);
    if (parts->Robot() != nullptr)
        metrics.archive(archive);
    archive.Finish();
}

std::string Simulation::GetState() const
{
    const std::lock_guard lock(mutex);
    return GetStateLocked();
}

std::string Simulation::GetStateLocked() const
{
    Tarn::StateArchive archive = Tarn::StateArchive::Saving();
    // Saving only reads; the one walk of the fields serves both ways.
    const_cast<Simulation*>(this)->Archive(archive);
    std::string bytes = archive.TakeBytes();
    const std::uint64_t sum = Checksum(bytes);
    bytes.append(reinterpret_cast<const char*>(&sum), sizeof sum);
    return bytes;
}

void Simulation::SetState(std::string_view state)
{
    const std::lock_guard lock(mutex);
    SetStateLocked(state);
}

void Simulation::SetStateLocked(std::string_view state)
{
    CheckStateLocked(state);
    Tarn::StateArchive load = Tarn::StateArchive::Reading(state.substr(0, state.size() - sizeof(std::uint64_t)), true);
    Archive(load);
}

void Simulation::CheckStateLocked(std::string_view state)
{
    std::uint64_t sum = 0;
    if (state.size() < sizeof sum)
        throw Tarn::StateMismatch("the state is cut short");
    const std::string_view payload = state.substr(0, state.size() - sizeof sum);
    std::memcpy(&sum, state.data() + payload.size(), sizeof sum);
    if (sum != Checksum(payload))
        throw Tarn::StateMismatch("the state is damaged: its checksum differs");
    // Checked whole first, so that a state that does not fit changes nothing.
    Tarn::StateArchive check = Tarn::StateArchive::Reading(payload, false);
    Archive(check);
}

void Simulation::RestoreOwnStateLocked(std::string_view state)
{
    // This simulation's own bytes, kept in memory: they fit as they are.
    Tarn::StateArchive load = Tarn::StateArchive::Reading(state.substr(0, state.size() - sizeof(std::uint64_t)), true);
    Archive(load);
}

std::string Simulation::PlaceFaultLocked(double x, double y, double angle) const
{
    const Fen::NeuralRobot* robot = parts->Robot();
    if (robot == nullptr)
        return "there is no robot to place";
    if (!(std::isfinite(x) && std::isfinite(y) && std::isfinite(angle)))
        return "the robot's pose must be finite numbers";
    // Free where a frame ending there would count no contact.
    Fen::PhysicalObject probe = *robot;
    probe.pos = Fen::Point{x, y};
    probe.angle = angle;
    probe.forgetAbsBoundingSurface();
    probe.computeAbsBoundingSurface();
    Fen::World& world = parts->scene.GetWorld()->GetFenWorld();
    if (Fen::RunMetrics::touchesWall(world, probe))
        return "the robot at " + Tarn::PointText(x, y) + " does not lie inside the walls";
    if (const Fen::PhysicalObject* body = Fen::RunMetrics::bodyTouched(world, probe, robot))
        return "the robot at " + Tarn::PointText(x, y) + " touches the object at "
            + Tarn::PointText(body->pos.x, body->pos.y);
    return {};
}

void Simulation::PlaceRobot(double x, double y, double angle)
{
    const std::lock_guard lock(mutex);
    PlaceRobotLocked(x, y, angle);
}

void Simulation::PlaceRobotLocked(double x, double y, double angle)
{
    const std::string fault = PlaceFaultLocked(x, y, angle);
    if (!fault.empty())
        throw std::invalid_argument(fault);
    Fen::NeuralRobot* robot = parts->Robot();
    robot->pos = Fen::Point{x, y};
    robot->angle = angle;
    robot->speed = Fen::Vector{};
    robot->angSpeed = 0;
    robot->forgetAbsBoundingSurface();
    parts->scene.GetWorld()->GetFenWorld().forgetPairCaches();
    metrics.start(*robot, dt);
}

std::array<double, 3> Simulation::ArenaAndRobotSizeLocked() const
{
    const Fen::World& world = parts->scene.GetWorld()->GetFenWorld();
    const Fen::NeuralRobot* robot = parts->Robot();
    return {world.width, world.height, robot ? robot->r : 0.0};
}

void Simulation::SetNoiseSeed(std::uint64_t seed)
{
    const std::lock_guard lock(mutex);
    noise = Fen::seedState(seed);
}

} // namespace Korvale::Python
