// The korvale extension module: Simulation, Network, evaluate and LoadError.
#include "BindingHelpers.h"

#include "run/Simulation.h"

namespace Korvale::Python {

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

void RaiseWarnings(const std::vector<std::string>& warnings)
{
    for (const std::string& warning : warnings) {
        // Python's warning says "UserWarning" before the text.
        const std::string prefix = "Warning: ";
        const std::string text = warning.rfind(prefix, 0) == 0 ? warning.substr(prefix.size()) : warning;
        if (PyErr_WarnEx(PyExc_UserWarning, text.c_str(), 1) != 0)
            throw py::error_already_set(); // warnings made errors
    }
}

py::array_t<double> Array(const std::vector<double>& values)
{
    py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

unsigned ThreadsFrom(const py::object& threads)
{
    if (threads.is_none())
        return 0;
    const bool truth =
        py::isinstance<py::bool_>(threads) || py::isinstance(threads, py::module_::import("numpy").attr("bool_"));
    PyObject* whole = truth ? nullptr : PyNumber_Index(threads.ptr());
    if (whole == nullptr) {
        PyErr_Clear();
        throw py::type_error("threads must be a whole number from 1 upwards, or None for one per core, not "
                             + py::repr(threads).cast<std::string>());
    }
    const auto value = py::reinterpret_steal<py::int_>(whole);
    if (value < py::int_(1))
        throw py::value_error("threads must be from 1 upwards, or None for one per core, not "
                              + py::repr(value).cast<std::string>());
    // More threads than cores only wait for each other: the pool takes them down.
    constexpr unsigned most = 4096;
    return value > py::int_(most) ? most : value.cast<unsigned>();
}

std::string PathText(const py::handle& path)
{
    const py::object text = py::module_::import("os").attr("fspath")(path);
    if (!py::isinstance<py::str>(text))
        throw py::type_error("a file name must be a str or a path, not bytes");
    return text.cast<std::string>();
}

} // namespace Korvale::Python

PYBIND11_MODULE(_korvale, m)
{
    using namespace Korvale::Python;
    m.doc() = "Korvale's simulation, driven from Python.";
    auto& loadError = py::register_exception<CommandError>(m, "LoadError");
    loadError.doc() = "A command failed; the message is the status line's text, one fault a line.";
    BindRules(m);
    BindNetwork(m);
    BindSimulation(m);
    BindSwarmMetrics(m);
    BindSwarm(m);
    BindEvaluation(m);
    BindEnvironments(m);
}
