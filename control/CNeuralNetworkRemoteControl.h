#pragma once
#include "control/CFeedForward.h"
#include "engine/RemoteControl.h"

namespace Tarn {

// Drives the robot from a feed-forward network fed with its infrared
// readings; the network's four outputs, thresholded at 0.5, are the commands.
class CNeuralNetworkRemoteControl : public Fen::RemoteControl {
public:
    struct Commands {
        bool forward = false;
        bool backward = false;
        bool left = false;
        bool right = false;
    };

    CFeedForward network; // filled in place by the network reader
    Commands commands;    // the answers of the last update
    CVector outputs; // the network's outputs at the last update

    CNeuralNetworkRemoteControl() = default;

    bool isForward() override { return commands.forward; }
    bool isBackward() override { return commands.backward; }
    bool isLeft() override { return commands.left; }
    bool isRight() override { return commands.right; }
    // Empties the network; the commands stay until the next update.
    void reset() override;
    // Evaluates the network once; the four questions only read the result.
    void update() override;
    // A robot is attached and the network takes one input per infrared sensor.
    virtual bool isConsistent();
};

} // namespace Tarn
