#include "conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "batch/finite_numbers.h"

namespace py = pybind11;

namespace korvel::python {

std::vector<double> CopyValues(const InputArray& values, const std::string& name) {
  if (values.ndim() != 1)
    Raise(PyExc_ValueError, name + ": a one-dimensional array of numbers is needed...");
  const double* data = values.data();
  return std::vector<double>(data, data + values.size());
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
      return py::str(j.get<std::string>());
    case nlohmann::ordered_json::value_t::array: {
      py::list list;
      for (const auto& item : j) list.append(FromJson(item));
      return list;
    }
    case nlohmann::ordered_json::value_t::object: {
      py::dict dict;
      for (const auto& [key, item] : j.items()) dict[py::str(key)] = FromJson(item);
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
    if (!line.empty()) lines.append(py::str(line));
  return lines;
}

void Raise(PyObject* type, const std::string& message) {
  PyErr_SetString(type, message.c_str());
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
