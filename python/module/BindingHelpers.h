#pragma once
// What the binding files share: argument conversions and array makers.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run/NetworkParts.h"
#include "run/Simulation.h"

namespace Korvale::Python {

namespace py = pybind11;
// The bindings wrap the run layer's classes as they are.
using namespace Korvale::Run;

// Takes the interpreter lock and runs Python's signal handlers: after a
// Ctrl-C the default handler's KeyboardInterrupt (or whatever a handler
// raised) is thrown as pybind11::error_already_set. The interrupt check of
// the module's long calls.
void CheckPythonSignals();

// Any 64-bit whole number, signed or not; a negative one counts modulo 2^64.
std::optional<std::uint64_t> SeedFrom(const py::object& seed);

py::array_t<double> Array(const std::vector<double>& values);

template <std::size_t N>
py::array_t<double> Rows(const std::vector<std::array<double, N>>& rows)
{
    py::array_t<double> array({static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(N)});
    double* out = array.mutable_data();
    for (const auto& row : rows)
        out = std::copy(row.begin(), row.end(), out);
    return array;
}

// Each warning of a load as a Python UserWarning (an error where warnings are).
void RaiseWarnings(const std::vector<std::string>& warnings);
// A pool's threads: a whole number of at least 1, or None (0) for one per
// core; a TypeError or ValueError in words for anything else.
unsigned ThreadsFrom(const py::object& threads);
// A file name from a str or a path-like object.
std::string PathText(const py::handle& path);
// The Network a Python object is (its shared network), or none.
SharedNetwork NetworkOf(const py::handle& object);
// A korvale.Network object around a network.
py::object NetworkObject(SharedNetwork network);

// The metrics as a dict: distance, coverage, contact_frames, stuck, avoid.
py::dict MetricsDict(const Metrics& metrics);
// A model file named by a str or path, read as text.
ModelFile FileFrom(const py::handle& path);
// Simulation's network= argument: a network file's name, a korvale.Network or None.
void SetNetworkOption(Simulation::Options& options, const py::object& network);
// What pickling keeps of a simulation of these contents and frame time in this state.
py::tuple SimulationKept(const Simulation::Contents& contents, double dt, const std::string& state);
// A Simulation made again from what its pickling kept.
std::shared_ptr<Simulation> RestoreSimulation(const py::tuple& kept);
// The UserWarning of a network the control cannot read (not four outputs).
void WarnIfUnreadable(const Tarn::CFeedForward& network);

// Whole frames in `seconds` as every run counts them; ValueError otherwise.
std::int64_t FramesFrom(double seconds, double dt);

// control=: "keyboard" or "network" (None: none); ValueError otherwise.
std::optional<Simulation::Control> ControlFrom(const std::optional<std::string>& control);
// robot=: a robot's number (negative from the end), a sequence of them or
// "all", among `count` robots; IndexError, TypeError or ValueError in words.
std::vector<std::size_t> RobotsOption(const py::handle& robot, std::size_t count);

void BindRules(py::module_& m);
void BindSimulation(py::module_& m);
// Every robot's run measures and the swarm's, on the Simulation class.
void BindSwarmMetrics(py::module_& m);
// The swarm's calls, added to the Simulation class BindSimulation made.
void BindSwarm(py::module_& m);
void BindEnvironments(py::module_& m);
void BindNetwork(py::module_& m);
void BindEvaluation(py::module_& m);

} // namespace Korvale::Python
