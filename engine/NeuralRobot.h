#pragma once
#include <memory>
#include <vector>
#include "engine/Robot.h"

namespace Fen {

class IRSensor;
class CircularCam;
class RemoteControl;

// The two-wheeled robot: a differential drive whose commands come, once per
// step, from the attached remote control, with noise on each wheel.
class NeuralRobot : public Robot {
public:
    std::vector<std::unique_ptr<IRSensor>> irSensors;  // owned, in file order
    std::vector<std::unique_ptr<CircularCam>> cameras; // owned, in file order
    double robotSpeed = 1.0;
    double wheelDistance = 1.0;
    double leftSpeed = 0;
    double rightSpeed = 0;
    RemoteControl* remoteControl = nullptr;            // not owned

    NeuralRobot();
    NeuralRobot(const NeuralRobot&) = delete;
    NeuralRobot& operator=(const NeuralRobot&) = delete;
    ~NeuralRobot() override;

    void step(double dt) override;

    RemoteControl* setRemoteControl(RemoteControl* control);
    void detachRemoteControl();
    // Detaches the control, deletes every sensor and camera (taking them out
    // of localInteractions too) and sets robotSpeed and wheelDistance to 1.
    void clearSensors();
};

} // namespace Fen
