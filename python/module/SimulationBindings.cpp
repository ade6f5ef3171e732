// Simulation for Python: loading, stepping, reading, snapshots and pickling.
#include <pybind11/stl.h>

#include <map>

#include "BindingHelpers.h"
#include "io/NetworkFileText.h"
#include "run/InterruptPoll.h"
#include "run/Simulation.h"

namespace Korvale::Python {

ModelFile FileFrom(const py::handle& path) { return ModelFile::Read(PathText(path)); }

py::dict MetricsDict(const Metrics& m)
{
    py::dict metrics;
    m.ForEachMeasure([&](const char* name, const auto value) { metrics[name] = value; });
    return metrics;
}

void SetNetworkOption(Simulation::Options& options, const py::object& network)
{
    if (SharedNetwork object = NetworkOf(network)) {
        WarnIfUnreadable(*object);
        options.networkObject = std::move(object);
    } else if (!network.is_none()) {
        options.network = FileFrom(network);
    }
}

std::optional<Simulation::Control> ControlFrom(const std::optional<std::string>& control)
{
    if (!control)
        return std::nullopt;
    if (*control == "keyboard")
        return Simulation::Control::Keyboard;
    if (*control == "network")
        return Simulation::Control::Network;
    throw py::value_error("control is \"keyboard\" or \"network\", not \"" + *control + "\"");
}

namespace {

// A model file as pickling keeps it: (name, text), or None.
py::object Kept(const ModelFile& file)
{
    if (!file.text)
        return py::none();
    return py::make_tuple(file.path, py::bytes(*file.text));
}

ModelFile FromKept(const py::handle& kept)
{
    const auto pair = kept.cast<py::tuple>();
    return ModelFile::Text(pair[1].cast<std::string>(), pair[0].cast<std::string>());
}

// The scene robots as pickling keeps them: their networks, each once (a
// swarm mostly shares one), for each robot which one (-1 for none), and the
// texts of the files the scene names.
py::tuple KeptSceneRobots(const Simulation::Contents& contents)
{
    const std::vector<SharedNetwork>& networks = contents.sceneNetworks;
    std::map<std::string, std::size_t> seen;
    py::list distinct;
    py::list which;
    for (const SharedNetwork& network : networks) {
        if (network == nullptr) {
            which.append(-1);
            continue;
        }
        const auto [at, added] = seen.emplace(Tarn::NetworkFileText(*network), seen.size());
        if (added)
            distinct.append(NetworkObject(network));
        which.append(at->second);
    }
    py::dict files;
    for (const auto& [name, text] : contents.sceneFiles)
        files[py::str(name)] = py::bytes(text);
    return py::make_tuple(distinct, which, files);
}

void SceneRobotsFromKept(const py::handle& kept, Simulation::Options& options)
{
    const auto pair = kept.cast<py::tuple>();
    if (pair.size() != 3)
        throw py::value_error("not a pickled korvale.Simulation");
    std::vector<SharedNetwork> distinct;
    for (const py::handle network : pair[0].cast<py::list>())
        distinct.push_back(NetworkOf(network));
    for (const py::handle index : pair[1].cast<py::list>()) {
        const auto i = index.cast<long long>();
        if (i >= static_cast<long long>(distinct.size()) || (i >= 0 && distinct[static_cast<std::size_t>(i)] == nullptr))
            throw py::value_error("not a pickled korvale.Simulation");
        options.sceneNetworks.push_back(i < 0 ? nullptr : distinct[static_cast<std::size_t>(i)]);
    }
    for (const auto& [name, text] : pair[2].cast<py::dict>())
        options.sceneFiles.emplace(name.cast<std::string>(), text.cast<std::string>());
}

} // namespace

// A simulation made again from what pickling kept: the files' texts, the
// network, the frame time and the state.
py::tuple SimulationKept(const Simulation::Contents& contents, double dt, const std::string& state)
{
    if (!contents.scene.text || (contents.robot.Given() && !contents.robot.text))
        throw py::type_error("this simulation's files were not read as text and cannot be pickled");
    if (contents.sceneNetworks.empty())
        return py::make_tuple(Kept(contents.scene), Kept(contents.robot), Kept(contents.network), dt, py::bytes(state));
    return py::make_tuple(Kept(contents.scene), Kept(contents.robot), Kept(contents.network), dt, py::bytes(state),
                          KeptSceneRobots(contents));
}

std::shared_ptr<Simulation> RestoreSimulation(const py::tuple& kept)
{
    // Five parts for a simulation without scene robots, six with them.
    if ((kept.size() != 5 && kept.size() != 6) || kept[0].is_none())
        throw py::value_error("not a pickled korvale.Simulation");
    Simulation::Options options;
    options.scene = FromKept(kept[0]);
    if (!kept[1].is_none())
        options.robot = FromKept(kept[1]);
    if (!kept[2].is_none())
        options.network = FromKept(kept[2]);
    // The state selects the control; keyboard loads whatever the network.
    if (options.robot.Given())
        options.control = Simulation::Control::Keyboard;
    options.dt = kept[3].cast<double>();
    if (kept.size() == 6)
        SceneRobotsFromKept(kept[5], options);
    options.interruptCheck = CheckPythonSignals;
    const std::string state = kept[4].cast<std::string>();
    py::gil_scoped_release release;
    auto simulation = std::make_shared<Simulation>(options);
    simulation->SetState(state);
    return simulation;
}

void BindSimulation(py::module_& m)
{
    // The signatures are written out: pybind11 would show "object" for every
    // argument taken as a Python object to convert by hand.
    py::options options;
    options.disable_function_signatures();
    py::class_<Simulation, std::shared_ptr<Simulation>>(m, "Simulation", R"(One scene run from a script.

Simulation(scene, robot=None, network=None, control=None, seed=None, dt=1/60)

Loads as korvale-sim does, through the panel's commands; a file that fails
raises LoadError with the status line's text. Every frame is the window's
frame, with a noise generator of the simulation's own.)")
        .def(py::init([](const py::object& scene, const py::object& robot, const py::object& network,
                         const std::optional<std::string>& control, const py::object& seed, double dt) {
                 Simulation::Options options;
                 options.scene = FileFrom(scene);
                 if (!robot.is_none())
                     options.robot = FileFrom(robot);
                 SetNetworkOption(options, network);
                 options.control = ControlFrom(control);
                 options.seed = SeedFrom(seed);
                 options.dt = dt;
                 options.interruptCheck = CheckPythonSignals;
                 std::shared_ptr<Simulation> simulation;
                 {
                     // Loading reads files: let other threads run meanwhile.
                     py::gil_scoped_release release;
                     simulation = std::make_shared<Simulation>(options);
                 }
                 RaiseWarnings(simulation->TakeWarnings());
                 return simulation;
             }),
             py::arg("scene"), py::arg("robot") = py::none(), py::arg("network") = py::none(),
             py::arg("control") = py::none(), py::arg("seed") = py::none(), py::arg("dt") = 1.0 / 60.0,
             R"(__init__(self, scene: str | os.PathLike, robot: str | os.PathLike | None = None, network: str | os.PathLike | korvale.Network | None = None, control: str | None = None, seed: int | None = None, dt: float = 1/60) -> None

scene, robot, network: model files (network also a korvale.Network);
control: "keyboard" or "network" (default: the network when one is given);
seed: the noise's seed, any 64-bit whole number (None: the default
sequence); dt: the frame time in seconds, 0.001 to 1.)")
        .def("step", &Simulation::Step, py::arg("n") = 1, py::call_guard<py::gil_scoped_release>(),
             "step(self, n: int = 1) -> None\n\nAdvances n frames: the step, then the log record. A frame an "
             "environment began is finished as the first of them.")
        .def(
            "trace",
            [](Simulation& simulation, std::int64_t steps) {
                if (steps < 0)
                    throw py::value_error("the number of frames must not be negative");
                const std::size_t columns = simulation.TraceColumns();
                if (columns == 0)
                    throw py::value_error("a trace needs a robot");
                py::array_t<double> rows({static_cast<py::ssize_t>(steps), static_cast<py::ssize_t>(columns)});
                double* out = rows.mutable_data();
                {
                    py::gil_scoped_release release;
                    simulation.Trace(steps, out);
                }
                return rows;
            },
            py::arg("steps"), "trace(self, steps: int) -> numpy.ndarray\n\nRuns that many frames: float64 (steps, 4 + readings + 4), one "
            "row per frame with the columns of korvale-sim --trace (time, x, y, angle, the readings, forward, "
            "backward, left, right).")
        .def_property_readonly("time", &Simulation::Time, "float: end time of the last frame, in seconds.")
        .def_property_readonly("simulated", &Simulation::SimulatedTime,
                               "float: seconds the world has advanced, each frame's time kept within 0.001 to 1 s.")
        .def_property_readonly("dt", &Simulation::FrameTime, "float: the frame time, in seconds.")
        .def_property_readonly("pose",
                               [](const Simulation& simulation) -> py::object {
                                   if (simulation.SwarmSize() == 0)
                                       return py::none();
                                   const auto [x, y, angle] = simulation.Pose();
                                   return py::make_tuple(x, y, angle);
                               },
                               "(x, y, angle) floats: robot 0's place and heading (radians): the robot loaded with robot=, or the "
                               "scene's first robot without one; None without any robot.")
        .def_property_readonly(
            "ir", [](const Simulation& simulation) { return Array(simulation.Infrared()); },
            "float64 (readings,): the infrared readings the last frame sensed, in the robot's sensor order.")
        .def_property_readonly("commands",
                               [](const Simulation& simulation) {
                                   const auto c = simulation.Commands();
                                   return py::make_tuple(c[0], c[1], c[2], c[3]);
                               },
                               "(forward, backward, left, right) bools: the driving control's last commands.")
        .def_property_readonly("camera",
                               [](const Simulation& simulation) {
                                   py::list cameras;
                                   for (const auto& pixels : simulation.Cameras())
                                       cameras.append(Rows(pixels));
                                   return cameras;
                               },
                               "list of float64 (pixels, 3): each camera's pixels, red, green, blue in [0, 1].")
        .def_property_readonly(
            "bodies", [](const Simulation& simulation) { return Rows(simulation.Bodies()); },
            "float64 (bodies, 3): x, y, angle of every body of the scene, in scene order, the robot not among them.")
        .def_property_readonly(
            "metrics",
            [](const Simulation& simulation) { return MetricsDict(simulation.GetMetrics()); },
            "dict: the metrics since the start: distance, coverage, contact_frames, stuck, avoid.")
        .def_property_readonly(
            "stuck_measured", [](const Simulation& simulation) { return simulation.GetMetrics().stuckMeasured; },
            "bool: whether the run has gone on for the stuck window (5 s), so that metrics['stuck'] judges frames; "
            "before, it is 0.")
        .def_property_readonly("network",
                               [](const Simulation& simulation) -> py::object {
                                   SharedNetwork network = simulation.GetNetwork();
                                   return network ? NetworkObject(std::move(network)) : py::none();
                               },
                               "korvale.Network | None: the network control's network.")
        .def(
            "set_network",
            [](Simulation& simulation, const py::object& network, const py::object& robot) {
                SharedNetwork object = NetworkOf(network);
                if (!object)
                    throw py::type_error("set_network takes a korvale.Network");
                if (robot.is_none())
                    simulation.SetNetwork(object);
                else
                    simulation.SetSwarmNetwork(RobotsOption(robot, simulation.SwarmSize()), object);
                WarnIfUnreadable(*object);
            },
            py::arg("network"), py::arg("robot") = py::none(),
            "set_network(self, network: korvale.Network, robot: int | Sequence[int] | str | None = None) -> None\n\n"
            "The network control drives with a copy of this network from the next frame on, when it is selected. "
            "robot: a robot's number, a sequence of them or \"all\" (None: the robot robot= loaded, as always); "
            "ValueError naming the first robot it does not fit, and none changes.")
        .def(
            "set_keys",
            [](Simulation& simulation, bool forward, bool backward, bool left, bool right, const py::object& robot) {
                if (robot.is_none()) {
                    py::gil_scoped_release release;
                    simulation.SetKeys(forward, backward, left, right);
                    return;
                }
                const std::vector<std::size_t> robots = RobotsOption(robot, simulation.SwarmSize());
                const std::vector<std::array<bool, 4>> keys(robots.size(), {forward, backward, left, right});
                simulation.HoldSwarmKeys(robots, keys);
            },
            py::arg("forward") = false, py::arg("backward") = false, py::arg("left") = false,
            py::arg("right") = false, py::kw_only(), py::arg("robot") = py::none(),
            "set_keys(self, forward: bool = False, backward: bool = False, left: bool = False, right: bool = False, *, "
            "robot: int | Sequence[int] | str | None = None) -> None\n\nHolds the arrow keys from the next frame on, "
            "for the keyboard control or to take over from the network (None: the keyboard's, which drive the robot "
            "robot= loaded; a number, a sequence of them or \"all\": those robots' own).")
        .def(
            "place_robot",
            [](Simulation& simulation, double x, double y, double angle, const py::object& robot) {
                if (robot.is_none()) {
                    simulation.PlaceRobot(x, y, angle);
                    return;
                }
                const std::vector<std::size_t> robots = RobotsOption(robot, simulation.SwarmSize());
                if (robots.size() != 1)
                    throw py::value_error("place_robot places one robot; place_robots places many");
                simulation.PlaceSwarmRobots(robots, {{x, y, angle}});
            },
            py::arg("x"), py::arg("y"), py::arg("angle") = 0.0, py::kw_only(), py::arg("robot") = py::none(),
            "place_robot(self, x: float, y: float, angle: float = 0.0, *, robot: int | None = None) -> None\n\nPuts "
            "the robot at (x, y), heading angle radians, at rest; the metrics start there. ValueError where it would "
            "touch a wall, a body or another robot. robot: its number (None: the robot robot= loaded).")
        .def(
            "get_state", [](const Simulation& simulation) { return py::bytes(simulation.GetState()); },
            "get_state(self) -> bytes\n\nEverything that changes as the simulation runs, as bytes (not the model files or "
            "the network).")
        .def(
            "set_state",
            [](Simulation& simulation, const py::bytes& state) {
                const std::string bytes = state;
                py::gil_scoped_release release;
                simulation.SetState(bytes);
            },
            py::arg("state"), "set_state(self, state: bytes) -> None\n\nContinues from a state that get_state gave, of a simulation of the "
            "same files and dt.")
        .def(
            "start_log",
            [](Simulation& simulation, const py::object& path, bool corrections) {
                const std::string name = PathText(path);
                if (name.empty())
                    throw py::value_error("Please enter the name of the log");
                py::gil_scoped_release release;
                simulation.StartLog(name, corrections);
            },
            py::arg("path"), py::arg("corrections") = false,
            "start_log(self, path: str | os.PathLike, corrections: bool = False) -> None\n\nThe panel's Start Log; with "
            "corrections=True only the lines where set_keys took over from the network are kept.")
        .def("stop_log", &Simulation::StopLog, py::call_guard<py::gil_scoped_release>(),
             "stop_log(self) -> None\n\nThe panel's Stop Log.")
        .def(
            "render",
            [](Simulation& simulation, int width, int height) {
                Simulation::CheckPictureSize(width, height);
                py::array_t<std::uint8_t> image(
                    {static_cast<py::ssize_t>(height), static_cast<py::ssize_t>(width), static_cast<py::ssize_t>(3)});
                std::uint8_t* out = image.mutable_data();
                {
                    py::gil_scoped_release release;
                    simulation.Render(width, height, out);
                }
                return image;
            },
            py::arg("width") = 800, py::arg("height") = 800,
            "render(self, width: int = 800, height: int = 800) -> numpy.ndarray\n\nThe world view of the whole arena as "
            "korvale-sim --snapshot draws it: uint8 (height, width, 3), red, green, blue.")
        .def(py::pickle(
            [](const Simulation& simulation) {
                const auto [contents, state] = simulation.GetContentsAndState();
                return SimulationKept(contents, simulation.FrameTime(), state);
            },
            [](const py::tuple& kept) { return RestoreSimulation(kept); }));
}

} // namespace Korvale::Python
