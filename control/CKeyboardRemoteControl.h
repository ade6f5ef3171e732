#pragma once
#include "control/IKeyboardState.h"
#include "engine/RemoteControl.h"

namespace Tarn {

// Drives the robot from the arrow keys held at the moment it asks.
class CKeyboardRemoteControl : public Fen::RemoteControl {
public:
    const IKeyboardState* keyboard = nullptr; // not owned; none answers false

    explicit CKeyboardRemoteControl(const IKeyboardState* keyboard = nullptr);

    bool isForward() override;
    bool isBackward() override;
    bool isLeft() override;
    bool isRight() override;
    void reset() override {}
    void update() override {}

private:
    bool IsDown(unsigned code) const;
};

} // namespace Tarn
