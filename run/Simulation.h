#pragma once
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/CommandError.h"
#include "run/SimulationCore.h"

namespace Korvale::Run {

// A simulation that threads may share: every operation takes the
// simulation's lock and runs on its core (SimulationCore says what each
// does). The Python module's Simulation is one.
class Simulation {
public:
    using Options = SimulationOptions;
    using Control = Run::Control;
    using Contents = SimulationContents;

    explicit Simulation(const Options& options) : core(options) {}
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    std::vector<std::string> TakeWarnings();
    void Step(std::int64_t frames);
    void Trace(std::int64_t frames, double* rows);
    std::size_t TraceColumns() const;
    double Time() const;
    double SimulatedTime() const;
    double FrameTime() const { return core.FrameTime(); }
    std::array<double, 3> Pose() const;
    std::vector<double> Infrared() const;
    std::size_t InfraredCount() const;
    std::array<bool, 4> Commands() const;
    std::vector<std::vector<std::array<double, 3>>> Cameras() const;
    std::vector<std::array<double, 3>> Bodies() const;
    Metrics GetMetrics() const;
    // std::out_of_range for an index beyond the swarm.
    Metrics RobotMetrics(std::size_t index) const;
    SwarmState GetSwarmState() const;
    void SetKeys(bool forward, bool backward, bool left, bool right);
    void SetNetwork(const SharedNetwork& network);
    SharedNetwork GetNetwork() const;
    void StartLog(const std::string& fileName, bool corrections = false);
    void StopLog();
    std::string GetState() const;
    void SetState(std::string_view state);
    Contents GetContents() const;
    // Both at one moment, for a pickle.
    std::pair<Contents, std::string> GetContentsAndState() const;
    void PlaceRobot(double x, double y, double angle);
    void SetNoiseSeed(std::uint64_t seed);
    void Render(int width, int height, std::uint8_t* pixels);
    static void CheckPictureSize(int width, int height) { SimulationCore::CheckPictureSize(width, height); }

    // The swarm (SimulationCore's Swarm calls), each under the lock.
    std::size_t SwarmSize() const;
    std::vector<std::array<double, 3>> SwarmPoses() const;
    std::vector<std::vector<double>> SwarmInfrared() const;
    std::vector<std::array<bool, 4>> SwarmCommands() const;
    std::vector<std::vector<std::vector<std::array<double, 3>>>> SwarmCameras() const;
    std::vector<std::array<bool, 4>> SwarmKeys() const;
    // Keys for each of `robots`, one set of four each.
    void HoldSwarmKeys(const std::vector<std::size_t>& robots, const std::vector<std::array<bool, 4>>& keys);
    Control SwarmControl(std::size_t robot) const;
    // Every robot's control, at one moment.
    std::vector<Control> SwarmControls() const;
    void DriveSwarmRobots(const std::vector<std::size_t>& robots, Control control);
    SharedNetwork SwarmNetwork(std::size_t robot) const;
    // Every robot's network (none for a robot without), at one moment.
    std::vector<SharedNetwork> SwarmNetworks() const;
    void SetSwarmNetwork(const std::vector<std::size_t>& robots, const SharedNetwork& network);
    void PlaceSwarmRobots(const std::vector<std::size_t>& robots, const std::vector<std::array<double, 3>>& poses);

    // For the environments, which step many frames under one lock: the
    // core, for as long as the lock is held.
    std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock(mutex); }
    SimulationCore& CoreLocked() { return core; }
    const SimulationCore& CoreLocked() const { return core; }

private:
    // Recursive: a Python signal handler, run by the interrupt check between
    // two frames of a call, may use the same simulation.
    mutable std::recursive_mutex mutex;
    SimulationCore core;
};

} // namespace Korvale::Run
