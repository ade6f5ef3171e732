#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace Korvale::Python {

// A command failed as the status line would show it: the text holds one
// fault a line, innermost first.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One scene run from a script: the panel's commands, the window's frame and
// a noise generator of its own, so that several simulations in one process,
// on one thread or on several, each run as they would alone. Every operation
// takes the simulation's lock, so one object may be shared between threads.
class Simulation {
public:
    enum class Control { Keyboard, Network };

    struct Options {
        std::string scene;
        std::string robot;   // empty: none
        std::string network; // empty: none
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
    bool HasRobot() const;
    // x, y, angle of the robot; zeros without one.
    std::array<double, 3> Pose() const;
    std::vector<double> Infrared() const;
    // forward, backward, left, right of the control that drives the robot.
    std::array<bool, 4> Commands() const;
    // Every camera's pixels as red, green, blue.
    std::vector<std::vector<std::array<double, 3>>> Cameras() const;
    // x, y, angle of every body of the scene, in scene order, the robot not among them.
    std::vector<std::array<double, 3>> Bodies() const;

    // The arrow keys the keyboard control reads from the next frame on.
    void SetKeys(bool forward, bool backward, bool left, bool right);

    // The panel's Start Log and Stop Log; CommandError with the status line's text.
    void StartLog(const std::string& fileName);
    void StopLog();

    // The world view of the whole arena as korvale-sim --snapshot draws it,
    // pixel for pixel: width * height * 3 bytes into `pixels`, red, green,
    // blue, rows from the top. std::invalid_argument for a size outside
    // 16x16 to 8192x8192, std::runtime_error when there is no offscreen
    // drawing. The drawing is kept for the next picture of the same size.
    void Render(int width, int height, std::uint8_t* pixels);
    // std::invalid_argument for a size Render does not draw.
    static void CheckPictureSize(int width, int height);

private:
    struct Parts;

    void Frame();
    void TraceRow(double* row) const;
    std::array<bool, 4> ControlCommands() const;
    [[noreturn]] void ThrowShownError();

    // Recursive: a Python signal handler, run by the interrupt check between
    // two frames of a call, may use the same simulation.
    mutable std::recursive_mutex mutex;
    std::uint32_t noise = 0;
    double dt;
    float elapsed;
    std::int64_t frames = 0;
    std::function<void()> interruptCheck;
    std::unique_ptr<Parts> parts;
};

} // namespace Korvale::Python
