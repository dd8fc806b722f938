// What the bindings share: numbers in and out of numpy, JSON results as
// Python objects, and refusals raised as the Python exception that fits.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace korvel::python {

// Any array-like, converted to contiguous float64 by pybind11.
using InputArray = pybind11::array_t<double, pybind11::array::c_style | pybind11::array::forcecast>;

// A one-dimensional array's values, copied out so that an engine can run
// without the GIL.
std::vector<double> CopyValues(const InputArray& values, const std::string& name);

// count values from values[first] on, as a new numpy array.
pybind11::array_t<double> ToNumpy(const std::vector<double>& values, size_t first, size_t count);

// A JSON result as dicts, lists, floats, ints, strings and None (numbers
// keep every bit).
pybind11::object FromJson(const nlohmann::ordered_json& j);

// The lines of a text written for stderr, without their line ends.
pybind11::list Lines(const std::string& text);

// Raises the exception of the given Python type with the message.
[[noreturn]] void Raise(PyObject* type, const std::string& message);

// Raises ValueError with the refusal when there is one.
void RefuseIf(const std::optional<std::string>& refusal);

// The refusal of a real-valued parameter that is not a finite number, named
// as the command line names it ("--epoch: nan is not a finite number...").
void RefuseNonFinite(const std::string& option, std::optional<double> value);

}  // namespace korvel::python
