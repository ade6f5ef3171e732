#include "BindingHelpers.h"

namespace Korvale::Python {

void CheckPythonSignals()
{
    pybind11::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0)
        throw pybind11::error_already_set();
}

} // namespace Korvale::Python
