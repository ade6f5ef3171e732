#include "control/CRobotControls.h"

#include <cstdint>

#include "base/StateArchive.h"
#include "base/WindowMessages.h"
#include "engine/NeuralRobot.h"

namespace Tarn {

bool CRobotKeys::IsKeyDown(unsigned code) const
{
    switch (code) {
    case VirtualKey::Up:
        return held[0];
    case VirtualKey::Down:
        return held[1];
    case VirtualKey::Left:
        return held[2];
    case VirtualKey::Right:
        return held[3];
    default:
        return false;
    }
}

CRobotControls::CRobotControls(Fen::NeuralRobot& robot_) : robot(robot_) { robot.setRemoteControl(&network); }

void CRobotControls::SelectKeys(bool keysDrive_)
{
    keysDrive = keysDrive_;
    if (keysDrive)
        robot.setRemoteControl(&keyboard);
    else
        robot.setRemoteControl(&network);
}

void CRobotControls::ReadKeysFrom(const IKeyboardState* other)
{
    const IKeyboardState* source = other != nullptr ? other : &keys;
    network.ReadKeysFrom(source);
    keyboard.keyboard = source;
}

bool CRobotControls::HasNetwork() const { return network.network.numLayers > 0; }

void CRobotControls::ArchiveState(StateArchive& archive)
{
    bool keysSelected = keysDrive;
    archive.Value(keysSelected);
    if (archive.Loading())
        SelectKeys(keysSelected);
    archive.Value(network.commands.forward);
    archive.Value(network.commands.backward);
    archive.Value(network.commands.left);
    archive.Value(network.commands.right);
    archive.Sequence(network.outputs.data);
    network.outputs.m = static_cast<std::int32_t>(network.outputs.data.size());
    network.ArchiveState(archive);
    for (bool& key : keys.held)
        archive.Value(key);
}

} // namespace Tarn
