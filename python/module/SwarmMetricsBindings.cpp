// Simulation.robot_metrics and Simulation.swarm_metrics: the run measures of
// every robot of a swarm, and the swarm's own.
#include <stdexcept>
#include <string>

#include "BindingHelpers.h"
#include "run/Simulation.h"

namespace Korvale::Python {

namespace {

py::dict SwarmDict(const SwarmState& swarm)
{
    py::dict measures;
    measures["robots"] = swarm.robots;
    measures["largest_cluster"] = swarm.largestCluster;
    measures["centre_distance"] = swarm.centreDistance;
    measures["nearest_neighbour"] = swarm.nearestNeighbour;
    measures["cells_visited"] = swarm.cellsVisited;
    return measures;
}

} // namespace

void BindSwarmMetrics(py::module_& m)
{
    auto simulation = py::reinterpret_borrow<py::class_<Simulation>>(m.attr("Simulation"));
    simulation
        .def(
            "robot_metrics",
            [](const Simulation& self, std::int64_t index) {
                const auto robots = static_cast<std::int64_t>(self.SwarmSize());
                if (index < 0 || index >= robots)
                    throw py::index_error("robot " + std::to_string(index) + " is not in the swarm of "
                                          + std::to_string(robots));
                return MetricsDict(self.RobotMetrics(static_cast<std::size_t>(index)));
            },
            py::arg("index"),
            "dict: robot `index`'s metrics since the start (distance, coverage, contact_frames, stuck, avoid); "
            "robot 0 is the one `metrics` gives. IndexError beyond the swarm.")
        .def_property_readonly(
            "swarm_metrics", [](const Simulation& self) { return SwarmDict(self.GetSwarmState()); },
            "dict: the swarm as it stands: robots, largest_cluster (share of the robots), centre_distance, "
            "nearest_neighbour (mean, centre to centre; nan for fewer than two robots), and cells_visited "
            "by any robot since the start.");
}

} // namespace Korvale::Python
