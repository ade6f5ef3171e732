// Simulation's swarm for Python: every robot's state as arrays, and networks,
// keys, controls and places for any robot by its number.
#include <pybind11/stl.h>

#include <cmath>
#include <limits>

#include "BindingHelpers.h"
#include "run/Simulation.h"

namespace Korvale::Python {

namespace {

// A robot's number as Python indexes: from the end when negative.
std::size_t RobotIndex(const py::handle& value, std::size_t count)
{
    if (py::isinstance<py::bool_>(value) || !py::hasattr(value, "__index__"))
        throw py::type_error("a robot is given by its number (an int), not " + std::string(py::str(value.get_type())));
    const auto index = py::reinterpret_steal<py::int_>(PyNumber_Index(value.ptr())).cast<long long>();
    const long long n = static_cast<long long>(count);
    if (index < -n || index >= n)
        throw py::index_error("robot " + std::to_string(index) + " is not in the arena: it has " + std::to_string(n)
                              + (n == 1 ? " robot" : " robots"));
    return static_cast<std::size_t>(index < 0 ? index + n : index);
}

// robot=: one number, a sequence of numbers, or "all".
std::vector<std::size_t> RobotsFrom(const py::handle& robots, std::size_t count)
{
    std::vector<std::size_t> indices;
    if (py::isinstance<py::str>(robots)) {
        if (robots.cast<std::string>() != "all")
            throw py::value_error("robot is a robot's number, a sequence of them or \"all\", not \""
                                  + robots.cast<std::string>() + "\"");
        for (std::size_t i = 0; i < count; ++i)
            indices.push_back(i);
    } else if (py::hasattr(robots, "__index__") && !py::isinstance<py::bool_>(robots)) {
        indices.push_back(RobotIndex(robots, count));
    } else if (py::isinstance<py::iterable>(robots)) {
        for (const py::handle item : robots)
            indices.push_back(RobotIndex(item, count));
    } else {
        RobotIndex(robots, count); // the TypeError in words
    }
    return indices;
}

using Bools = py::array_t<bool, py::array::c_style | py::array::forcecast>;
using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

template <class Array>
Array RowsOf(const py::handle& value, const char* what, py::ssize_t rows, py::ssize_t columns)
{
    Array array = py::cast<Array>(value);
    if (array.ndim() != 2 || array.shape(1) != columns || (rows >= 0 && array.shape(0) != rows)) {
        std::string shape = "(";
        for (py::ssize_t d = 0; d < array.ndim(); ++d)
            shape += (d ? ", " : "") + std::to_string(array.shape(d));
        shape += array.ndim() == 1 ? ",)" : ")";
        const std::string want = rows >= 0 ? std::to_string(rows) : "n";
        throw py::value_error(std::string(what) + " must have the shape (" + want + ", " + std::to_string(columns)
                              + "), not " + shape);
    }
    return array;
}

py::array_t<bool> BoolRows(const std::vector<std::array<bool, 4>>& rows)
{
    py::array_t<bool> array({static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(4)});
    bool* out = array.mutable_data();
    for (const auto& row : rows)
        out = std::copy(row.begin(), row.end(), out);
    return array;
}

const char* ControlName(Simulation::Control control)
{
    return control == Simulation::Control::Keyboard ? "keyboard" : "network";
}

} // namespace

void BindSwarm(py::module_& m)
{
    py::options options;
    options.disable_function_signatures();
    auto simulation = py::reinterpret_borrow<py::class_<Simulation, std::shared_ptr<Simulation>>>(m.attr("Simulation"));
    simulation
        .def_property_readonly("num_robots", &Simulation::SwarmSize,
                               "int: the robots in the arena: the one robot= loaded first, then the scene's in the "
                               "file's order. The swarm_ arrays have a row per robot in that order.")
        .def_property_readonly(
            "swarm_pose", [](const Simulation& s) { return Rows(s.SwarmPoses()); },
            "float64 (num_robots, 3): x, y, angle (radians) of every robot.")
        .def_property_readonly(
            "swarm_ir",
            [](const Simulation& s) {
                const std::vector<std::vector<double>> readings = s.SwarmInfrared();
                std::size_t width = 0;
                for (const auto& row : readings)
                    width = std::max(width, row.size());
                py::array_t<double> array({static_cast<py::ssize_t>(readings.size()), static_cast<py::ssize_t>(width)});
                double* out = array.mutable_data();
                for (const auto& row : readings) {
                    std::copy(row.begin(), row.end(), out);
                    std::fill(out + row.size(), out + width, std::numeric_limits<double>::quiet_NaN());
                    out += width;
                }
                return array;
            },
            "float64 (num_robots, k): every robot's infrared readings in its sensor order, k the most sensors a "
            "robot has; a robot with fewer has NaN after its own (swarm_ir_count says how many).")
        .def_property_readonly(
            "swarm_ir_count",
            [](const Simulation& s) {
                const std::vector<std::vector<double>> readings = s.SwarmInfrared();
                py::array_t<std::int64_t> counts(static_cast<py::ssize_t>(readings.size()));
                std::int64_t* out = counts.mutable_data();
                for (const auto& row : readings)
                    *out++ = static_cast<std::int64_t>(row.size());
                return counts;
            },
            "int64 (num_robots,): how many infrared sensors each robot has.")
        .def_property_readonly(
            "swarm_commands", [](const Simulation& s) { return BoolRows(s.SwarmCommands()); },
            "bool (num_robots, 4): forward, backward, left, right of the control that drives each robot.")
        .def_property_readonly(
            "swarm_camera",
            [](const Simulation& s) {
                py::list robots;
                for (const auto& cameras : s.SwarmCameras()) {
                    py::list own;
                    for (const auto& pixels : cameras)
                        own.append(Rows(pixels));
                    robots.append(own);
                }
                return robots;
            },
            "list (num_robots) of lists of float64 (pixels, 3): each robot's cameras as camera gives them.")
        .def_property_readonly(
            "swarm_keys", [](const Simulation& s) { return BoolRows(s.SwarmKeys()); },
            "bool (num_robots, 4): forward, backward, left, right: the arrow keys held for each robot.")
        .def_property_readonly(
            "swarm_control",
            [](const Simulation& s) {
                py::list controls;
                for (const Simulation::Control control : s.SwarmControls())
                    controls.append(ControlName(control));
                return controls;
            },
            "list of str (num_robots): \"network\" or \"keyboard\", the control each robot is driven by.")
        .def(
            "get_network",
            [](const Simulation& s, const py::object& robot) -> py::object {
                SharedNetwork network = s.SwarmNetwork(RobotIndex(robot, s.SwarmSize()));
                return network ? NetworkObject(std::move(network)) : py::none();
            },
            py::arg("robot"),
            "get_network(self, robot: int) -> korvale.Network | None\n\nThe network of that robot's network control "
            "(a copy), None while it has none.")
        .def(
            "set_control",
            [](Simulation& s, const std::string& control, const py::object& robot) {
                const std::optional<Simulation::Control> selected = ControlFrom(control);
                s.DriveSwarmRobots(RobotsFrom(robot, s.SwarmSize()), *selected);
            },
            py::arg("control"), py::arg("robot"),
            "set_control(self, control: str, robot: int | Sequence[int] | str) -> None\n\n\"network\": the robot's "
            "network drives it (an arrow key held for it takes over while held; without a network it stands still); "
            "\"keyboard\": the keys held for it alone. robot: a number, a sequence of numbers or \"all\".")
        .def(
            "set_swarm_keys",
            [](Simulation& s, const py::object& keys) {
                const std::size_t n = s.SwarmSize();
                const Bools array = RowsOf<Bools>(keys, "keys", static_cast<py::ssize_t>(n), 4);
                std::vector<std::size_t> robots(n);
                std::vector<std::array<bool, 4>> held(n);
                for (std::size_t i = 0; i < n; ++i) {
                    robots[i] = i;
                    for (std::size_t k = 0; k < 4; ++k)
                        held[i][k] = array.at(static_cast<py::ssize_t>(i), static_cast<py::ssize_t>(k));
                }
                s.HoldSwarmKeys(robots, held);
            },
            py::arg("keys"),
            "set_swarm_keys(self, keys: numpy.ndarray) -> None\n\nbool (num_robots, 4): forward, backward, left, right "
            "held for every robot from the next frame on.")
        .def(
            "place_robots",
            [](Simulation& s, const py::object& poses, const py::object& robots) {
                const std::size_t n = s.SwarmSize();
                std::vector<std::size_t> indices;
                if (robots.is_none())
                    for (std::size_t i = 0; i < n; ++i)
                        indices.push_back(i);
                else
                    indices = RobotsFrom(robots, n);
                const Doubles array = RowsOf<Doubles>(poses, "poses", static_cast<py::ssize_t>(indices.size()), 3);
                std::vector<std::array<double, 3>> places(indices.size());
                for (std::size_t k = 0; k < places.size(); ++k)
                    for (std::size_t c = 0; c < 3; ++c)
                        places[k][c] = array.at(static_cast<py::ssize_t>(k), static_cast<py::ssize_t>(c));
                py::gil_scoped_release release;
                s.PlaceSwarmRobots(indices, places);
            },
            py::arg("poses"), py::arg("robots") = py::none(),
            "place_robots(self, poses: numpy.ndarray, robots: Sequence[int] | None = None) -> None\n\nfloat64 (m, 3): "
            "x, y, angle (radians) for each of robots (default: every robot, m = num_robots), put there at rest all at "
            "once. ValueError, and none moves, where one would touch a wall, a body or another robot where it stands "
            "afterwards.");
}

std::vector<std::size_t> RobotsOption(const py::handle& robot, std::size_t count) { return RobotsFrom(robot, count); }

} // namespace Korvale::Python
