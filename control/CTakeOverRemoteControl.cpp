#include "control/CTakeOverRemoteControl.h"

namespace Tarn {

CTakeOverRemoteControl::CTakeOverRemoteControl(const IKeyboardState* keys_) : keyboard(keys_) {}

void CTakeOverRemoteControl::update()
{
    CNeuralNetworkRemoteControl::update();
    keys = {keyboard.isForward(), keyboard.isBackward(), keyboard.isLeft(), keyboard.isRight()};
    takenOver = keys.forward || keys.backward || keys.left || keys.right;
}

bool CTakeOverRemoteControl::isForward() { return takenOver ? keys.forward : commands.forward; }
bool CTakeOverRemoteControl::isBackward() { return takenOver ? keys.backward : commands.backward; }
bool CTakeOverRemoteControl::isLeft() { return takenOver ? keys.left : commands.left; }
bool CTakeOverRemoteControl::isRight() { return takenOver ? keys.right : commands.right; }

void CTakeOverRemoteControl::ArchiveState(StateArchive& archive)
{
    archive.Value(keys.forward);
    archive.Value(keys.backward);
    archive.Value(keys.left);
    archive.Value(keys.right);
    archive.Value(takenOver);
}

bool IsTakenOver(const Fen::RemoteControl* control)
{
    const auto* takeOver = dynamic_cast<const CTakeOverRemoteControl*>(control);
    return takeOver != nullptr && takeOver->IsTakenOver();
}

} // namespace Tarn
