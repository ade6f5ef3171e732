#include "control/CNeuralNetworkRemoteControl.h"

#include "control/NetworkFit.h"

#include <cstddef>

#include "engine/IRSensor.h"
#include "engine/NeuralRobot.h"

namespace Tarn {

void CNeuralNetworkRemoteControl::reset()
{
    network.Clear();
}

bool CNeuralNetworkRemoteControl::isConsistent()
{
    if (robot == nullptr)
        return false;
    return NetworkFitsSensors(network, robot->irSensors.size());
}

std::string CNeuralNetworkRemoteControl::UnreadableOutputs(std::int32_t outputs)
{
    if (outputs == commandOutputs)
        return {};
    return "has " + std::to_string(outputs)
        + " outputs, not 4 (forward, backward, left, right): it never changes the robot's commands, so a robot at "
          "rest stays at rest";
}

void CNeuralNetworkRemoteControl::update()
{
    if (!isConsistent()) {
        commands = Commands{};
        outputs = CVector();
        return;
    }

    // The readings go in as they are; scaling is the network's normalisation.
    const std::size_t sensorCount = robot->irSensors.size();
    CVector input(static_cast<std::int32_t>(sensorCount));
    for (std::size_t i = 0; i < sensorCount; ++i)
        input.data[i] = robot->irSensors[i]->finalValue;

    outputs = network.Evaluate(input);
    const CVector& y = outputs;
    if (y.m != commandOutputs)
        return; // any other output size leaves the commands as they were
    // Strictly greater: exactly 0.5 is false, and so is NaN.
    commands.forward = y[0] > 0.5;
    commands.backward = y[1] > 0.5;
    commands.left = y[2] > 0.5;
    commands.right = y[3] > 0.5;
}

} // namespace Tarn
