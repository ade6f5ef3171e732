#include "run/TraceWriter.h"

#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/RemoteControl.h"
#include "run/ShortestReal.h"

namespace Korvale::Run {

namespace {
constexpr std::size_t commandColumns = 4;
} // namespace

std::size_t TraceColumns(std::size_t sensorCount) { return 4 + sensorCount + commandColumns; }

std::array<bool, 4> ControlCommands(const Fen::NeuralRobot& robot)
{
    Fen::RemoteControl* control = robot.remoteControl;
    if (control == nullptr)
        return {false, false, false, false};
    return {control->isForward(), control->isBackward(), control->isLeft(), control->isRight()};
}

void TraceRow(double time, const Fen::NeuralRobot& robot, double* row)
{
    *row++ = time;
    *row++ = robot.pos.x;
    *row++ = robot.pos.y;
    *row++ = robot.angle;
    for (const auto& sensor : robot.irSensors)
        *row++ = sensor->finalValue;
    for (const bool command : ControlCommands(robot))
        *row++ = command ? 1.0 : 0.0;
}

TraceWriter::TraceWriter(std::ostream& out_, std::size_t sensorCount) : out(out_), columns(TraceColumns(sensorCount))
{
    out << "time,x,y,angle";
    for (std::size_t i = 0; i < sensorCount; ++i)
        out << ",ir" << i;
    out << ",forward,backward,left,right\n";
}

void TraceWriter::Row(const double* row)
{
    line.clear();
    AppendShortest(line, row[0]);
    for (std::size_t i = 1; i < columns - commandColumns; ++i) {
        line += ',';
        AppendShortest(line, row[i]);
    }
    for (std::size_t i = columns - commandColumns; i < columns; ++i)
        line += row[i] != 0 ? ",1" : ",0";
    line += '\n';
    out << line;
}

} // namespace Korvale::Run
