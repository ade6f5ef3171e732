#include "run/SwarmTrace.h"

#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "run/ShortestReal.h"
#include "run/TraceWriter.h"

namespace Korvale::Run {

SwarmTraceWriter::SwarmTraceWriter(std::ostream& out_, std::size_t mostSensors) : out(out_), sensors(mostSensors)
{
    out << "time,robot,x,y,angle";
    for (std::size_t i = 0; i < sensors; ++i)
        out << ",ir" << i;
    out << ",forward,backward,left,right\n";
}

void SwarmTraceWriter::Row(double time, std::size_t index, const Fen::NeuralRobot& robot)
{
    line.clear();
    AppendShortest(line, time);
    line += ',';
    line += std::to_string(index);
    for (const double value : {robot.pos.x, robot.pos.y, robot.angle}) {
        line += ',';
        AppendShortest(line, value);
    }
    std::size_t written = 0;
    for (const auto& sensor : robot.irSensors) {
        if (written == sensors)
            break;
        ++written;
        line += ',';
        AppendShortest(line, sensor->finalValue);
    }
    for (; written < sensors; ++written)
        line += ',';
    for (const bool command : ControlCommands(robot))
        line += command ? ",1" : ",0";
    line += '\n';
    out << line;
}

} // namespace Korvale::Run
