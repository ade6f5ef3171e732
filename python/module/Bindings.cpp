// The korvale extension module: Simulation and LoadError for Python.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <optional>

#include "Interrupt.h"
#include "Simulation.h"

namespace py = pybind11;
using Korvale::Python::Simulation;

namespace {

// Any 64-bit whole number, signed or not, of any integer type (numpy's
// too, as step() takes them); a negative one counts modulo 2^64.
std::optional<std::uint64_t> SeedFrom(const py::object& seed)
{
    if (seed.is_none())
        return std::nullopt;
    // Truth values count as no number here, numpy's as Python's.
    const bool truth =
        py::isinstance<py::bool_>(seed) || py::isinstance(seed, py::module_::import("numpy").attr("bool_"));
    PyObject* whole = truth ? nullptr : PyNumber_Index(seed.ptr());
    if (whole == nullptr) {
        PyErr_Clear();
        throw py::type_error("seed must be a whole number or None");
    }
    const auto value = py::reinterpret_steal<py::int_>(whole);
    if (value < py::int_(0)) {
        if (value < py::int_(py::reinterpret_steal<py::object>(PyLong_FromLongLong(INT64_MIN))))
            throw py::value_error("seed must lie in the 64-bit range");
        return static_cast<std::uint64_t>(value.cast<std::int64_t>());
    }
    if (value > py::int_(py::reinterpret_steal<py::object>(PyLong_FromUnsignedLongLong(UINT64_MAX))))
        throw py::value_error("seed must lie in the 64-bit range");
    return value.cast<std::uint64_t>();
}

std::string Unprefixed(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : text;
}

std::string FileName(const std::optional<std::filesystem::path>& path)
{
    return path ? path->string() : std::string{};
}

py::array_t<double> Array(const std::vector<double>& values)
{
    py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

template <std::size_t N>
py::array_t<double> Rows(const std::vector<std::array<double, N>>& rows)
{
    py::array_t<double> array({static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(N)});
    double* out = array.mutable_data();
    for (const auto& row : rows)
        out = std::copy(row.begin(), row.end(), out);
    return array;
}

} // namespace

PYBIND11_MODULE(_korvale, m)
{
    m.doc() = "Korvale's simulation, driven from Python.";
    auto& loadError = py::register_exception<Korvale::Python::CommandError>(m, "LoadError");
    loadError.doc() = "A command failed; the message is the status line's text, one fault a line.";

    py::class_<Simulation>(m, "Simulation")
        .def(py::init([](const std::filesystem::path& scene, const std::optional<std::filesystem::path>& robot,
                         const std::optional<std::filesystem::path>& network, const std::optional<std::string>& control,
                         const py::object& seed, double dt) {
                 Simulation::Options options;
                 options.scene = scene.string();
                 options.robot = FileName(robot);
                 options.network = FileName(network);
                 if (control) {
                     if (*control == "keyboard")
                         options.control = Simulation::Control::Keyboard;
                     else if (*control == "network")
                         options.control = Simulation::Control::Network;
                     else
                         throw py::value_error("control is \"keyboard\" or \"network\", not \"" + *control + "\"");
                 }
                 options.seed = SeedFrom(seed);
                 options.dt = dt;
                 options.interruptCheck = Korvale::Python::CheckPythonSignals;
                 std::unique_ptr<Simulation> simulation;
                 {
                     // Loading reads files: let other threads run meanwhile.
                     py::gil_scoped_release release;
                     simulation = std::make_unique<Simulation>(options);
                 }
                 // Python's warning says "UserWarning" before the text.
                 for (const std::string& warning : simulation->TakeWarnings())
                     if (PyErr_WarnEx(PyExc_UserWarning, Unprefixed(warning, "Warning: ").c_str(), 1) != 0)
                         throw py::error_already_set(); // warnings made errors
                 return simulation;
             }),
             py::arg("scene"), py::arg("robot") = py::none(), py::arg("network") = py::none(),
             py::arg("control") = py::none(), py::arg("seed") = py::none(), py::arg("dt") = 1.0 / 60.0)
        .def("step", &Simulation::Step, py::arg("n") = 1, py::call_guard<py::gil_scoped_release>(),
             "Advances n frames: the step, then the log record.")
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
            py::arg("steps"),
            "Runs that many frames; one row per frame with the columns of korvale-sim --trace.")
        .def_property_readonly("time", &Simulation::Time, "End time of the last frame, in seconds.")
        .def_property_readonly("simulated", &Simulation::SimulatedTime,
                               "Seconds the world has advanced: each frame's time kept within 0.001 to 1 s.")
        .def_property_readonly("pose",
                               [](const Simulation& simulation) -> py::object {
                                   if (!simulation.HasRobot())
                                       return py::none();
                                   const auto [x, y, angle] = simulation.Pose();
                                   return py::make_tuple(x, y, angle);
                               })
        .def_property_readonly("ir", [](const Simulation& simulation) { return Array(simulation.Infrared()); })
        .def_property_readonly("commands",
                               [](const Simulation& simulation) {
                                   const auto c = simulation.Commands();
                                   return py::make_tuple(c[0], c[1], c[2], c[3]);
                               })
        .def_property_readonly("camera",
                               [](const Simulation& simulation) {
                                   py::list cameras;
                                   for (const auto& pixels : simulation.Cameras())
                                       cameras.append(Rows(pixels));
                                   return cameras;
                               })
        .def_property_readonly("bodies", [](const Simulation& simulation) { return Rows(simulation.Bodies()); })
        .def("set_keys", &Simulation::SetKeys, py::call_guard<py::gil_scoped_release>(),
             py::arg("forward") = false, py::arg("backward") = false, py::arg("left") = false,
             py::arg("right") = false,
             "Holds the arrow keys for the keyboard control from the next frame on.")
        .def(
            "start_log",
            [](Simulation& simulation, const std::filesystem::path& path) {
                const std::string name = path.string();
                if (name.empty())
                    throw py::value_error("Please enter the name of the log");
                py::gil_scoped_release release;
                simulation.StartLog(name);
            },
            py::arg("path"))
        .def("stop_log", &Simulation::StopLog, py::call_guard<py::gil_scoped_release>())
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
            "The world view of the whole arena as korvale-sim --snapshot draws it: height x width x 3 uint8 (RGB).");
}
