#pragma once
#include <array>

#include "control/CKeyboardRemoteControl.h"
#include "control/CTakeOverRemoteControl.h"
#include "control/IKeyboardState.h"

namespace Fen {
class NeuralRobot;
}

namespace Tarn {

class StateArchive;

// The arrow keys held for one robot alone, as a keyboard its controls read.
class CRobotKeys : public IKeyboardState {
public:
    // forward, backward, left, right
    std::array<bool, 4> held{};

    bool IsKeyDown(unsigned code) const override;
};

// The controls of one robot among many: its network, which the keys held for
// it take over while any is held (as the user's robot's network control), and
// those keys alone. One of the two is attached to the robot and drives it;
// the network, empty or not fitting, gives no commands, so a robot without a
// network stands still until keys are held for it.
class CRobotControls {
public:
    // Attaches the network control.
    explicit CRobotControls(Fen::NeuralRobot& robot);
    CRobotControls(const CRobotControls&) = delete;
    CRobotControls& operator=(const CRobotControls&) = delete;

    // The keys alone drive (true) or the network with take-over (false).
    void SelectKeys(bool keysDrive);
    bool KeysDrive() const { return keysDrive; }
    bool HasNetwork() const;
    // Both controls read these keys instead of the ones held for this robot
    // (the window's keyboard while a person drives it); null gives them back.
    // Not owned: it must outlive its use.
    void ReadKeysFrom(const IKeyboardState* other);

    // The selection, the network control's last commands and outputs, its
    // take-over and the held keys, in one order (see StateArchive).
    void ArchiveState(StateArchive& archive);

    CRobotKeys keys;
    CTakeOverRemoteControl network{&keys};
    CKeyboardRemoteControl keyboard{&keys};

private:
    Fen::NeuralRobot& robot;
    bool keysDrive = false;
};

} // namespace Tarn
