#pragma once
#include <cstddef>
#include <ostream>
#include <string>

namespace Fen {
class NeuralRobot;
}

namespace Korvale::Tools {

// Writes the robot's state after every frame as CSV: time, position,
// heading, each infrared reading in the robot's sensor order and the four
// commands of the attached control as 0 or 1.
class TraceWriter {
public:
    // Writes the header for a robot with sensorCount infrared sensors.
    TraceWriter(std::ostream& out, std::size_t sensorCount);

    void Row(double time, Fen::NeuralRobot& robot);

private:
    std::ostream& out;
    std::string line;
};

} // namespace Korvale::Tools
