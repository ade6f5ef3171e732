#include "run/Simulation.h"

namespace Korvale::Run {

std::vector<std::string> Simulation::TakeWarnings()
{
    const std::lock_guard lock(mutex);
    return core.TakeWarnings();
}

void Simulation::Step(std::int64_t frames)
{
    const std::lock_guard lock(mutex);
    core.Step(frames);
}

void Simulation::Trace(std::int64_t frames, double* rows)
{
    const std::lock_guard lock(mutex);
    core.Trace(frames, rows);
}

std::size_t Simulation::TraceColumns() const
{
    const std::lock_guard lock(mutex);
    return core.TraceColumns();
}

double Simulation::Time() const
{
    const std::lock_guard lock(mutex);
    return core.Time();
}

double Simulation::SimulatedTime() const
{
    const std::lock_guard lock(mutex);
    return core.SimulatedTime();
}

std::array<double, 3> Simulation::Pose() const
{
    const std::lock_guard lock(mutex);
    return core.Pose();
}

std::vector<double> Simulation::Infrared() const
{
    const std::lock_guard lock(mutex);
    return core.Infrared();
}

std::size_t Simulation::InfraredCount() const
{
    const std::lock_guard lock(mutex);
    return core.InfraredCount();
}

std::array<bool, 4> Simulation::Commands() const
{
    const std::lock_guard lock(mutex);
    return core.Commands();
}

std::vector<std::vector<std::array<double, 3>>> Simulation::Cameras() const
{
    const std::lock_guard lock(mutex);
    return core.Cameras();
}

std::vector<std::array<double, 3>> Simulation::Bodies() const
{
    const std::lock_guard lock(mutex);
    return core.Bodies();
}

Metrics Simulation::GetMetrics() const
{
    const std::lock_guard lock(mutex);
    return core.GetMetrics();
}

Metrics Simulation::RobotMetrics(std::size_t index) const
{
    const std::lock_guard lock(mutex);
    return Metrics::Of(core.RobotMetrics(index));
}

SwarmState Simulation::GetSwarmState() const
{
    const std::lock_guard lock(mutex);
    return core.GetSwarmState();
}

void Simulation::SetKeys(bool forward, bool backward, bool left, bool right)
{
    const std::lock_guard lock(mutex);
    core.SetKeys({forward, backward, left, right});
}

void Simulation::SetNetwork(const SharedNetwork& network)
{
    const std::lock_guard lock(mutex);
    core.SetNetwork(network);
}

SharedNetwork Simulation::GetNetwork() const
{
    const std::lock_guard lock(mutex);
    return core.GetNetwork();
}

void Simulation::StartLog(const std::string& fileName, bool corrections)
{
    const std::lock_guard lock(mutex);
    core.StartLog(fileName, corrections);
}

void Simulation::StopLog()
{
    const std::lock_guard lock(mutex);
    core.StopLog();
}

std::string Simulation::GetState() const
{
    const std::lock_guard lock(mutex);
    return core.GetState();
}

void Simulation::SetState(std::string_view state)
{
    const std::lock_guard lock(mutex);
    core.SetState(state);
}

Simulation::Contents Simulation::GetContents() const
{
    const std::lock_guard lock(mutex);
    return core.GetContents();
}

std::pair<Simulation::Contents, std::string> Simulation::GetContentsAndState() const
{
    const std::lock_guard lock(mutex);
    return {core.GetContents(), core.GetState()};
}

void Simulation::PlaceRobot(double x, double y, double angle)
{
    const std::lock_guard lock(mutex);
    core.PlaceRobot(x, y, angle);
}

void Simulation::SetNoiseSeed(std::uint64_t seed)
{
    const std::lock_guard lock(mutex);
    core.SetNoiseSeed(seed);
}

void Simulation::Render(int width, int height, std::uint8_t* pixels)
{
    const std::lock_guard lock(mutex);
    core.Render(width, height, pixels);
}

} // namespace Korvale::Run
