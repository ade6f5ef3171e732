#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/RunMetrics.h"

namespace Tarn {
class CFeedForward;
class StateArchive;
}

namespace Fen {
class NeuralRobot;
}

namespace Korvale::Python {

// A command failed as the status line would show it: the text holds one
// fault a line, innermost first.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A model file as a script names it, with its text when it could be read.
// Loading from the text read once means that what a simulation carries into
// a snapshot or another process is exactly what it loaded.
struct ModelFile {
    std::string path; // empty: none
    std::optional<std::string> text;

    // Reads the file as the window's loader would accept it; a file it would
    // refuse keeps no text, so that loading it by name gives its message.
    static ModelFile Read(std::string path);
    static ModelFile Text(std::string text, std::string path = {}) { return {std::move(path), std::move(text)}; }
    bool Given() const { return !path.empty() || text.has_value(); }
};

// The run measures of a simulation so far (RunMetrics says what each is).
struct Metrics {
    std::int64_t frames = 0;
    double distance = 0;
    std::int64_t coverage = 0;
    std::int64_t contactFrames = 0;
    double stuck = 0;
    double avoid = 0;

    static Metrics Of(const Fen::RunMetrics& m)
    {
        return {m.frames(), m.distance(), m.coverage(), m.contactFrames(), m.stuck(), m.avoid()};
    }
};

// One scene run from a script: the panel's commands, the window's frame and
// a noise generator of its own, so that several simulations in one process,
// on one thread or on several, each run as they would alone. Every operation
// takes the simulation's lock, so one object may be shared between threads.
class Simulation {
public:
    enum class Control { Keyboard, Network };
    using Network = std::shared_ptr<const Tarn::CFeedForward>;

    struct Options {
        ModelFile scene;
        ModelFile robot; // not given: none
        ModelFile network; // not given: none
        Network networkObject; // instead of a network file
        std::optional<Control> control; // default: the network when one is given
        std::optional<std::uint64_t> seed;
        double dt = 1.0 / 60.0;
        // Run a few times a second during Step and Trace, between frames; it
        // throws to interrupt them (see InterruptPoll).
        std::function<void()> interruptCheck;
    };

    // Loads as korvale-sim does. Throws CommandError when a load or the
    // control switch fails, std::invalid_argument for options it cannot use.
    explicit Simulation(const Options& options);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // The warnings of the loads so far (a network whose outputs the control
    // cannot read), emptied as they are taken.
    std::vector<std::string> TakeWarnings();

    // Advances `frames` frames: the step, then the log record. Throws
    // CommandError when the log stops on a fault, and whatever the interrupt
    // check throws, which leaves the simulation after a whole frame.
    void Step(std::int64_t frames);
    // Runs `frames` frames and writes one row per frame into rows, which
    // holds frames * TraceColumns() values: the columns of korvale-sim's trace.
    void Trace(std::int64_t frames, double* rows);
    std::size_t TraceColumns() const;

    // The end time of the last frame, as the trace's time column gives it.
    double Time() const;
    // The seconds the world has advanced: each frame's time as the world
    // steps it, within 0.001 to 1 s (korvale-sim's "simulated" figure).
    double SimulatedTime() const;
    double FrameTime() const { return dt; }
    bool HasRobot() const;
    // x, y, angle of the robot; zeros without one.
    std::array<double, 3> Pose() const;
    std::vector<double> Infrared() const;
    std::size_t InfraredCount() const;
    // forward, backward, left, right of the control that drives the robot.
    std::array<bool, 4> Commands() const;
    // Every camera's pixels as red, green, blue.
    std::vector<std::vector<std::array<double, 3>>> Cameras() const;
    // x, y, angle of every body of the scene, in scene order, the robot not among them.
    std::vector<std::array<double, 3>> Bodies() const;
    Metrics RunMeasures() const;

    // The arrow keys the keyboard control reads from the next frame on.
    void SetKeys(bool forward, bool backward, bool left, bool right);

    // The network control's network becomes a copy of this one; the control
    // that drives stays as selected. std::invalid_argument when it does not
    // take one input per infrared sensor of the robot.
    void SetNetwork(const Network& network);
    // The network control's network, none while it is empty.
    Network GetNetwork() const;

    // The panel's Start Log and Stop Log; CommandError with the status line's
    // text. A corrections log keeps only the lines where the keys took over
    // from the network.
    void StartLog(const std::string& fileName, bool corrections = false);
    void StopLog();

    // Everything that changes as the simulation runs, as bytes: the world's
    // bodies and sensors, the selected control and its last commands, the
    // held keys, the log's gathered time, the noise, the frame count and the
    // run measures. Not the model (files, network), which set_state keeps.
    std::string GetState() const;
    // Loads a state of a simulation of the same files and frame time; a
    // StateMismatch (std::invalid_argument) leaves this one as it was.
    void SetState(std::string_view state);
    // The files this simulation was loaded from (not given for none), and
    // its network as a network file's text (none while the network is empty).
    struct Contents {
        ModelFile scene;
        ModelFile robot;
        ModelFile network;
    };
    Contents GetContents() const;
    // Both at one moment, for a pickle.
    std::pair<Contents, std::string> GetContentsAndState() const;

    // Puts the robot at (x, y) with its heading angle (radians), at rest,
    // and starts the run measures there. std::invalid_argument when it would
    // not lie inside the arena or would overlap a body beyond touching (as
    // the scene's start point is judged), or there is no robot.
    void PlaceRobot(double x, double y, double angle);
    // The extent of the arena and the robot's bounding radius, under Lock().
    std::array<double, 3> ArenaAndRobotSizeLocked() const;
    // The noise generator's state, for a run that starts again from a seed.
    void SetNoiseSeed(std::uint64_t seed);

    // The world view of the whole arena as korvale-sim --snapshot draws it,
    // pixel for pixel: width * height * 3 bytes into `pixels`, red, green,
    // blue, rows from the top. std::invalid_argument for a size outside
    // 16x16 to 8192x8192, std::runtime_error when there is no offscreen
    // drawing. The drawing is kept for the next picture of the same size.
    void Render(int width, int height, std::uint8_t* pixels);
    // std::invalid_argument for a size Render does not draw.
    static void CheckPictureSize(int width, int height);

    // For the environments, which step many frames under one lock.
    std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock(mutex); }
    // One frame under Lock(); the noise is this simulation's own for the frame.
    void FrameLocked();
    void SetKeysLocked(const std::array<bool, 4>& keys);
    // Selects the network control (without judging its network) or the keyboard.
    void DriveLocked(Control control);
    // Whether the network control has a network that fits the robot.
    bool HasFittingNetworkLocked() const;
    std::uint32_t& NoiseLocked() { return noise; }
    Fen::NeuralRobot* RobotLocked() const;
    const Fen::RunMetrics& MetricsLocked() const { return metrics; }
    // The state as GetState gives it, and loading it, under Lock().
    std::string GetStateLocked() const;
    void SetStateLocked(std::string_view state);
    // Whether a state fits, as SetState judges it (StateMismatch if not).
    void CheckStateLocked(std::string_view state);
    // A state this very simulation gave, loaded without the checks.
    void RestoreOwnStateLocked(std::string_view state);
    void PlaceRobotLocked(double x, double y, double angle);
    // Why the robot cannot stand there (empty when it can), under Lock().
    std::string PlaceFaultLocked(double x, double y, double angle) const;

private:
    struct Parts;

    void Frame();
    void TraceRow(double* row) const;
    std::array<bool, 4> ControlCommands() const;
    [[noreturn]] void ThrowShownError();
    void Load(const Options& options);
    void StartMetrics();
    void Archive(Tarn::StateArchive& archive);
    void CheckFits(const Tarn::CFeedForward& network) const;

    // Recursive: a Python signal handler, run by the interrupt check between
    // two frames of a call, may use the same simulation.
    mutable std::recursive_mutex mutex;
    std::uint32_t noise = 0;
    double dt;
    float elapsed;
    std::int64_t frames = 0;
    std::function<void()> interruptCheck;
    Contents texts;
    Fen::RunMetrics metrics;
    std::unique_ptr<Parts> parts;
};

} // namespace Korvale::Python
