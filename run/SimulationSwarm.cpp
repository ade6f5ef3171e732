// Simulation's swarm calls: each takes the lock and runs on the core.
#include <stdexcept>

#include "run/Simulation.h"

namespace Korvale::Run {

std::size_t Simulation::SwarmSize() const
{
    const std::lock_guard lock(mutex);
    return core.SwarmSize();
}

std::vector<std::array<double, 3>> Simulation::SwarmPoses() const
{
    const std::lock_guard lock(mutex);
    return core.SwarmPoses();
}

std::vector<std::vector<double>> Simulation::SwarmInfrared() const
{
    const std::lock_guard lock(mutex);
    return core.SwarmInfrared();
}

std::vector<std::array<bool, 4>> Simulation::SwarmCommands() const
{
    const std::lock_guard lock(mutex);
    return core.SwarmCommands();
}

std::vector<std::vector<std::vector<std::array<double, 3>>>> Simulation::SwarmCameras() const
{
    const std::lock_guard lock(mutex);
    return core.SwarmCameras();
}

std::vector<std::array<bool, 4>> Simulation::SwarmKeys() const
{
    const std::lock_guard lock(mutex);
    return core.SwarmKeys();
}

void Simulation::HoldSwarmKeys(const std::vector<std::size_t>& robots, const std::vector<std::array<bool, 4>>& keys)
{
    if (robots.size() != keys.size())
        throw std::invalid_argument("there are " + std::to_string(robots.size()) + " robots but "
                                    + std::to_string(keys.size()) + " sets of keys");
    const std::lock_guard lock(mutex);
    // Every robot's number judged before any keys are held.
    for (const std::size_t robot : robots)
        core.SwarmControl(robot);
    for (std::size_t k = 0; k < robots.size(); ++k)
        core.HoldSwarmKeys(robots[k], keys[k]);
}

Control Simulation::SwarmControl(std::size_t robot) const
{
    const std::lock_guard lock(mutex);
    return core.SwarmControl(robot);
}

std::vector<Control> Simulation::SwarmControls() const
{
    const std::lock_guard lock(mutex);
    std::vector<Control> controls(core.SwarmSize());
    for (std::size_t i = 0; i < controls.size(); ++i)
        controls[i] = core.SwarmControl(i);
    return controls;
}

void Simulation::DriveSwarmRobots(const std::vector<std::size_t>& robots, Control control)
{
    const std::lock_guard lock(mutex);
    for (const std::size_t robot : robots)
        core.SwarmControl(robot);
    for (const std::size_t robot : robots)
        core.DriveSwarmRobot(robot, control);
}

SharedNetwork Simulation::SwarmNetwork(std::size_t robot) const
{
    const std::lock_guard lock(mutex);
    return core.SwarmNetwork(robot);
}

std::vector<SharedNetwork> Simulation::SwarmNetworks() const
{
    const std::lock_guard lock(mutex);
    std::vector<SharedNetwork> networks(core.SwarmSize());
    for (std::size_t i = 0; i < networks.size(); ++i)
        networks[i] = core.SwarmNetwork(i);
    return networks;
}

void Simulation::SetSwarmNetwork(const std::vector<std::size_t>& robots, const SharedNetwork& network)
{
    const std::lock_guard lock(mutex);
    core.SetSwarmNetwork(robots, network);
}

void Simulation::PlaceSwarmRobots(const std::vector<std::size_t>& robots,
                                  const std::vector<std::array<double, 3>>& poses)
{
    const std::lock_guard lock(mutex);
    core.PlaceSwarmRobots(robots, poses);
}

} // namespace Korvale::Run
