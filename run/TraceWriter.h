#pragma once
#include <array>
#include <cstddef>
#include <ostream>
#include <string>

namespace Fen {
class NeuralRobot;
}

namespace Korvale::Run {

// A trace holds the robot's state after every frame: time, position,
// heading, each infrared reading in the robot's sensor order and the four
// commands of the attached control as 0 or 1. korvale-sim writes it as CSV,
// the Python module hands it over as an array; both take the rows from here.

std::size_t TraceColumns(std::size_t sensorCount);
// The row of the robot as it stands at `time`: TraceColumns values.
void TraceRow(double time, const Fen::NeuralRobot& robot, double* row);
// forward, backward, left, right of the control attached to the robot
// (none: all false). Asking only reads: the keyboard control reads the held
// keys, the network control its answers of the last update.
std::array<bool, 4> ControlCommands(const Fen::NeuralRobot& robot);

// Writes a trace as CSV, each number as the shortest text that reads back
// to it.
class TraceWriter {
public:
    // Writes the header for a robot with sensorCount infrared sensors.
    TraceWriter(std::ostream& out, std::size_t sensorCount);

    // One line from a row of TraceRow.
    void Row(const double* row);

private:
    std::ostream& out;
    std::size_t columns;
    std::string line;
};

} // namespace Korvale::Run
