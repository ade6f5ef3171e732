#include "engine/RemoteControl.h"

#include "engine/NeuralRobot.h"

namespace Fen {

RemoteControl::~RemoteControl()
{
    if (robot != nullptr && robot->remoteControl == this)
        robot->detachRemoteControl();
}

} // namespace Fen
