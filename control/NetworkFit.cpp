#include "control/NetworkFit.h"

#include "control/CFeedForward.h"

namespace Tarn {

bool NetworkFitsSensors(const CFeedForward& network, std::size_t infraredSensors)
{
    return network.inputDimensions >= 0 && static_cast<std::size_t>(network.inputDimensions) == infraredSensors;
}

namespace {
std::string Count(long long count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}
}

std::string NetworkMisfit(const CFeedForward& network, std::size_t infraredSensors)
{
    return "takes " + Count(network.inputDimensions, "input") + ", but the robot has "
        + Count(static_cast<long long>(infraredSensors), "infrared sensor");
}

std::string NetworkFileMisfitLine(const std::string& fileName, const CFeedForward& network,
                                  std::size_t infraredSensors)
{
    return "Network file '" + fileName + "' " + NetworkMisfit(network, infraredSensors);
}

} // namespace Tarn
