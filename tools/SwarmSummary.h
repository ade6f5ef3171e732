#pragma once
#include <string>

namespace Korvale::Run {
class SimulationCore;
}

namespace Korvale::Tools {

// A number with that many decimals, as printf's "%.*f" writes it.
std::string Fixed(double value, int decimals);

// korvale-sim's summary of a swarm of more than one robot, after the times:
// "20 robots travelled 1234.567 units in all (61.728 on average); largest
// cluster 7 of 20, mean distance to the centre 23.456 units, to the nearest
// neighbour 9.876 units, 412 cells visited".
std::string SwarmSummary(const Run::SimulationCore& simulation);

// One line a robot, in the swarm's order: "robot 3 travelled 12.345 units".
std::string RobotDistances(const Run::SimulationCore& simulation);

} // namespace Korvale::Tools
