// What the bindings share: the arguments the functions take (one rule per
// kind, each refusing a value it cannot take in one line that names the
// parameter), numbers out to numpy, JSON results as Python objects, and
// refusals raised as the Python exception that fits.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace korvel::python {

// A file name as str, bytes or os.PathLike, in the bytes the system is
// handed (os.fsencode). Another type is a TypeError; a NUL byte, which would
// cut the name short, a ValueError.
std::string PathArgument(pybind11::handle value, const std::string& name);

// The same, with None for "no file" (an empty name).
std::string OptionalPathArgument(pybind11::handle value, const std::string& name);

// A word (a str), as a column or band name is given; None for nothing (an
// empty word). Another type is a TypeError.
std::string TextArgument(pybind11::handle value, const std::string& name);
std::string OptionalTextArgument(pybind11::handle value, const std::string& name);

// An array-like of real numbers (integers, booleans or floats), copied out
// as float64 so that an engine can run without the GIL. Complex, object,
// text or ragged values are a TypeError: converting them would drop an
// imaginary part or guess at a number. Another number of dimensions than
// one (or none, when a single number is allowed) is a ValueError.
std::vector<double> ArrayArgument(pybind11::handle value, const std::string& name,
                                  bool scalarAllowed = false);

// A real number (int, float or a numpy scalar of either; not a bool).
double RealArgument(pybind11::handle value, const std::string& name);
std::optional<double> OptionalRealArgument(pybind11::handle value, const std::string& name);

// A whole number (int or a numpy integer; not a bool), any size.
pybind11::int_ WholeNumberArgument(pybind11::handle value, const std::string& name);

// Raises ValueError: name takes a whole number from low to high.
[[noreturn]] void RefuseWholeNumber(const std::string& name, const std::string& low,
                                    const std::string& high);

// A whole number that Int can hold.
template <class Int>
Int WholeArgument(pybind11::handle value, const std::string& name) {
  using Limits = std::numeric_limits<Int>;
  const pybind11::int_ whole = WholeNumberArgument(value, name);
  if (whole < pybind11::int_(Limits::min()) || whole > pybind11::int_(Limits::max()))
    RefuseWholeNumber(name, std::to_string(Limits::min()), std::to_string(Limits::max()));
  return whole.cast<Int>();
}

template <class Int>
std::optional<Int> OptionalWholeArgument(pybind11::handle value, const std::string& name) {
  if (value.is_none()) return std::nullopt;
  return WholeArgument<Int>(value, name);
}

// True or False (a numpy bool too).
bool FlagArgument(pybind11::handle value, const std::string& name);

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
