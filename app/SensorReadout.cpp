#include "app/SensorReadout.h"

#include "app/CKorvaleScene.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"
#include "engine/RemoteControl.h"
#include "model/CFenNeuralRobot.h"

namespace Korvale {

namespace {

// A scene robot is driven by its network (taken over by the keys while it
// is selected and one is held), or stands without one.
void ReadSceneRobotControl(Fen::NeuralRobot& robot, SensorReadout& readout)
{
    Fen::RemoteControl* driver = robot.remoteControl;
    auto* control = dynamic_cast<Tarn::CNeuralNetworkRemoteControl*>(driver);
    readout.networkDriving = control != nullptr && control->isConsistent();
    if (readout.networkDriving)
        readout.outputs = control->outputs.data;
    if (driver != nullptr)
        readout.commands = {driver->isForward(), driver->isBackward(), driver->isLeft(), driver->isRight()};
}

} // namespace

SensorReadout ReadSensors(const CKorvaleScene& scene)
{
    SensorReadout readout;
    Tarn::CFenNeuralRobot* adapter = scene.GetSelectedRobot();
    if (adapter == nullptr)
        return readout;
    Fen::NeuralRobot& robot = adapter->GetPhysicalObject();
    readout.hasRobot = true;
    readout.robot = adapter;
    readout.infrared.reserve(robot.irSensors.size());
    for (const auto& sensor : robot.irSensors)
        readout.infrared.push_back(sensor->finalValue);
    if (adapter != scene.GetRobot()) {
        ReadSceneRobotControl(robot, readout);
        return readout;
    }

    Tarn::CNeuralNetworkRemoteControl& control = scene.GetNeuralNetworkControl();
    readout.networkDriving = scene.IsNeuralNetworkControl() && robot.remoteControl == &control;
    const Tarn::CFeedForward& network = control.network;
    if (readout.networkDriving) {
        readout.outputs = control.outputs.data;
    } else if (network.inputDimensions > 0
               && static_cast<std::size_t>(network.inputDimensions) == robot.irSensors.size()) {
        Tarn::CVector input(network.inputDimensions);
        for (std::size_t i = 0; i < readout.infrared.size(); ++i)
            input.data[i] = readout.infrared[i];
        readout.outputs = network.Evaluate(input).data;
    }
    if (Fen::RemoteControl* driver = robot.remoteControl)
        readout.commands = {driver->isForward(), driver->isBackward(), driver->isLeft(), driver->isRight()};
    return readout;
}

void CSensorHistory::Record(const SensorReadout& readout)
{
    if (!readout.hasRobot) {
        samples.clear();
        return;
    }
    if (!samples.empty()
        && (samples.back().robot != readout.robot || samples.back().infrared.size() != readout.infrared.size()))
        samples.clear();
    samples.push_back(readout);
    if (samples.size() > Length)
        samples.pop_front();
}

namespace {

template <class Pick>
std::vector<float> Series(const std::deque<SensorReadout>& samples, Pick pick)
{
    std::vector<float> values;
    values.reserve(samples.size());
    for (const SensorReadout& sample : samples)
        values.push_back(static_cast<float>(pick(sample)));
    return values;
}

}

std::vector<float> CSensorHistory::Infrared(std::size_t sensor) const
{
    return Series(samples,
                  [sensor](const SensorReadout& s) { return sensor < s.infrared.size() ? s.infrared[sensor] : 0.0; });
}

std::vector<float> CSensorHistory::Output(std::size_t index) const
{
    return Series(samples,
                  [index](const SensorReadout& s) { return index < s.outputs.size() ? s.outputs[index] : 0.0; });
}

std::vector<float> CSensorHistory::Command(std::size_t index) const
{
    return Series(samples, [index](const SensorReadout& s) { return s.commands[index] ? 1.0 : 0.0; });
}

} // namespace Korvale
