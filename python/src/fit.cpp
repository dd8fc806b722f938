// korvel.fit: the multi-frequency fit of korvel-batch fit on arrays, its
// JSON result as Python objects with the residuals as a numpy array.
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <vector>

#include "batch/fit_command.h"
#include "batch/observation_arrays.h"
#include "bindings.h"
#include "conversions.h"
#include "lightcurve/frequency_analysis.h"

namespace py = pybind11;

namespace korvel::python {

namespace {

py::object Fit(py::handle jd, py::handle mag, py::handle err, py::handle fmin, py::handle fmax,
               py::handle snr, py::handle noiseBox, py::handle maxFrequencies, py::handle fap,
               py::handle frequencies) {
  const std::vector<double> t = ArrayArgument(jd, "jd"), m = ArrayArgument(mag, "mag");
  RefuseIf(batch::ObservationArraysProblem("jd", t, "mag", m));
  std::vector<double> e;
  if (!err.is_none()) {
    e = ArrayArgument(err, "err");
    if (e.size() != t.size()) RefuseIf("err: its length differs from that of jd.");
  }
  FrequencyAnalysisOptions o;
  o.fmin = OptionalRealArgument(fmin, "fmin").value_or(0);
  o.fmax = OptionalRealArgument(fmax, "fmax").value_or(0);
  o.snrLimit = RealArgument(snr, "snr");
  o.noiseBox = RealArgument(noiseBox, "noise_box");
  o.maxFrequencies = WholeArgument<int>(maxFrequencies, "max_frequencies");
  o.fap = OptionalRealArgument(fap, "fap");
  if (!frequencies.is_none()) {
    o.frequencies = ArrayArgument(frequencies, "frequencies", true);
    if (o.frequencies.empty()) RefuseIf("frequencies: give at least one, or None to search.");
  }
  for (const auto& [name, value] : {std::pair<const char*, std::optional<double>>{"--fmin", o.fmin},
                                    {"--fmax", o.fmax},
                                    {"--snr", o.snrLimit},
                                    {"--noise-box", o.noiseBox},
                                    {"--fap", o.fap}})
    RefuseNonFinite(name, value);
  FrequencyAnalysis r;
  {
    py::gil_scoped_release released;
    r = AnalyseFrequencies(t, m, e, o);
  }
  RefuseIf(r.ok() ? std::nullopt : std::optional<std::string>(r.problem));
  py::dict result = FromJson(batch::FitJson(r));
  result["residuals"] = ToNumpy(r.residuals, 0, r.residuals.size());
  return result;
}

}  // namespace

void RegisterFit(py::module_& m) {
  using namespace pybind11::literals;
  m.def("fit", &Fit, "jd"_a, "mag"_a, "err"_a, "fmin"_a, "fmax"_a, "snr"_a, "noise_box"_a,
        "max_frequencies"_a, "fap"_a, "frequencies"_a);
}

}  // namespace korvel::python
