// The functions of the korvel package over the engines korvel-batch runs:
// each builds the state a load would leave (from a file or from arrays),
// runs the same batch step with the GIL released, and returns that step's
// JSON result as Python objects, so that the numbers cannot differ.
#include <pybind11/stl.h>

#include <sstream>

#include "batch/batch_search.h"
#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "batch/mean_curve_run.h"
#include "batch/observation_arrays.h"
#include "batch/search_report.h"
#include "batch/stats_command.h"
#include "bindings.h"
#include "conversions.h"
#include "core/thread_count.h"
#include "lightcurve/mean_curve_file.h"
#include "search/reshuffle.h"
#include "search/search_methods.h"
#include "search/search_parameters.h"

namespace py = pybind11;

namespace korvel::python {

namespace {

using batch::kExitFileMissing;
using batch::kExitOk;
using batch::kExitWriteError;

// A file that is missing is FileNotFoundError, one that exists but cannot be
// opened OSError, a malformed one ValueError.
[[noreturn]] void RaiseFileError(int exitCode, const std::string& file,
                                 const std::string& message) {
  if (exitCode == kExitFileMissing)
    Raise(FileExists(file) ? PyExc_OSError : PyExc_FileNotFoundError, message);
  if (exitCode == kExitWriteError) Raise(PyExc_OSError, message);
  Raise(PyExc_ValueError, message);
}

// The observations, checked and taken into a fresh state.
void StateFromArrays(AnalysisState& s, const InputArray& jd, const InputArray& mag) {
  const std::vector<double> jdValues = CopyValues(jd, "jd");
  const std::vector<double> magValues = CopyValues(mag, "mag");
  RefuseIf(batch::ObservationArraysProblem("jd", jdValues, "mag", magValues));
  batch::SetObservations(s, jdValues, magValues);
}

py::dict Load(const std::string& path, int32_t column, bool readZeros, std::optional<double> jdMin,
              std::optional<double> jdMax) {
  RefuseNonFinite("--jd-min", jdMin);
  RefuseNonFinite("--jd-max", jdMax);
  batch::LoadArgs args;
  args.file = path;
  args.read.column = column;
  args.read.readZeros = readZeros;
  if (jdMin) args.read.jdLow = *jdMin;
  if (jdMax) args.read.jdHigh = *jdMax;
  AnalysisState s;
  batch::LoadOutcome outcome;
  std::ostringstream err;
  {
    py::gil_scoped_release released;
    outcome = batch::LoadForBatch(s, args, err);
  }
  if (outcome.exitCode != kExitOk) RaiseFileError(outcome.exitCode, path, outcome.message);
  py::dict result = FromJson(batch::StatsJson(s, outcome.diagnostics));
  result["warning_kinds"] = result["warnings"];
  std::ostringstream warnings;
  batch::PrintReadWarnings(path, outcome.diagnostics, warnings);
  result["warnings"] = Lines(warnings.str());
  result["jd"] = ToNumpy(s.JD, 1, static_cast<size_t>(s.NObs));
  result["mag"] = ToNumpy(s.Mag, 1, static_cast<size_t>(s.NObs));
  return result;
}

const SearchMethod& MethodByName(const std::string& name) {
  const SearchMethod* method = MethodNamed(name);
  if (method == nullptr) Raise(PyExc_ValueError, "No search method " + name + "...");
  return *method;
}

struct SearchArguments {
  std::optional<double> pmin, pmax, phaseShift;
  bool window = false;
  std::optional<double> period, epoch, extremumDate;
  std::optional<int32_t> bins;
  int32_t mode = 1;
  int64_t maxTrials = batch::kDefaultMaxTrials;
  std::optional<int> threads;
};

// The command line's refusals of the options, in the words CLI11 and
// korvel-batch use for them.
batch::BatchSearchRequest SearchRequest(const SearchMethod& method, const SearchArguments& a) {
  RefuseNonFinite("--pmax", a.pmax);
  RefuseNonFinite("--pmin", a.pmin);
  RefuseNonFinite("--phase-shift", a.phaseShift);
  RefuseNonFinite("--period", a.period);
  RefuseNonFinite("--epoch", a.epoch);
  RefuseNonFinite("--extremum-date", a.extremumDate);
  if (a.mode != 1 && a.mode != 2)
    Raise(PyExc_ValueError, "--mode: " + std::to_string(a.mode) + " not in {1,2}");
  if (a.maxTrials < 1) Raise(PyExc_ValueError, "--max-trials: must be a whole number of 1 or more");
  if (a.threads && !ParseThreadCount(std::to_string(*a.threads)))
    Raise(PyExc_ValueError, std::string("--threads: ") + kThreadsRule);

  batch::BatchSearchRequest request;
  request.kind = method.kind;
  request.params = DefaultSearchParameters(method.kind);
  if (a.pmax) request.params.pmax = a.pmax;
  request.pmaxGiven = a.pmax.has_value();
  if (a.pmin) request.params.pmin = a.pmin;
  if (a.phaseShift) request.params.phaseShift = a.phaseShift;
  if (method.secondary) {
    request.params.period = a.period;
    request.periodGiven = a.period.has_value();
    if (a.epoch) request.params.epoch = a.epoch;
    if (a.extremumDate) request.params.extremumDate = a.extremumDate;
    if (a.bins) request.params.bins = a.bins;
    request.params.mode = a.mode;
  }
  request.window = method.deeming && a.window;
  request.maxTrials = a.maxTrials;
  request.threads = a.threads.value_or(DefaultThreadCount());
  return request;
}

py::dict Search(const std::string& methodName, const InputArray& jd, const InputArray& mag,
                const SearchArguments& arguments) {
  const SearchMethod& method = MethodByName(methodName);
  const batch::BatchSearchRequest request = SearchRequest(method, arguments);
  AnalysisState s;
  StateFromArrays(s, jd, mag);
  std::ostringstream err;
  batch::BatchSearchOutcome outcome;
  {
    // The engine touches only the state and the stream from here on.
    py::gil_scoped_release released;
    outcome = batch::RunBatchSearch(s, request, err);
    if (!outcome.exitCode) batch::ComputeFinalLevels(s, method.kind);
  }
  if (outcome.exitCode) {
    std::string message = err.str();
    while (!message.empty() && message.back() == '\n') message.pop_back();
    RaiseFileError(*outcome.exitCode, "", message);
  }
  py::dict result = FromJson(batch::SearchJson(s, method.kind, outcome.trials, outcome.status));
  result["status"] = outcome.status;
  // What a finished run reported besides its status (korvel-batch: stderr).
  result["messages"] = Lines(err.str());
  return result;
}

py::array_t<double> Reshuffle(const InputArray& mag, uint64_t seed) {
  const std::vector<double> magValues = CopyValues(mag, "mag");
  RefuseIf(batch::NonFiniteElement("mag", magValues));
  if (magValues.empty()) Raise(PyExc_ValueError, kNothingToReshuffle);
  AnalysisState s;
  // The dates take no part in the dealing.
  batch::SetObservations(s, std::vector<double>(magValues.size(), 0.0), magValues);
  {
    py::gil_scoped_release released;
    ReshuffleMags(s, seed);
  }
  return ToNumpy(s.Mag, 1, static_cast<size_t>(s.NObs));
}

batch::MeanCurveRequest CurveRequest(std::optional<double> period, std::optional<double> epoch,
                                     int32_t points, std::optional<double> binLength) {
  RefuseNonFinite("--period", period);
  RefuseNonFinite("--epoch", epoch);
  RefuseNonFinite("--bin-length", binLength);
  batch::MeanCurveRequest request;
  request.period = *period;
  request.epoch = *epoch;
  request.points = points;
  request.binLength = *binLength;
  return request;
}

py::dict Wave(const InputArray& jd, const InputArray& mag, double period, double epoch,
              int32_t points, double binLength) {
  const batch::MeanCurveRequest request = CurveRequest(period, epoch, points, binLength);
  RefuseIf(batch::MeanCurveProblem(request));
  AnalysisState s;
  StateFromArrays(s, jd, mag);
  {
    py::gil_scoped_release released;
    batch::SmoothObservations(s, request);
  }
  return FromJson(batch::MeanCurveJson(s));
}

py::dict Prewhiten(const InputArray& jd, const InputArray& mag, double period, double epoch,
                   int32_t points, double binLength, int32_t curve, const std::string& collect,
                   const std::string& residuals) {
  const batch::MeanCurveRequest request = CurveRequest(period, epoch, points, binLength);
  RefuseIf(batch::CurveNumberProblem(curve));
  RefuseIf(batch::MeanCurveProblem(request));
  AnalysisState s;
  StateFromArrays(s, jd, mag);
  nlohmann::ordered_json meanCurve;
  batch::StepOutcome done;
  {
    py::gil_scoped_release released;
    batch::SmoothObservations(s, request);
    meanCurve = batch::MeanCurveJson(s);
    done = batch::PrewhitenSmoothed(s, curve, collect, residuals);
  }
  if (done.exitCode != kExitOk) RaiseFileError(done.exitCode, "", done.message);
  py::dict result = FromJson(batch::ResidualStatsJson(s));
  result["residuals"] = ToNumpy(s.Mag, 1, static_cast<size_t>(s.NObs));
  result["curve"] = FromJson(meanCurve);
  return result;
}

py::dict Model(const std::string& file, const InputArray& t) {
  const std::vector<double> dates = CopyValues(t, "t");
  RefuseIf(batch::NonFiniteElement("t", dates));
  AnalysisState s;
  ReadDiagnostics diagnostics;
  batch::StepOutcome loaded;
  std::vector<double> values(dates.size());
  {
    py::gil_scoped_release released;
    loaded = batch::LoadModel(s, file, diagnostics);
    if (loaded.exitCode == kExitOk)
      for (size_t k = 0; k < dates.size(); ++k) values[k] = ModelValue(s, dates[k]);
  }
  if (loaded.exitCode != kExitOk) RaiseFileError(loaded.exitCode, file, loaded.message);
  std::ostringstream warnings;
  batch::PrintReadWarnings(file, diagnostics, warnings);
  py::dict result;
  result["curves"] = s.MLCCurves;
  result["t"] = ToNumpy(dates, 0, dates.size());
  result["mag"] = ToNumpy(values, 0, values.size());
  result["warnings"] = Lines(warnings.str());
  result["warning_kinds"] = FromJson(batch::ReadWarningsJson(diagnostics));
  return result;
}

// The defaults of the dialogs and of korvel-batch, for the Python signatures.
py::dict Defaults() {
  py::dict defaults;
  for (const SearchMethod& method : SearchMethods()) {
    const SearchParameters p = DefaultSearchParameters(method.kind);
    py::dict d;
    d["pmin"] = *p.pmin;
    d["pmax"] = *p.pmax;
    d["phase_shift"] = *p.phaseShift;
    d["epoch"] = *p.epoch;
    d["extremum_date"] = *p.extremumDate;
    d["bins"] = *p.bins;
    d["mode"] = p.mode;
    defaults[py::str(method.name)] = d;
  }
  defaults["max_trials"] = batch::kDefaultMaxTrials;
  defaults["points"] = kDefaultMeanPoints;
  defaults["bin_length"] = kDefaultBinLength;
  defaults["curve"] = WaveParameters{}.curveNumber;
  return defaults;
}

}  // namespace

void RegisterFunctions(py::module_& m) {
  using namespace pybind11::literals;
  m.def("load", &Load, "path"_a, "column"_a, "read_zeros"_a, "jd_min"_a, "jd_max"_a);
  m.def(
      "search",
      [](const std::string& method, const InputArray& jd, const InputArray& mag,
         std::optional<double> pmin, std::optional<double> pmax, std::optional<double> phaseShift,
         bool window, std::optional<double> period, std::optional<double> epoch,
         std::optional<double> extremumDate, std::optional<int32_t> bins, int32_t mode,
         int64_t maxTrials, std::optional<int> threads) {
        return Search(method, jd, mag,
                      {pmin, pmax, phaseShift, window, period, epoch, extremumDate, bins, mode,
                       maxTrials, threads});
      },
      "method"_a, "jd"_a, "mag"_a, "pmin"_a, "pmax"_a, "phase_shift"_a, "window"_a, "period"_a,
      "epoch"_a, "extremum_date"_a, "bins"_a, "mode"_a, "max_trials"_a, "threads"_a);
  m.def("reshuffle", &Reshuffle, "mag"_a, "seed"_a);
  m.def("wave", &Wave, "jd"_a, "mag"_a, "period"_a, "epoch"_a, "points"_a, "bin_length"_a);
  m.def("prewhiten", &Prewhiten, "jd"_a, "mag"_a, "period"_a, "epoch"_a, "points"_a, "bin_length"_a,
        "curve"_a, "collect"_a, "residuals"_a);
  m.def("model", &Model, "collecting_file"_a, "t"_a);
  m.def("defaults", &Defaults);
}

}  // namespace korvel::python
