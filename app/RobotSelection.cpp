#include "app/RobotSelection.h"

#include <cmath>

#include "engine/NeuralRobot.h"
#include "model/CFenNeuralRobot.h"
#include "model/IWorld.h"

namespace Korvale {

unsigned NextRobot(unsigned index, unsigned count, bool backwards)
{
    if (count == 0)
        return 0;
    if (index >= count)
        return 0;
    if (backwards)
        return index == 0 ? count - 1 : index - 1;
    return index + 1 == count ? 0 : index + 1;
}

std::string RobotNumberText(unsigned index, unsigned count)
{
    return "Robot " + std::to_string(index + 1) + " of " + std::to_string(count);
}

std::string RestingStatusText(const std::string& runState, unsigned index, unsigned count)
{
    if (count < 2)
        return runState;
    return runState + " - " + RobotNumberText(index, count);
}

std::optional<unsigned> RobotAt(const Tarn::IWorld& world, double x, double y, double reach)
{
    std::optional<unsigned> best;
    double bestDistance = 0;
    const unsigned count = world.GetSwarmSize();
    for (unsigned i = 0; i < count; ++i) {
        const Fen::NeuralRobot& body = world.GetSwarmRobot(i).GetPhysicalObject();
        const double distance = std::hypot(body.pos.x - x, body.pos.y - y);
        // Written so that a NaN position or radius never qualifies.
        if (!(distance <= std::fabs(body.r) + reach))
            continue;
        if (!best || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace Korvale
