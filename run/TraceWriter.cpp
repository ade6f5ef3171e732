#include "tools/TraceWriter.h"

#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/RemoteControl.h"
#include "tools/ShortestReal.h"

namespace Korvale::Tools {

TraceWriter::TraceWriter(std::ostream& out_, std::size_t sensorCount) : out(out_)
{
    out << "time,x,y,angle";
    for (std::size_t i = 0; i < sensorCount; ++i)
        out << ",ir" << i;
    out << ",forward,backward,left,right\n";
}

void TraceWriter::Row(double time, Fen::NeuralRobot& robot)
{
    line.clear();
    AppendShortest(line, time);
    for (const double value : {robot.pos.x, robot.pos.y, robot.angle}) {
        line += ',';
        AppendShortest(line, value);
    }
    for (const auto& sensor : robot.irSensors) {
        line += ',';
        AppendShortest(line, sensor->finalValue);
    }
    // Asking only reads: the keyboard control reads the held keys, the
    // network control its answers of the last update.
    Fen::RemoteControl* control = robot.remoteControl;
    const bool commands[] = {control && control->isForward(), control && control->isBackward(),
                             control && control->isLeft(), control && control->isRight()};
    for (const bool command : commands)
        line += command ? ",1" : ",0";
    line += '\n';
    out << line;
}

} // namespace Korvale::Tools
