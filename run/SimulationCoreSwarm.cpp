// SimulationCore's swarm: every robot of the arena read, driven and placed
// by its number, and the scene robots' part of a snapshot.
#include <cmath>
#include <stdexcept>
#include <string>

#include "app/CKorvaleScene.h"
#include "base/StateArchive.h"
#include "control/CFeedForward.h"
#include "control/NetworkFit.h"
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/RunMetrics.h"
#include "engine/World.h"
#include "io/ReportFault.h"
#include "model/CFenNeuralRobot.h"
#include "model/IFenWorld.h"
#include "run/SimulationCore.h"
#include "run/TraceWriter.h"

namespace Korvale::Run {

namespace {

std::string RobotName(std::size_t robot) { return "robot " + std::to_string(robot); }

} // namespace

std::size_t SimulationCore::SwarmSize() const { return SwarmScene().SwarmSize(); }

Fen::NeuralRobot& SimulationCore::CheckedSwarmRobot(std::size_t robot) const
{
    const std::size_t size = SwarmSize();
    if (robot >= size)
        throw std::out_of_range(RobotName(robot) + " is not in the arena: it has "
                                + (size == 1 ? std::string("1 robot") : std::to_string(size) + " robots"));
    return SwarmScene().GetWorld()->GetSwarmRobot(static_cast<unsigned>(robot)).GetPhysicalObject();
}

std::vector<std::array<double, 3>> SimulationCore::SwarmPoses() const
{
    std::vector<std::array<double, 3>> poses(SwarmSize());
    for (std::size_t i = 0; i < poses.size(); ++i) {
        const Fen::NeuralRobot& robot = CheckedSwarmRobot(i);
        poses[i] = {robot.pos.x, robot.pos.y, robot.angle};
    }
    return poses;
}

std::vector<std::vector<double>> SimulationCore::SwarmInfrared() const
{
    std::vector<std::vector<double>> readings(SwarmSize());
    for (std::size_t i = 0; i < readings.size(); ++i)
        for (const auto& sensor : CheckedSwarmRobot(i).irSensors)
            readings[i].push_back(sensor->finalValue);
    return readings;
}

std::vector<std::array<bool, 4>> SimulationCore::SwarmCommands() const
{
    std::vector<std::array<bool, 4>> commands(SwarmSize());
    for (std::size_t i = 0; i < commands.size(); ++i)
        commands[i] = ControlCommands(CheckedSwarmRobot(i));
    return commands;
}

std::vector<std::vector<std::vector<std::array<double, 3>>>> SimulationCore::SwarmCameras() const
{
    std::vector<std::vector<std::vector<std::array<double, 3>>>> cameras(SwarmSize());
    for (std::size_t i = 0; i < cameras.size(); ++i)
        for (const auto& camera : CheckedSwarmRobot(i).cameras) {
            auto& pixels = cameras[i].emplace_back();
            pixels.reserve(camera->image.size());
            for (const Fen::Color& color : camera->image)
                pixels.push_back({color.r, color.g, color.b});
        }
    return cameras;
}

std::vector<std::array<bool, 4>> SimulationCore::SwarmKeys() const
{
    std::vector<std::array<bool, 4>> keys(SwarmSize());
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = SwarmScene().SwarmKeys(static_cast<unsigned>(i));
    return keys;
}

void SimulationCore::HoldSwarmKeys(std::size_t robot, const std::array<bool, 4>& keys)
{
    CheckedSwarmRobot(robot);
    SwarmScene().HoldSwarmKeys(static_cast<unsigned>(robot), keys);
}

Control SimulationCore::SwarmControl(std::size_t robot) const
{
    CheckedSwarmRobot(robot);
    return SwarmScene().SwarmKeysDrive(static_cast<unsigned>(robot)) ? Control::Keyboard : Control::Network;
}

void SimulationCore::DriveSwarmRobot(std::size_t robot, Control control)
{
    CheckedSwarmRobot(robot);
    SwarmScene().SelectSwarmControl(static_cast<unsigned>(robot), control == Control::Keyboard);
}

SharedNetwork SimulationCore::SwarmNetwork(std::size_t robot) const
{
    CheckedSwarmRobot(robot);
    const Tarn::CFeedForward& network = SwarmScene().SwarmNetwork(static_cast<unsigned>(robot));
    if (network.numLayers == 0)
        return nullptr;
    return std::make_shared<const Tarn::CFeedForward>(network);
}

void SimulationCore::SetSwarmNetwork(const std::vector<std::size_t>& robots, const SharedNetwork& network)
{
    if (network == nullptr)
        throw std::invalid_argument("set_network needs a network");
    // Every robot judged first, so that a misfit changes nothing.
    for (const std::size_t robot : robots) {
        const std::size_t sensors = CheckedSwarmRobot(robot).irSensors.size();
        if (!Tarn::NetworkFitsSensors(*network, sensors))
            throw std::invalid_argument(RobotName(robot) + ": the network " + Tarn::NetworkMisfit(*network, sensors));
    }
    for (const std::size_t robot : robots)
        SwarmScene().SetSwarmNetwork(static_cast<unsigned>(robot), *network);
}

std::string SimulationCore::SwarmPlaceFault(const std::vector<std::size_t>& robots) const
{
    Fen::World& world = World();
    for (const std::size_t index : robots) {
        Fen::NeuralRobot& robot = CheckedSwarmRobot(index);
        const std::string at = RobotName(index) + " at " + Tarn::PointText(robot.pos.x, robot.pos.y);
        if (Fen::RunMetrics::touchesWall(world, robot))
            return at + " does not lie inside the walls";
        const Fen::PhysicalObject* body = Fen::RunMetrics::bodyTouched(world, robot, &robot);
        if (body == nullptr)
            continue;
        for (std::size_t other = 0; other < SwarmSize(); ++other)
            if (&CheckedSwarmRobot(other) == body)
                return at + " touches " + RobotName(other) + " at " + Tarn::PointText(body->pos.x, body->pos.y);
        return at + " touches the object at " + Tarn::PointText(body->pos.x, body->pos.y);
    }
    return {};
}

void SimulationCore::PlaceSwarmRobots(const std::vector<std::size_t>& robots,
                                      const std::vector<std::array<double, 3>>& poses)
{
    if (robots.size() != poses.size())
        throw std::invalid_argument("there are " + std::to_string(robots.size()) + " robots to place but "
                                    + std::to_string(poses.size()) + " poses");
    std::vector<bool> named(SwarmSize());
    for (std::size_t k = 0; k < robots.size(); ++k) {
        CheckedSwarmRobot(robots[k]);
        if (named[robots[k]])
            throw std::invalid_argument(RobotName(robots[k]) + " is placed twice");
        named[robots[k]] = true;
        const auto& [x, y, angle] = poses[k];
        if (!(std::isfinite(x) && std::isfinite(y) && std::isfinite(angle)))
            throw std::invalid_argument(RobotName(robots[k]) + "'s pose must be finite numbers");
    }

    // Each robot is judged where it and the others will stand; the places
    // they leave are kept whole, to be given back should one not fit.
    struct Left {
        Fen::Point pos;
        double angle;
        Fen::Polygone outline;
    };
    std::vector<Left> left;
    left.reserve(robots.size());
    for (std::size_t k = 0; k < robots.size(); ++k) {
        Fen::NeuralRobot& robot = CheckedSwarmRobot(robots[k]);
        left.push_back({robot.pos, robot.angle, robot.absBoundingSurface});
        robot.pos = Fen::Point{poses[k][0], poses[k][1]};
        robot.angle = poses[k][2];
        robot.forgetAbsBoundingSurface();
        robot.computeAbsBoundingSurface();
    }
    if (const std::string fault = SwarmPlaceFault(robots); !fault.empty()) {
        for (std::size_t k = 0; k < robots.size(); ++k) {
            Fen::NeuralRobot& robot = CheckedSwarmRobot(robots[k]);
            robot.pos = left[k].pos;
            robot.angle = left[k].angle;
            robot.forgetAbsBoundingSurface();
            robot.absBoundingSurface = left[k].outline;
        }
        throw std::invalid_argument(fault);
    }
    for (const std::size_t index : robots) {
        Fen::NeuralRobot& robot = CheckedSwarmRobot(index);
        robot.speed = Fen::Vector{};
        robot.angSpeed = 0;
        robot.forgetAbsBoundingSurface();
        if (&robot == Robot())
            metrics.start(robot, dt);
    }
    World().forgetPairCaches();
}

void SimulationCore::ArchiveSceneRobots(Tarn::StateArchive& archive) { SwarmScene().ArchiveSceneRobotControls(archive); }

} // namespace Korvale::Run

namespace Korvale::Run {

std::vector<SharedNetwork> SimulationCore::SceneRobotNetworks() const
{
    const std::size_t own = SwarmScene().GetWorld()->GetRobotCount();
    std::vector<SharedNetwork> networks;
    for (std::size_t i = own; i < SwarmSize(); ++i)
        networks.push_back(SwarmNetwork(i));
    return networks;
}

void SimulationCore::GiveSceneRobotNetworks(const std::vector<SharedNetwork>& networks)
{
    if (networks.empty())
        return;
    const std::size_t own = SwarmScene().GetWorld()->GetRobotCount();
    if (networks.size() != SwarmSize() - own)
        throw std::invalid_argument("there are networks for " + std::to_string(networks.size())
                                    + " robots of the scene, but it has " + std::to_string(SwarmSize() - own));
    for (std::size_t j = 0; j < networks.size(); ++j)
        if (networks[j] != nullptr)
            SwarmScene().SetSwarmNetwork(static_cast<unsigned>(own + j), *networks[j]);
}

} // namespace Korvale::Run
