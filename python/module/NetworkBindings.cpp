// korvale.Network: a feed-forward network made from arrays or read from a
// network file, evaluated as the network control evaluates it.
#include <pybind11/stl.h>

#include "BindingHelpers.h"
#include "control/CFeedForward.h"
#include "control/CNeuralNetworkRemoteControl.h"
#include "io/CFeedForwardReader.h"
#include "io/CFenIOStruct.h"
#include "io/NetworkFileText.h"
#include "run/Simulation.h"

namespace Korvale::Python {

namespace {

// What Python holds: one network, shared and never changed.
struct NetworkHandle {
    SharedNetwork network;
};

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

Doubles DoublesOf(const py::handle& value, const std::string& what, py::ssize_t dimensions)
{
    Doubles array;
    try {
        array = py::cast<Doubles>(value);
    } catch (const py::cast_error&) {
        throw py::type_error(what + " must be an array of numbers");
    }
    if (array.ndim() != dimensions)
        throw py::value_error(what + " must be " + std::to_string(dimensions) + "-D, not "
                              + std::to_string(array.ndim()) + "-D");
    return array;
}

std::vector<double> VectorFrom(const py::handle& value, const std::string& what)
{
    const Doubles array = DoublesOf(value, what, 1);
    return {array.data(), array.data() + array.size()};
}

MatrixData MatrixFrom(const py::handle& value, const std::string& what)
{
    const Doubles array = DoublesOf(value, what, 2);
    return {array.shape(0), array.shape(1), {array.data(), array.data() + array.size()}};
}

py::list Sequence(const py::handle& value, const char* what)
{
    if (py::isinstance<py::str>(value) || !py::isinstance<py::sequence>(value))
        throw py::type_error(std::string(what) + " must be a sequence with one entry per layer");
    return py::list(py::reinterpret_borrow<py::object>(value));
}

std::string Indexed(const char* name, std::size_t k) { return std::string(name) + "[" + std::to_string(k) + "]"; }

py::array_t<double> MatrixArray(const MatrixData& data)
{
    py::array_t<double> array({static_cast<py::ssize_t>(data.rows), static_cast<py::ssize_t>(data.columns)});
    std::copy(data.values.begin(), data.values.end(), array.mutable_data());
    return array;
}

SharedNetwork NetworkFromText(const std::string& text)
{
    Tarn::CFenIOStruct io = Tarn::CFenIOStruct::FromText(text);
    auto network = std::make_shared<Tarn::CFeedForward>();
    if (io.IsOk()) {
        Tarn::CFeedForwardReader reader;
        reader.Read(io, *network);
    }
    if (!io.IsOk())
        throw py::value_error("not a pickled korvale.Network");
    return network;
}

std::string Describe(const Tarn::CFeedForward& network)
{
    std::string text = "<korvale.Network " + std::to_string(network.inputDimensions);
    for (std::size_t k = 0; k < network.weights.size(); ++k)
        text += " -> " + std::to_string(network.weights[k].m) + " " + TransferName(network, k);
    return text + ">";
}

} // namespace

void WarnIfUnreadable(const Tarn::CFeedForward& network)
{
    const std::string unreadable = Tarn::CNeuralNetworkRemoteControl::UnreadableOutputs(network.outputDimensions);
    if (!unreadable.empty())
        RaiseWarnings({"the network " + unreadable});
}

SharedNetwork NetworkOf(const py::handle& object)
{
    if (!py::isinstance<NetworkHandle>(object))
        return nullptr;
    return object.cast<const NetworkHandle&>().network;
}

py::object NetworkObject(SharedNetwork network) { return py::cast(NetworkHandle{std::move(network)}); }

void BindNetwork(py::module_& m)
{
    // The signatures are written out: pybind11 would show "object" for the
    // arrays and names taken as Python objects.
    py::options options;
    options.disable_function_signatures();
    py::class_<NetworkHandle>(m, "Network", R"(A feed-forward network, as Korvale's network files hold one.

Network(weights, biases, transfer, *, mean=None, std=None, pca=None)

Layer k computes transfer[k](weights[k] @ x + biases[k]), after the inputs
are centred by mean, divided by std and projected by pca when given.)")
        .def(py::init([](const py::object& weights, const py::object& biases, const py::object& transfer,
                         const py::object& mean, const py::object& std, const py::object& pca) {
                 NetworkParts parts;
                 const py::list weightList = Sequence(weights, "weights");
                 const py::list biasList = Sequence(biases, "biases");
                 const py::list transferList = Sequence(transfer, "transfer");
                 for (std::size_t k = 0; k < weightList.size(); ++k)
                     parts.weights.push_back(MatrixFrom(weightList[k], Indexed("weights", k)));
                 for (std::size_t k = 0; k < biasList.size(); ++k)
                     parts.biases.push_back(VectorFrom(biasList[k], Indexed("biases", k)));
                 for (std::size_t k = 0; k < transferList.size(); ++k) {
                     if (!py::isinstance<py::str>(transferList[k]))
                         throw py::type_error(Indexed("transfer", k) + " must be a name: purelin, tansig or logsig");
                     parts.transfer.push_back(transferList[k].cast<std::string>());
                 }
                 if (!mean.is_none())
                     parts.mean = VectorFrom(mean, "mean");
                 if (!std.is_none())
                     parts.std = VectorFrom(std, "std");
                 if (!pca.is_none())
                     parts.pca = MatrixFrom(pca, "pca");
                 return NetworkHandle{BuildNetwork(parts)};
             }),
             py::arg("weights"), py::arg("biases"), py::arg("transfer"), py::kw_only(), py::arg("mean") = py::none(),
             py::arg("std") = py::none(), py::arg("pca") = py::none(),
             R"(__init__(self, weights: Sequence[numpy.ndarray], biases: Sequence[numpy.ndarray], transfer: Sequence[str], *, mean: numpy.ndarray | None = None, std: numpy.ndarray | None = None, pca: numpy.ndarray | None = None) -> None

weights[k]: float64 (outputs_k, inputs_k); biases[k]: (outputs_k,);
transfer[k]: "purelin", "tansig" or "logsig"; mean, std: (inputs,);
pca: (components, inputs).)")
        .def_static(
            "load",
            [](const py::object& path) {
                const std::string name = PathText(path);
                py::gil_scoped_release release;
                return NetworkHandle{LoadNetworkFile(name)};
            },
            py::arg("path"), "load(path: str | os.PathLike) -> korvale.Network\n\nReads a network file as the window does; LoadError with "
            "the status line's text.")
        .def(
            "_text",
            [](const NetworkHandle& self, bool pointed) {
                const auto form = pointed ? Tarn::NumberForm::pointed : Tarn::NumberForm::shortest;
                return py::bytes(Tarn::NetworkFileText(*self.network, form));
            },
            py::arg("pointed") = false,
            "_text(self, pointed: bool = False) -> bytes\n\nThe network file's text; pointed writes the numbers as "
            "korvale-train does, as Python's repr writes a float (1.0, 0.0001), rather than in the fewest characters.")
        .def(
            "evaluate",
            [](const NetworkHandle& self, const py::object& x) {
                const Tarn::CFeedForward& network = *self.network;
                Doubles input;
                try {
                    input = py::cast<Doubles>(x);
                } catch (const py::cast_error&) {
                    throw py::type_error("x must be an array of numbers");
                }
                if (input.ndim() != 1 && input.ndim() != 2)
                    throw py::value_error("x must be 1-D (one input) or 2-D (one input a row)");
                const py::ssize_t width = input.shape(input.ndim() - 1);
                if (width != network.inputDimensions)
                    throw py::value_error("x has " + std::to_string(width) + " values per input, but the network takes "
                                          + std::to_string(network.inputDimensions));
                const py::ssize_t rows = input.ndim() == 1 ? 1 : input.shape(0);
                py::array_t<double> output = input.ndim() == 1
                    ? py::array_t<double>(network.outputDimensions)
                    : py::array_t<double>({rows, static_cast<py::ssize_t>(network.outputDimensions)});
                const double* in = input.data();
                double* out = output.mutable_data();
                {
                    py::gil_scoped_release release;
                    EvaluateRows(network, in, static_cast<std::size_t>(rows), out);
                }
                return output;
            },
            py::arg("x"),
            "evaluate(self, x: numpy.ndarray) -> numpy.ndarray\n\nKorvale's own evaluation: x float64 (inputs,) gives "
            "(outputs,), (n, inputs) gives (n, outputs).")
        .def_property_readonly(
            "inputs", [](const NetworkHandle& self) { return self.network->inputDimensions; }, "int: inputs taken.")
        .def_property_readonly(
            "outputs", [](const NetworkHandle& self) { return self.network->outputDimensions; }, "int: outputs given.")
        .def_property_readonly("weights",
                               [](const NetworkHandle& self) {
                                   py::list weights;
                                   for (const MatrixData& matrix : PartsOf(*self.network).weights)
                                       weights.append(MatrixArray(matrix));
                                   return weights;
                               },
                               "list of float64 (outputs_k, inputs_k): each layer's weights.")
        .def_property_readonly("biases",
                               [](const NetworkHandle& self) {
                                   py::list biases;
                                   for (const auto& bias : PartsOf(*self.network).biases)
                                       biases.append(Array(bias));
                                   return biases;
                               },
                               "list of float64 (outputs_k,): each layer's biases.")
        .def_property_readonly("transfer",
                               [](const NetworkHandle& self) {
                                   py::list names;
                                   for (std::size_t k = 0; k < self.network->transferFcns.size(); ++k)
                                       names.append(TransferName(*self.network, k));
                                   return py::tuple(names);
                               },
                               "tuple of str: each layer's transfer function.")
        .def_property_readonly("mean",
                               [](const NetworkHandle& self) -> py::object {
                                   if (!self.network->hasMean)
                                       return py::none();
                                   return Array(self.network->mean.data);
                               },
                               "float64 (inputs,) | None: what is taken from each input first.")
        .def_property_readonly("std",
                               [](const NetworkHandle& self) -> py::object {
                                   if (!self.network->hasStd)
                                       return py::none();
                                   return Array(self.network->std.data);
                               },
                               "float64 (inputs,) | None: what each centred input is divided by (0: the input is 0).")
        .def_property_readonly("pca",
                               [](const NetworkHandle& self) -> py::object {
                                   if (!self.network->hasPCA)
                                       return py::none();
                                   return MatrixArray(*PartsOf(*self.network).pca);
                               },
                               "float64 (components, inputs) | None: the principal-component projection.")
        .def("__repr__", [](const NetworkHandle& self) { return Describe(*self.network); })
        .def(py::pickle([](const NetworkHandle& self) { return py::bytes(Tarn::NetworkFileText(*self.network)); },
                        [](const py::bytes& text) { return NetworkHandle{NetworkFromText(text)}; }));
}

} // namespace Korvale::Python
