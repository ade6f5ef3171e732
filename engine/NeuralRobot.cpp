#include "engine/NeuralRobot.h"

#include <cmath>
#include <unordered_set>
#include "engine/CircularCam.h"
#include "engine/IRSensor.h"
#include "engine/Random.h"
#include "engine/RemoteControl.h"

namespace Fen {

NeuralRobot::NeuralRobot() = default;

NeuralRobot::~NeuralRobot() { clearSensors(); }

void NeuralRobot::step(double dt)
{
    leftSpeed = 0;
    rightSpeed = 0;
    if (remoteControl != nullptr) {
        remoteControl->update();
        if (remoteControl->isForward()) {
            leftSpeed += robotSpeed;
            rightSpeed += robotSpeed;
        } else if (remoteControl->isBackward()) {
            leftSpeed -= robotSpeed;
            rightSpeed -= robotSpeed;
        }
        if (remoteControl->isLeft())
            rightSpeed += robotSpeed;
        if (remoteControl->isRight())
            leftSpeed += robotSpeed;
    }
    // Two draws every step, control or not: left wheel first.
    const double left = leftSpeed * (0.95 + 0.1 * randomUniform());
    const double right = rightSpeed * (0.95 + 0.1 * randomUniform());
    angSpeed = angSpeed + (right - left) / wheelDistance;
    const double heading = angle + angSpeed * dt / 2;
    const double v = (left + right) / 2;
    speed = Vector{v * std::cos(heading), v * std::sin(heading)};
    PhysicalObject::step(dt);
}

RemoteControl* NeuralRobot::setRemoteControl(RemoteControl* control)
{
    detachRemoteControl();
    // A control drives one robot at a time: take it from its previous one.
    if (control != nullptr && control->robot != nullptr && control->robot->remoteControl == control)
        control->robot->detachRemoteControl();
    remoteControl = control;
    if (control != nullptr)
        control->robot = this;
    return control;
}

void NeuralRobot::detachRemoteControl()
{
    if (remoteControl == nullptr)
        return;
    remoteControl->robot = nullptr;
    remoteControl = nullptr;
}

void NeuralRobot::clearSensors()
{
    detachRemoteControl();
    // One pass over the list, however many sensors the robot carries.
    std::unordered_set<const LocalInteraction*> owned;
    for (const auto& sensor : irSensors)
        owned.insert(sensor.get());
    for (const auto& camera : cameras)
        owned.insert(camera.get());
    std::erase_if(localInteractions, [&owned](const LocalInteraction* l) { return owned.count(l) != 0; });
    irSensors.clear();
    cameras.clear();
    robotSpeed = 1.0;
    wheelDistance = 1.0;
}

} // namespace Fen
