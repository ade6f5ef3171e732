#pragma once
#include <array>
#include <cstddef>
#include <deque>
#include <vector>

namespace Korvale {

class CKorvaleScene;

// What the robot senses and decides at one moment, for the sensor panel.
struct SensorReadout {
    bool hasRobot = false;
    // Which robot it was read from (the scene's selected one), only to tell
    // readouts of different robots apart.
    const void* robot = nullptr;
    std::vector<double> infrared; // the robot's readings, in its sensors' order
    // The network's outputs: those that drove the last step while it drives,
    // otherwise what it gives for the readings now; empty without a network
    // that fits the robot.
    std::vector<double> outputs;
    bool networkDriving = false;
    // Forward, backward, left, right, as the robot's control gives them.
    std::array<bool, 4> commands{};
};

// What the scene's selected robot senses and decides.
SensorReadout ReadSensors(const CKorvaleScene& scene);

// The last readouts, one a world frame: a few seconds at the usual frame
// rate. Without a robot there is none; another robot, or a robot with
// another sensor count, starts it anew.
class CSensorHistory {
public:
    static constexpr std::size_t Length = 300;

    void Record(const SensorReadout& readout);
    void Clear() { samples.clear(); }
    const std::deque<SensorReadout>& Samples() const { return samples; }

    // The values of one infrared sensor, one output or one command (1 or 0)
    // over the history, oldest first; 0 where a sample lacks it.
    std::vector<float> Infrared(std::size_t sensor) const;
    std::vector<float> Output(std::size_t index) const;
    std::vector<float> Command(std::size_t index) const;

private:
    std::deque<SensorReadout> samples;
};

} // namespace Korvale
