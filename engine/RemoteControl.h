#pragma once

namespace Fen {

class NeuralRobot;

// The four yes/no drive commands of a NeuralRobot. `robot` is set and cleared
// only by NeuralRobot::setRemoteControl and detachRemoteControl.
class RemoteControl {
public:
    NeuralRobot* robot = nullptr;

    RemoteControl() = default;
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;
    // A control destroyed while attached takes itself off its robot, so the
    // robot never calls a dead control.
    virtual ~RemoteControl();

    virtual bool isForward() = 0;
    virtual bool isBackward() = 0;
    virtual bool isLeft() = 0;
    virtual bool isRight() = 0;
    virtual void reset() = 0;
    virtual void update() = 0;
};

} // namespace Fen
