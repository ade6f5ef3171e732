#pragma once
#include "base/StateArchive.h"
#include "control/CKeyboardRemoteControl.h"
#include "control/CNeuralNetworkRemoteControl.h"

namespace Tarn {

// The network drives, and a person can take over at any moment: while an
// arrow key is held the keys drive, and the network again once all are
// released. The network is evaluated in every step either way, so the
// commands it would have given stay current, and a log can tell the lines a
// person drove (corrections of the network) from the others.
class CTakeOverRemoteControl : public CNeuralNetworkRemoteControl {
public:
    explicit CTakeOverRemoteControl(const IKeyboardState* keyboard = nullptr);

    bool isForward() override;
    bool isBackward() override;
    bool isLeft() override;
    bool isRight() override;
    // Evaluates the network, then reads the keys; the answers until the next
    // update are those of this moment.
    void update() override;

    // The keys it reads from the next update on; not owned, none answers false.
    void ReadKeysFrom(const IKeyboardState* keys) { keyboard.keyboard = keys; }
    // An arrow key was held at the last update: the keys drive.
    bool IsTakenOver() const { return takenOver; }
    // The keys of the last update: a copy of a run answers as the original.
    void ArchiveState(StateArchive& archive);

private:
    CKeyboardRemoteControl keyboard;
    Commands keys; // the arrow keys held at the last update
    bool takenOver = false;
};

// Whether the robot's control is a take-over control that a person drives
// at this moment: the records a corrections log keeps.
bool IsTakenOver(const Fen::RemoteControl* control);

} // namespace Tarn
