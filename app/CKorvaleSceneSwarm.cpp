// The scene's robots by their number in the swarm: control selection,
// networks, held keys and the scene robots' part of a snapshot.
#include "app/CKeyboard.h"
#include "app/CKorvaleScene.h"
#include "base/WindowMessages.h"
#include "control/CRobotControls.h"
#include "control/CTakeOverRemoteControl.h"
#include "model/CFenWorld.h"

namespace Korvale {

namespace {

constexpr std::array<std::uint8_t, 4> arrowKeys{Tarn::VirtualKey::Up, Tarn::VirtualKey::Down, Tarn::VirtualKey::Left,
                                                Tarn::VirtualKey::Right};

} // namespace

unsigned CKorvaleScene::SwarmSize() const { return world->GetSwarmSize(); }

bool CKorvaleScene::IsUsersRobot(unsigned index) const { return index < world->GetRobotCount(); }

void CKorvaleScene::SelectSwarmControl(unsigned index, bool keys)
{
    if (!IsUsersRobot(index))
        world->SceneRobotControls(index - world->GetRobotCount()).SelectKeys(keys);
    else if (keys)
        SetKeyboardControl();
    else
        AttachNeuralNetworkControl();
}

bool CKorvaleScene::SwarmKeysDrive(unsigned index) const
{
    if (IsUsersRobot(index))
        return !networkControlActive;
    return world->SceneRobotControls(index - world->GetRobotCount()).KeysDrive();
}

const Tarn::CFeedForward& CKorvaleScene::SwarmNetwork(unsigned index) const
{
    if (IsUsersRobot(index))
        return networkControl->network;
    return world->SceneRobotControls(index - world->GetRobotCount()).network.network;
}

void CKorvaleScene::SetSwarmNetwork(unsigned index, const Tarn::CFeedForward& network)
{
    if (IsUsersRobot(index))
        SetNetwork(network);
    else
        world->DriveSceneRobot(index - world->GetRobotCount(), network);
}

std::array<bool, 4> CKorvaleScene::SwarmKeys(unsigned index) const
{
    if (!IsUsersRobot(index))
        return world->SceneRobotControls(index - world->GetRobotCount()).keys.held;
    std::array<bool, 4> held{};
    if (keyboard != nullptr)
        for (std::size_t i = 0; i < held.size(); ++i)
            held[i] = keyboard->IsKeyDown(arrowKeys[i]);
    return held;
}

void CKorvaleScene::HoldSwarmKeys(unsigned index, const std::array<bool, 4>& keys)
{
    if (!IsUsersRobot(index)) {
        world->SceneRobotControls(index - world->GetRobotCount()).keys.held = keys;
        return;
    }
    if (keyboard != nullptr)
        for (std::size_t i = 0; i < keys.size(); ++i)
            keyboard->Keys()[arrowKeys[i]] = keys[i];
}

void CKorvaleScene::ArchiveSceneRobotControls(Tarn::StateArchive& archive)
{
    for (unsigned i = 0; i < world->GetSceneRobotCount(); ++i)
        world->SceneRobotControls(i).ArchiveState(archive);
}

} // namespace Korvale
