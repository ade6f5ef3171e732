#include "tools/SwarmSummary.h"

#include <cmath>
#include <cstdio>

#include "run/SimulationCore.h"

namespace Korvale::Tools {

std::string Fixed(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string SwarmSummary(const Run::SimulationCore& simulation)
{
    const std::size_t robots = simulation.SwarmSize();
    double distance = 0;
    for (std::size_t i = 0; i < robots; ++i)
        distance += simulation.RobotMetrics(i).distance();
    const Run::SwarmState swarm = simulation.GetSwarmState();
    const std::string count = std::to_string(robots);
    // The share times the count is the cluster's size, a whole number.
    const auto cluster = static_cast<long long>(std::llround(swarm.largestCluster * static_cast<double>(robots)));
    return count + " robots travelled " + Fixed(distance, 3) + " units in all ("
        + Fixed(distance / static_cast<double>(robots), 3) + " on average); largest cluster "
        + std::to_string(cluster) + " of " + count + ", mean distance to the centre " + Fixed(swarm.centreDistance, 3)
        + " units, to the nearest neighbour " + Fixed(swarm.nearestNeighbour, 3) + " units, "
        + std::to_string(swarm.cellsVisited) + " cells visited";
}

std::string RobotDistances(const Run::SimulationCore& simulation)
{
    std::string lines;
    for (std::size_t i = 0; i < simulation.SwarmSize(); ++i)
        lines += "robot " + std::to_string(i) + " travelled " + Fixed(simulation.RobotMetrics(i).distance(), 3)
            + " units\n";
    return lines;
}

} // namespace Korvale::Tools
