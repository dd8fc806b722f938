#include "conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "batch/finite_numbers.h"
#include "io/file_paths.h"

namespace py = pybind11;

namespace korvel::python {

namespace {

std::string TypeName(py::handle value) {
  return py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>();
}

[[noreturn]] void WrongType(py::handle value, const std::string& name, const std::string& needed) {
  Raise(PyExc_TypeError, name + ": " + needed + " is needed, not " + TypeName(value) + "...");
}

bool IsBool(py::handle value) {
  return PyBool_Check(value.ptr()) ||
         py::isinstance(value, py::module_::import("numpy").attr("bool_"));
}

bool IsInstance(py::handle value, const char* module, const char* type) {
  return py::isinstance(value, py::module_::import(module).attr(type));
}

// Text the engines made (file names included, which need not be UTF-8) as a
// Python str: undecodable bytes come back as os.fsdecode gives them.
py::str Text(const std::string& text) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(text.data(), static_cast<py::ssize_t>(text.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

}  // namespace

std::string PathArgument(py::handle value, const std::string& name) {
  const py::module_ os = py::module_::import("os");
  py::object path;
  try {
    path = os.attr("fspath")(value);
  } catch (const py::error_already_set& e) {
    if (!e.matches(PyExc_TypeError)) throw;
    WrongType(value, name, "a file name (str, bytes or os.PathLike)");
  }
  // A str becomes the bytes it names on this system (undecodable bytes
  // included), as Python's own open() would hand them over.
  const std::string bytes = os.attr("fsencode")(path).cast<std::string>();
  if (const auto problem = PathProblem(bytes)) Raise(PyExc_ValueError, *problem);
  return bytes;
}

std::string OptionalPathArgument(py::handle value, const std::string& name) {
  return value.is_none() ? std::string() : PathArgument(value, name);
}

std::string TextArgument(py::handle value, const std::string& name) {
  if (!py::isinstance<py::str>(value)) WrongType(value, name, "a str");
  return value.cast<std::string>();
}

std::string OptionalTextArgument(py::handle value, const std::string& name) {
  return value.is_none() ? std::string() : TextArgument(value, name);
}

std::vector<double> ArrayArgument(py::handle value, const std::string& name, bool scalarAllowed) {
  const py::module_ np = py::module_::import("numpy");
  py::object array;
  try {
    array = np.attr("asarray")(value);
  } catch (const py::error_already_set& e) {
    // Ragged sequences, and objects whose conversion fails.
    if (!e.matches(PyExc_ValueError) && !e.matches(PyExc_TypeError)) throw;
    WrongType(value, name, "an array of real numbers");
  }
  const std::string kind = py::str(array.attr("dtype").attr("kind")).cast<std::string>();
  if (kind.size() != 1 || std::string("biuf").find(kind[0]) == std::string::npos) {
    const std::string what = kind == "c"   ? "complex numbers"
                             : kind == "O" ? "Python objects"
                             : (kind == "U" || kind == "S")
                                 ? "text"
                                 : py::str(array.attr("dtype")).cast<std::string>() + " values";
    Raise(PyExc_TypeError, name + ": real numbers are needed, not " + what + "...");
  }
  const auto values = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(
      array.attr("astype")(np.attr("float64")));
  if (!values) throw py::error_already_set();
  if (values.ndim() != 1 && !(scalarAllowed && values.ndim() == 0))
    Raise(PyExc_ValueError, name + ": a one-dimensional array of numbers is needed...");
  const double* data = values.data();
  return std::vector<double>(data, data + values.size());
}

double RealArgument(py::handle value, const std::string& name) {
  if (IsBool(value) || !IsInstance(value, "numbers", "Real")) WrongType(value, name, "a number");
  try {
    return py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
  } catch (const py::error_already_set& e) {
    if (!e.matches(PyExc_OverflowError)) throw;
    Raise(PyExc_ValueError, name + ": " + py::str(value).cast<std::string>() +
                                " is too large for a number of double precision...");
  }
}

std::optional<double> OptionalRealArgument(py::handle value, const std::string& name) {
  if (value.is_none()) return std::nullopt;
  return RealArgument(value, name);
}

py::int_ WholeNumberArgument(py::handle value, const std::string& name) {
  if (IsBool(value) || !IsInstance(value, "numbers", "Integral"))
    WrongType(value, name, "a whole number");
  return py::int_(py::reinterpret_borrow<py::object>(value));
}

void RefuseWholeNumber(const std::string& name, const std::string& low, const std::string& high) {
  Raise(PyExc_ValueError, name + ": a whole number from " + low + " to " + high + " is needed...");
}

bool FlagArgument(py::handle value, const std::string& name) {
  if (!IsBool(value)) WrongType(value, name, "True or False");
  return py::bool_(py::reinterpret_borrow<py::object>(value));
}

py::array_t<double> ToNumpy(const std::vector<double>& values, size_t first, size_t count) {
  py::array_t<double> out(static_cast<py::ssize_t>(count));
  std::copy(values.begin() + static_cast<std::ptrdiff_t>(first),
            values.begin() + static_cast<std::ptrdiff_t>(first + count), out.mutable_data());
  return out;
}

py::object FromJson(const nlohmann::ordered_json& j) {
  switch (j.type()) {
    case nlohmann::ordered_json::value_t::null:
      return py::none();
    case nlohmann::ordered_json::value_t::boolean:
      return py::bool_(j.get<bool>());
    case nlohmann::ordered_json::value_t::number_integer:
      return py::int_(j.get<int64_t>());
    case nlohmann::ordered_json::value_t::number_unsigned:
      return py::int_(j.get<uint64_t>());
    case nlohmann::ordered_json::value_t::number_float:
      return py::float_(j.get<double>());
    case nlohmann::ordered_json::value_t::string:
      return Text(j.get<std::string>());
    case nlohmann::ordered_json::value_t::array: {
      py::list list;
      for (const auto& item : j) list.append(FromJson(item));
      return list;
    }
    case nlohmann::ordered_json::value_t::object: {
      py::dict dict;
      for (const auto& [key, item] : j.items()) dict[Text(key)] = FromJson(item);
      return dict;
    }
    default:
      return py::none();
  }
}

py::list Lines(const std::string& text) {
  py::list lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.append(Text(line));
  return lines;
}

void Raise(PyObject* type, const std::string& message) {
  PyErr_SetObject(type, Text(message).ptr());
  throw py::error_already_set();
}

void RefuseIf(const std::optional<std::string>& refusal) {
  if (refusal) Raise(PyExc_ValueError, *refusal);
}

void RefuseNonFinite(const std::string& option, std::optional<double> value) {
  if (!value || std::isfinite(*value)) return;
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, *value);
  Raise(PyExc_ValueError, batch::NotFiniteMessage(option, std::string(text, written.ptr)));
}

}  // namespace korvel::python
