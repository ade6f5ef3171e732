#pragma once
#include <cstddef>
#include <ostream>
#include <string>

namespace Fen {
class NeuralRobot;
}

namespace Korvale::Run {

// A trace of a swarm as CSV: after every frame one row per robot, in the
// swarm's order, the lone robot's columns (TraceWriter.h) with the robot's
// number after the time: time,robot,x,y,angle,ir0,...,forward,backward,
// left,right. There are as many infrared columns as the robot with the most
// sensors has; a robot with fewer leaves the rest of them empty.
class SwarmTraceWriter {
public:
    // Writes the header.
    SwarmTraceWriter(std::ostream& out, std::size_t mostSensors);

    void Row(double time, std::size_t index, const Fen::NeuralRobot& robot);

private:
    std::ostream& out;
    std::size_t sensors;
    std::string line;
};

} // namespace Korvale::Run
