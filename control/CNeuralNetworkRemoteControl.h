#pragma once
#include <cstdint>
#include <string>

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

    // The outputs the control reads as commands: forward, backward, left, right.
    static constexpr std::int32_t commandOutputs = 4;

    CNeuralNetworkRemoteControl() = default;

    // Why a network of that many outputs never drives ("has N outputs, not
    // 4 ..."), for a warning that names the network first; empty for four.
    static std::string UnreadableOutputs(std::int32_t outputs);

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
