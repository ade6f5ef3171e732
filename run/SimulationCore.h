#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RunMetrics.h"
#include "run/Metrics.h"
#include "run/SimulationOptions.h"
#include "run/SwarmMeasures.h"
#include "run/SwarmRunMetrics.h"

namespace Tarn {
class CVertexBuffer;
class StateArchive;
}

namespace Fen {
class NeuralRobot;
class World;
}

namespace Korvale {
class CKorvaleScene;
}

namespace Korvale::Run {

// One scene run headless: the panel's commands, the window's frame and a
// noise generator of its own, so that several simulations in one process,
// on one thread or on several, each run as they would alone. One thread at
// a time uses a core: Simulation is the front that threads may share; the
// environments, the population evaluation and korvale-sim, which each keep
// a core to one thread at a time, use it directly.
class SimulationCore {
public:
    // Loads as korvale-sim does. Throws CommandError when a load or the
    // control switch fails, std::invalid_argument for options it cannot use.
    explicit SimulationCore(const SimulationOptions& options);
    ~SimulationCore();
    SimulationCore(const SimulationCore&) = delete;
    SimulationCore& operator=(const SimulationCore&) = delete;

    // The warnings of the loads so far (a network whose outputs the control
    // cannot read) that no warn callback took, emptied as they are taken.
    std::vector<std::string> TakeWarnings();

    // One frame (or the rest of a begun one): the step, then the log record
    // and the metrics; the noise is this simulation's own. Throws
    // CommandError, after the frame, when the log stops on a fault.
    void Frame();
    // The first half of a frame: the world stepped until the robot's control
    // is about to read its sensors (their readings are in) and choose its
    // commands; Frame, Step or Trace finish it. Returns false when there is
    // no robot to stop at (the frame was whole). While a frame is begun the
    // state cannot be taken (GetState throws); setting a state drops it.
    bool BeginFrame();
    bool FrameBegun() const;
    // Advances `frames` frames, polling the interrupt check between them;
    // whatever the check throws leaves the simulation after a whole frame.
    void Step(std::int64_t frames);
    // Runs `frames` frames and writes one row per frame into rows, which
    // holds frames * TraceColumns() values (TraceRow's columns).
    void Trace(std::int64_t frames, double* rows);
    std::size_t TraceColumns() const;
    // The trace's row for the simulation as it stands; needs a robot.
    void TraceRow(double* row) const;

    std::int64_t FrameCount() const { return frames; }
    // The end time of the last frame, as the trace's time column gives it.
    double Time() const { return static_cast<double>(frames) * dt; }
    // The seconds the world has advanced: each frame's time as the world
    // steps it, within 0.001 to 1 s (korvale-sim's "simulated" figure).
    double SimulatedTime() const;
    double FrameTime() const { return dt; }

    // The user's robot; none without one.
    Fen::NeuralRobot* Robot() const;
    // What robot 0 senses and does (SwarmRobot(0): the user's robot, or the
    // scene's first robot in a scene run without one), as GetMetrics measures
    // it. x, y, angle; zeros without any robot.
    std::array<double, 3> Pose() const;
    std::vector<double> Infrared() const;
    std::size_t InfraredCount() const;
    // forward, backward, left, right of the control that drives the robot.
    std::array<bool, 4> Commands() const;
    // Every camera's pixels as red, green, blue.
    std::vector<std::vector<std::array<double, 3>>> Cameras() const;
    // x, y, angle of every body of the scene, in scene order, the robot not among them.
    std::vector<std::array<double, 3>> Bodies() const;
    Metrics GetMetrics() const { return Metrics::Of(metrics); }
    // Frame by frame, with the last frame's values.
    const Fen::RunMetrics& LiveMetrics() const { return metrics; }

    // Every robot of the swarm (IWorld::GetSwarmRobot's numbering): its run
    // measures, frame by frame; robot 0's are LiveMetrics(). A swarm of more
    // than one robot keeps them for every robot; std::out_of_range for an
    // index beyond the swarm.
    std::size_t SwarmSize() const;
    Fen::NeuralRobot* SwarmRobot(std::size_t index) const;
    const Fen::RunMetrics& RobotMetrics(std::size_t index) const;
    // Robot `index` was put somewhere from outside a frame: its measures
    // start again there.
    void StartRobotMetrics(std::size_t index);
    // How the swarm stands now (SwarmMeasures.h), and the cells its robots
    // visited since the start (robot 0's own for a swarm of one).
    SwarmState GetSwarmState() const;

    // The arrow keys the keyboard control reads from the next frame on.
    void SetKeys(const std::array<bool, 4>& keys);
    // A key pressed (down) or released, as the window hands it over.
    void KeyMessage(std::uint8_t key, bool down);

    // The network control's network becomes a copy of this one; the control
    // that drives stays as selected. std::invalid_argument when it does not
    // take one input per infrared sensor of the robot.
    void SetNetwork(const SharedNetwork& network);
    // The network control's network, none while it is empty.
    SharedNetwork GetNetwork() const;
    // Selects the network control (without judging its network) or the keyboard.
    void Drive(Control control);
    // Whether the network control has a network that fits the robot.
    bool HasFittingNetwork() const;

    // The panel's Start Log and Stop Log; CommandError with the status line's
    // text. A corrections log keeps only the lines where the keys took over
    // from the network.
    void StartLog(const std::string& fileName, bool corrections = false);
    void StopLog();

    // Everything that changes as the simulation runs, as bytes
    // (SnapshotFormat): the world's bodies and sensors, the selected control
    // and its last commands, the held keys, the log's gathered time, the
    // noise, the frame count and the metrics. Not the model (files, network).
    std::string GetState() const;
    // Loads a state of a simulation of the same files and frame time; a
    // StateMismatch (std::invalid_argument) leaves this one as it was.
    void SetState(std::string_view state);
    // Whether a state fits, as SetState judges it (StateMismatch if not).
    void CheckState(std::string_view state);
    // A state this very simulation gave, loaded without the checks.
    void RestoreOwnState(std::string_view state);
    SimulationContents GetContents() const;

    // Puts the robot at (x, y) with its heading angle (radians), at rest,
    // and starts the metrics there. std::invalid_argument when it would not
    // lie inside the arena or would overlap a body beyond touching (as the
    // scene's start point is judged), or there is no robot.
    void PlaceRobot(double x, double y, double angle);
    // Why the robot cannot stand there (empty when it can).
    std::string PlaceFault(double x, double y, double angle) const;
    // The extent of the arena and the robot's bounding radius.
    std::array<double, 3> ArenaAndRobotSize() const;
    // The noise generator's state, for a run that starts again from a seed.
    void SetNoiseSeed(std::uint64_t seed);
    std::uint32_t& Noise() { return noise; }

    // The world view of the whole arena as korvale-sim --snapshot draws it,
    // pixel for pixel: width * height * 3 bytes into `pixels`, red, green,
    // blue, rows from the top. std::invalid_argument for a size outside
    // 16x16 to 8192x8192, std::runtime_error when there is no offscreen
    // drawing. The drawing is kept for the next picture of the same size.
    void Render(int width, int height, std::uint8_t* pixels);
    // std::invalid_argument for a size Render does not draw.
    static void CheckPictureSize(int width, int height);

    // The swarm: every robot of the arena by its number, the user's robot
    // first when loaded, then the scene's in the file's order (what the
    // single-robot calls above read is the user's robot). An index at or
    // beyond SwarmSize() throws std::out_of_range.
    // x, y, angle of every robot.
    std::vector<std::array<double, 3>> SwarmPoses() const;
    // Every robot's infrared readings, each in its own sensor order.
    std::vector<std::vector<double>> SwarmInfrared() const;
    // forward, backward, left, right of the control that drives each robot.
    std::vector<std::array<bool, 4>> SwarmCommands() const;
    // Every robot's cameras, as Cameras gives the user's robot's.
    std::vector<std::vector<std::vector<std::array<double, 3>>>> SwarmCameras() const;
    // The arrow keys held for each robot (the user's robot's are the
    // keyboard's), and keys held for one from the next frame on.
    std::vector<std::array<bool, 4>> SwarmKeys() const;
    void HoldSwarmKeys(std::size_t robot, const std::array<bool, 4>& keys);
    // The control that drives a robot: its network (which held keys take
    // over) or its keys alone. A network control drives whatever its network.
    Control SwarmControl(std::size_t robot) const;
    void DriveSwarmRobot(std::size_t robot, Control control);
    // A robot's network, none while it has none.
    SharedNetwork SwarmNetwork(std::size_t robot) const;
    // Each of `robots` drives with a copy of the network from the next frame
    // on, whatever its control. std::invalid_argument, naming the first
    // robot it does not fit ("robot 3: the network takes 7 inputs, but the
    // robot has 8 infrared sensors"), changes none.
    void SetSwarmNetwork(const std::vector<std::size_t>& robots, const SharedNetwork& network);
    // Puts each of `robots` at its pose (x, y, angle in radians), at rest,
    // all at once: each must lie inside the walls and touch no body and no
    // robot where the others stand afterwards; otherwise std::invalid_argument
    // ("robot 3 at (40, 50) touches robot 5 at (41, 50)") and none moves.
    // The user's robot's metrics start again where it is put.
    void PlaceSwarmRobots(const std::vector<std::size_t>& robots, const std::vector<std::array<double, 3>>& poses);

    // For korvale-sim's pictures and plot: the scene, its drawing context
    // (no device: nothing is drawn unless a picture lends it one) and world.
    CKorvaleScene& Scene();
    Tarn::CVertexBuffer& DrawingContext();
    Fen::World& World() const;

private:
    struct Parts;

    void EndFrame();
    [[noreturn]] void ThrowShownError();
    void Load(const SimulationOptions& options);
    void LoadScene(const SimulationOptions& options);
    void SelectControl(const SimulationOptions& options);
    void Archive(Tarn::StateArchive& archive);
    void CheckFits(const Tarn::CFeedForward& network) const;
    void StartMetrics();
    void AddSwarmFrame();
    void ArchiveSwarmMetrics(Tarn::StateArchive& archive);
    // Robot `robot` of the swarm; std::out_of_range, in words, beyond it.
    Fen::NeuralRobot& CheckedSwarmRobot(std::size_t robot) const;
    // The scene, for the swarm's calls (SimulationCoreSwarm.cpp).
    CKorvaleScene& SwarmScene() const;
    // The scene robots' controls, in a snapshot that carries them.
    void ArchiveSceneRobots(Tarn::StateArchive& archive);
    std::string SwarmPlaceFault(const std::vector<std::size_t>& robots) const;
    std::vector<SharedNetwork> SceneRobotNetworks() const;
    void GiveSceneRobotNetworks(const std::vector<SharedNetwork>& networks);

    std::uint32_t noise = 0;
    double dt;
    float elapsed;
    std::int64_t frames = 0;
    bool distanceOnly;
    std::function<void()> interruptCheck;
    SimulationContents texts;
    Fen::RunMetrics metrics; // robot 0's
    SwarmRunMetrics swarmMetrics; // the other robots', for a swarm
    std::unique_ptr<Parts> parts;
};

} // namespace Korvale::Run
