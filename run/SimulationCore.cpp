#include "run/SimulationCore.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "app/CSceneCommands.h"
#include "app/ISceneCommandHost.h"
#include "base/StateArchive.h"
#include "base/WindowMessages.h"
#include "control/CFeedForward.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "control/NetworkFit.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/Random.h"
#include "engine/RemoteControl.h"
#include "engine/World.h"
#include "io/NetworkFileText.h"
#include "io/ReportFault.h"
#include "model/CFenNeuralRobot.h"
#include "model/CFenPhysicalObject.h"
#include "model/CFenWorld.h"
#include "model/IFenWorld.h"
#include "render/COffscreenWorldView.h"
#include "render/CVertexBuffer.h"
#include "run/CommandError.h"
#include "run/InterruptPoll.h"
#include "run/SnapshotFormat.h"
#include "run/TraceWriter.h"

namespace Korvale::Run {

namespace {

// The panel commands' host without a window: the error text a command would
// show on the status line is kept for the exception, a warning goes to the
// caller's callback or waits to be taken; the rest has nothing to act on.
class HeadlessHost : public ISceneCommandHost {
public:
    explicit HeadlessHost(std::function<void(const std::string&)> warn_) : warn(std::move(warn_)) {}

    void ShowInfo(const std::string&) override {}
    void ShowError(const std::string& text) override
    {
        // One fault a line; the line feed that ends the last one carries nothing.
        const std::size_t end = text.find_last_not_of('\n');
        shown = end == std::string::npos ? std::string{} : text.substr(0, end + 1);
    }
    void ShowWarning(const std::string& text) override
    {
        if (warn)
            warn(text);
        else
            warnings.push_back(text);
    }
    void ResetZoom() override {}
    void CheckKeyboardButton() override {}
    void CheckNoTargetButton() override {}

    std::function<void(const std::string&)> warn;
    std::string shown;
    std::vector<std::string> warnings;
};

} // namespace

struct SimulationCore::Parts {
    explicit Parts(const SimulationOptions& options) : host(options.warn) {}

    CKeyboard keyboard;
    Tarn::CVertexBuffer vertexBuffer; // no device: nothing is drawn
    CKorvaleScene scene{&vertexBuffer, &keyboard};
    HeadlessHost host;
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

SimulationCore::SimulationCore(const SimulationOptions& options)
    : noise(options.seed ? Fen::seedState(*options.seed) : 0u), dt(options.dt),
      // The host hands the frame's elapsed time over in single precision.
      elapsed(static_cast<float>(options.dt)), distanceOnly(options.distanceOnly),
      interruptCheck(options.interruptCheck), parts(std::make_unique<Parts>(options))
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

void SimulationCore::StartMetrics()
{
    if (const Fen::NeuralRobot* robot = SwarmRobot(0))
        metrics.start(*robot, dt);
    swarmMetrics.Start(*parts->scene.GetWorld(), dt);
}

SimulationCore::~SimulationCore()
{
    // A running log is closed by the scene as it goes.
    const Fen::NoiseScope scope(noise);
    parts.reset();
}

void SimulationCore::Load(const SimulationOptions& options)
{
    CSceneCommands& commands = parts->commands;
    const auto load = [&](const ModelFile& file, auto fromText, auto fromFile, ModelFile& kept) {
        const bool ok = file.text ? (commands.*fromText)(file.path, *file.text) : (commands.*fromFile)(file.path);
        if (!ok)
            ThrowShownError();
        kept = file;
    };
    LoadScene(options);
    if (options.pairSearch)
        World().pairSearch = *options.pairSearch;
    if (options.robot.Given())
        load(options.robot, &CSceneCommands::LoadRobotText, &CSceneCommands::LoadRobot, texts.robot);
    ModelFile network;
    if (options.network.Given())
        load(options.network, &CSceneCommands::LoadNetworkText, &CSceneCommands::LoadNetwork, network);
    else if (options.networkObject)
        parts->scene.SetNetwork(*options.networkObject);
    if (options.robot.Given())
        SelectControl(options);
    GiveSceneRobotNetworks(options.sceneNetworks);
}

void SimulationCore::LoadScene(const SimulationOptions& options)
{
    const ModelFile& scene = options.scene;
    // A scene read as text keeps the texts of the files it names, so that a
    // pickle carries them too.
    texts.sceneFiles = options.sceneFiles;
    const bool ok = scene.text ? parts->commands.LoadSceneText(scene.path, *scene.text, texts.sceneFiles)
                               : parts->commands.LoadScene(scene.path);
    if (!ok)
        ThrowShownError();
    texts.scene = scene;
    if (!scene.text)
        texts.sceneFiles.clear();
}

void SimulationCore::SelectControl(const SimulationOptions& options)
{
    const bool networkGiven = options.network.Given() || options.networkObject;
    const Control control = options.control.value_or(networkGiven ? Control::Network : Control::Keyboard);
    bool ok = true;
    if (control == Control::Keyboard)
        ok = parts->commands.SelectKeyboard();
    else if (networkGiven || options.networkControlNeedsNetwork)
        ok = parts->commands.SelectNeuralNetwork();
    else
        ok = parts->scene.AttachNeuralNetworkControl(); // it drives once it has a network
    if (!ok)
        ThrowShownError();
}

void SimulationCore::ThrowShownError() { throw CommandError(parts->host.shown); }

std::vector<std::string> SimulationCore::TakeWarnings() { return std::exchange(parts->host.warnings, {}); }

void SimulationCore::Frame()
{
    const Fen::NoiseScope scope(noise);
    if (parts->scene.FrameBegun())
        parts->scene.FinishFrame(elapsed);
    else
        parts->scene.AdvanceFrame(elapsed);
    EndFrame();
}

void SimulationCore::EndFrame()
{
    ++frames;
    if (const Fen::NeuralRobot* robot = SwarmRobot(0)) {
        if (distanceOnly)
            metrics.addDistance(*robot);
        else
            metrics.addFrame(World(), *robot);
    }
    AddSwarmFrame();
    // A log that stopped on a fault (a full disk) says so at once, as
    // korvale-sim does.
    if (!parts->commands.CheckSceneErrors())
        ThrowShownError();
}

void SimulationCore::AddSwarmFrame() { swarmMetrics.AddFrame(*parts->scene.GetWorld(), World(), distanceOnly); }

void SimulationCore::Step(std::int64_t count)
{
    if (count < 0)
        throw std::invalid_argument("the number of frames must not be negative");
    InterruptPoll poll(interruptCheck);
    for (std::int64_t i = 0; i < count; ++i) {
        poll();
        Frame();
    }
}

std::size_t SimulationCore::TraceColumns() const
{
    const Fen::NeuralRobot* robot = parts->Robot();
    return robot ? Run::TraceColumns(robot->irSensors.size()) : 0;
}

void SimulationCore::TraceRow(double* row) const { Run::TraceRow(Time(), *parts->Robot(), row); }

void SimulationCore::Trace(std::int64_t count, double* rows)
{
    if (count < 0)
        throw std::invalid_argument("the number of frames must not be negative");
    if (parts->Robot() == nullptr)
        throw std::invalid_argument("a trace needs a robot");
    const std::size_t columns = TraceColumns();
    InterruptPoll poll(interruptCheck);
    for (std::int64_t i = 0; i < count; ++i) {
        poll();
        Frame();
        TraceRow(rows + static_cast<std::size_t>(i) * columns);
    }
}

double SimulationCore::SimulatedTime() const
{
    return static_cast<double>(frames) * Tarn::CFenWorld::StepTime(elapsed);
}

Fen::NeuralRobot* SimulationCore::Robot() const { return parts->Robot(); }

std::array<double, 3> SimulationCore::Pose() const
{
    const Fen::NeuralRobot* robot = SwarmRobot(0);
    if (robot == nullptr)
        return {0, 0, 0};
    return {robot->pos.x, robot->pos.y, robot->angle};
}

std::vector<double> SimulationCore::Infrared() const
{
    std::vector<double> readings;
    if (const Fen::NeuralRobot* robot = SwarmRobot(0))
        for (const auto& sensor : robot->irSensors)
            readings.push_back(sensor->finalValue);
    return readings;
}

std::size_t SimulationCore::InfraredCount() const
{
    const Fen::NeuralRobot* robot = SwarmRobot(0);
    return robot ? robot->irSensors.size() : 0;
}

std::array<bool, 4> SimulationCore::Commands() const
{
    const Fen::NeuralRobot* robot = SwarmRobot(0);
    return robot ? ControlCommands(*robot) : std::array<bool, 4>{};
}

std::vector<std::vector<std::array<double, 3>>> SimulationCore::Cameras() const
{
    std::vector<std::vector<std::array<double, 3>>> cameras;
    if (const Fen::NeuralRobot* robot = SwarmRobot(0))
        for (const auto& camera : robot->cameras) {
            auto& pixels = cameras.emplace_back();
            for (const Fen::Color& color : camera->image)
                pixels.push_back({color.r, color.g, color.b});
        }
    return cameras;
}

std::vector<std::array<double, 3>> SimulationCore::Bodies() const
{
    std::vector<std::array<double, 3>> bodies;
    const Tarn::IWorld& world = *parts->scene.GetWorld();
    for (unsigned i = 0; i < world.GetObjectCount(); ++i) {
        const Fen::PhysicalObject& body = world.GetObject(i).GetPhysicalObject();
        bodies.push_back({body.pos.x, body.pos.y, body.angle});
    }
    return bodies;
}

void SimulationCore::SetKeys(const std::array<bool, 4>& keys)
{
    using Tarn::VirtualKey::Down, Tarn::VirtualKey::Left, Tarn::VirtualKey::Right, Tarn::VirtualKey::Up;
    const std::uint8_t codes[] = {Up, Down, Left, Right};
    for (std::size_t i = 0; i < 4; ++i)
        KeyMessage(codes[i], keys[i]);
}

void SimulationCore::KeyMessage(std::uint8_t key, bool down)
{
    using Tarn::WindowMessage::KeyDown, Tarn::WindowMessage::KeyUp;
    parts->keyboard.OnMsg(nullptr, down ? KeyDown : KeyUp, key, 0);
}

void SimulationCore::StartLog(const std::string& fileName, bool corrections)
{
    if (fileName.empty())
        throw std::invalid_argument("Please enter the name of the log");
    if (!(corrections ? parts->commands.StartCorrectionsLog(fileName) : parts->commands.StartLog(fileName)))
        ThrowShownError();
}

void SimulationCore::StopLog()
{
    if (!parts->commands.StopLog())
        ThrowShownError();
}

void SimulationCore::CheckPictureSize(int width, int height)
{
    const auto inRange = [](int side) { return side >= Tarn::MinPictureSide && side <= Tarn::MaxPictureSide; };
    if (!inRange(width) || !inRange(height)) {
        const std::string least = std::to_string(Tarn::MinPictureSide), most = std::to_string(Tarn::MaxPictureSide);
        throw std::invalid_argument("the picture must be from " + least + "x" + least + " to " + most + "x" + most
                                    + " pixels, not " + std::to_string(width) + "x" + std::to_string(height));
    }
}

void SimulationCore::Render(int width, int height, std::uint8_t* pixels)
{
    CheckPictureSize(width, height);
    std::unique_ptr<Tarn::COffscreenWorldView>& view = parts->view;
    if (view == nullptr || view->GetWidth() != width || view->GetHeight() != height) {
        view.reset();
        std::string error;
        view = Tarn::COffscreenWorldView::Create(parts->vertexBuffer, width, height, &error);
        if (view == nullptr)
            throw std::runtime_error("no offscreen drawing: " + error);
    }
    // The window's camera after "Reset Zoom", as korvale-sim's snapshot.
    const Fen::World& world = World();
    view->GetViewport().FitWorld(static_cast<float>(world.width), static_cast<float>(world.height));
    Tarn::RgbImage picture;
    const bool drawn = view->Draw(*parts->scene.GetWorld(), picture);
    // The next call may come from another thread.
    view->Release();
    if (!drawn)
        throw std::runtime_error("no offscreen drawing: the context cannot be made current");
    std::copy(picture.pixels.begin(), picture.pixels.end(), pixels);
}

CKorvaleScene& SimulationCore::Scene() { return parts->scene; }

CKorvaleScene& SimulationCore::SwarmScene() const { return parts->scene; }

Tarn::CVertexBuffer& SimulationCore::DrawingContext() { return parts->vertexBuffer; }

Fen::World& SimulationCore::World() const { return parts->scene.GetWorld()->GetFenWorld(); }

void SimulationCore::Drive(Control control)
{
    const bool network = control == Control::Network;
    if (network == parts->scene.IsNeuralNetworkControl())
        return;
    if (network)
        parts->scene.AttachNeuralNetworkControl();
    else
        parts->scene.SetKeyboardControl();
}

bool SimulationCore::HasFittingNetwork() const
{
    const Fen::NeuralRobot* robot = parts->Robot();
    const Tarn::CFeedForward& network = parts->scene.GetNeuralNetworkControl().network;
    return robot != nullptr && network.numLayers > 0 && Tarn::NetworkFitsSensors(network, robot->irSensors.size());
}

bool SimulationCore::BeginFrame()
{
    const Fen::NoiseScope scope(noise);
    if (parts->scene.FrameBegun())
        return true;
    if (parts->scene.BeginFrame(elapsed))
        return true;
    EndFrame();
    return false;
}

bool SimulationCore::FrameBegun() const { return parts->scene.FrameBegun(); }

void SimulationCore::CheckFits(const Tarn::CFeedForward& network) const
{
    const Fen::NeuralRobot* robot = parts->Robot();
    if (robot == nullptr)
        return;
    const std::size_t sensors = robot->irSensors.size();
    if (!Tarn::NetworkFitsSensors(network, sensors))
        throw std::invalid_argument("the network " + Tarn::NetworkMisfit(network, sensors));
}

void SimulationCore::SetNetwork(const SharedNetwork& network)
{
    if (network == nullptr)
        throw std::invalid_argument("set_network needs a network");
    CheckFits(*network);
    parts->scene.SetNetwork(*network);
}

SharedNetwork SimulationCore::GetNetwork() const
{
    const Tarn::CFeedForward& network = parts->scene.GetNeuralNetworkControl().network;
    if (network.numLayers == 0)
        return nullptr;
    return std::make_shared<const Tarn::CFeedForward>(network);
}

SimulationContents SimulationCore::GetContents() const
{
    SimulationContents contents = texts;
    const Tarn::CFeedForward& network = parts->scene.GetNeuralNetworkControl().network;
    if (network.numLayers != 0)
        contents.network = ModelFile::Text(Tarn::NetworkFileText(network));
    contents.sceneNetworks = SceneRobotNetworks();
    return contents;
}

void SimulationCore::Archive(Tarn::StateArchive& archive)
{
    const bool sceneRobots = parts->scene.GetWorld()->GetSceneRobotCount() > 0;
    const bool sceneRobotControls = ArchiveSnapshotHeader(archive, dt, sceneRobots);
    archive.Value(noise);
    archive.Value(frames);
    parts->scene.ArchiveState(archive);
    // A swarm's snapshot (scene robots) carries robot 0's measures whoever
    // robot 0 is, then the scene robots' controls and every robot's measures;
    // the older kind only the user's robot's, as it always did.
    if (sceneRobotControls ? SwarmRobot(0) != nullptr : parts->Robot() != nullptr)
        metrics.archive(archive);
    if (sceneRobotControls) {
        ArchiveSceneRobots(archive);
        ArchiveSwarmMetrics(archive);
    }
    archive.Finish();
}

std::string SimulationCore::GetState() const
{
    if (parts->scene.FrameBegun())
        throw std::invalid_argument("the simulation is halfway through a frame that an environment began: "
                                    "step it on, or copy the environment instead");
    Tarn::StateArchive archive = Tarn::StateArchive::Saving();
    // Saving only reads; the one walk of the fields serves both ways.
    const_cast<SimulationCore*>(this)->Archive(archive);
    return SealSnapshot(archive.TakeBytes());
}

void SimulationCore::SetState(std::string_view state)
{
    CheckState(state);
    RestoreOwnState(state);
}

void SimulationCore::CheckState(std::string_view state)
{
    // Checked whole first, so that a state that does not fit changes nothing.
    Tarn::StateArchive check = Tarn::StateArchive::Reading(OpenSnapshot(state), false);
    Archive(check);
}

void SimulationCore::RestoreOwnState(std::string_view state)
{
    // This simulation's own bytes, kept in memory: they fit as they are.
    parts->scene.AbandonFrame();
    Tarn::StateArchive load = Tarn::StateArchive::Reading(OpenOwnSnapshot(state), true);
    Archive(load);
}

std::string SimulationCore::PlaceFault(double x, double y, double angle) const
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
    Fen::World& world = World();
    if (Fen::RunMetrics::touchesWall(world, probe))
        return "the robot at " + Tarn::PointText(x, y) + " does not lie inside the walls";
    if (const Fen::PhysicalObject* body = Fen::RunMetrics::bodyTouched(world, probe, robot))
        return "the robot at " + Tarn::PointText(x, y) + " touches the object at "
            + Tarn::PointText(body->pos.x, body->pos.y);
    return {};
}

void SimulationCore::PlaceRobot(double x, double y, double angle)
{
    const std::string fault = PlaceFault(x, y, angle);
    if (!fault.empty())
        throw std::invalid_argument(fault);
    Fen::NeuralRobot* robot = parts->Robot();
    robot->pos = Fen::Point{x, y};
    robot->angle = angle;
    robot->speed = Fen::Vector{};
    robot->angSpeed = 0;
    robot->forgetAbsBoundingSurface();
    World().forgetPairCaches();
    StartRobotMetrics(0);
}

std::array<double, 3> SimulationCore::ArenaAndRobotSize() const
{
    const Fen::World& world = World();
    const Fen::NeuralRobot* robot = parts->Robot();
    return {world.width, world.height, robot ? robot->r : 0.0};
}

void SimulationCore::SetNoiseSeed(std::uint64_t seed) { noise = Fen::seedState(seed); }

} // namespace Korvale::Run

namespace Korvale::Run {

// The swarm's measures, apart from the lone robot's above.

Fen::NeuralRobot* SimulationCore::SwarmRobot(std::size_t index) const
{
    const Tarn::IWorld& world = *parts->scene.GetWorld();
    return index < world.GetSwarmSize() ? &world.GetSwarmRobot(static_cast<unsigned>(index)).GetPhysicalObject()
                                        : nullptr;
}

const Fen::RunMetrics& SimulationCore::RobotMetrics(std::size_t index) const
{
    if (index >= SwarmSize())
        throw std::out_of_range("robot " + std::to_string(index) + " is not in the swarm of "
                                + std::to_string(SwarmSize()));
    return index == 0 ? metrics : swarmMetrics.Of(index);
}

void SimulationCore::StartRobotMetrics(std::size_t index)
{
    const Fen::NeuralRobot* robot = SwarmRobot(index);
    if (robot == nullptr)
        throw std::out_of_range("robot " + std::to_string(index) + " is not in the swarm of "
                                + std::to_string(SwarmSize()));
    if (index == 0)
        metrics.start(*robot, dt);
    swarmMetrics.RobotPlaced(*parts->scene.GetWorld(), index, dt);
}

SwarmState SimulationCore::GetSwarmState() const
{
    std::vector<Disc> robots(SwarmSize());
    for (std::size_t i = 0; i < robots.size(); ++i) {
        const Fen::NeuralRobot& robot = *SwarmRobot(i);
        robots[i] = Disc{robot.pos.x, robot.pos.y, robot.r};
    }
    SwarmState state;
    state.robots = static_cast<std::int64_t>(robots.size());
    state.largestCluster = LargestClusterShare(robots);
    state.centreDistance = MeanDistanceToCentre(robots);
    state.nearestNeighbour = MeanNearestNeighbourDistance(robots);
    state.cellsVisited = robots.size() > 1 ? swarmMetrics.CellsVisited() : robots.empty() ? 0 : metrics.coverage();
    return state;
}

void SimulationCore::ArchiveSwarmMetrics(Tarn::StateArchive& archive)
{
    // Only a swarm has them: a lone robot's state stays as it always was.
    if (swarmMetrics.Count() > 0)
        swarmMetrics.Archive(archive);
}

} // namespace Korvale::Run
