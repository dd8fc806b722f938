// The functions of the korvel package over the engines korvel-batch runs:
// each builds the state a load would leave (from a file or from arrays),
// runs the same batch step with the GIL released, and returns that step's
// JSON result as Python objects, so that the numbers cannot differ.
#include <pybind11/stl.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <sstream>
#include <string_view>

#include "batch/batch_search.h"
#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "batch/mean_curve_run.h"
#include "batch/observation_arrays.h"
#include "batch/search_peaks.h"
#include "batch/search_report.h"
#include "batch/stats_command.h"
#include "bindings.h"
#include "conversions.h"
#include "core/error.h"
#include "core/thread_count.h"
#include "interruptible.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "search/adopt.h"
#include "search/engine_support.h"
#include "search/multi_harmonic_aov.h"
#include "search/pdm.h"
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

// Runs f(job, stop) with Ctrl-C watched (interruptible.h). The job holds
// all the engine reads and writes: it is shared with the engine's thread,
// which outlives the call when Ctrl-C abandons it.
template <class Job, class F>
void RunJob(const std::shared_ptr<Job>& job, F f) {
  RunInterruptibly([job, f](const std::atomic<bool>& stop) { f(*job, stop); });
}

// Observations given as arrays, checked, with their errors where given
// (empty: none). The state is made of them on the engine's thread: its
// arrays for a long series take a while to build.
struct Arrays {
  std::vector<double> jd, mag, err;
  void Into(AnalysisState& s) const {
    batch::SetObservations(s, jd, mag);
    // Beside JD and Mag, element 0 unused, as a file's error column.
    if (!err.empty()) {
      s.Err.assign(1, 0.0);
      s.Err.insert(s.Err.end(), err.begin(), err.end());
    }
  }
};

Arrays CheckedArrays(py::handle jd, py::handle mag, py::handle err = py::none()) {
  Arrays arrays{ArrayArgument(jd, "jd"), ArrayArgument(mag, "mag"), {}};
  RefuseIf(batch::ObservationArraysProblem("jd", arrays.jd, "mag", arrays.mag));
  if (err.is_none()) return arrays;
  arrays.err = ArrayArgument(err, "err");
  RefuseIf(batch::ObservationArraysProblem("mag", arrays.mag, "err", arrays.err));
  // A weight of 1/err^2 needs an error above 0.
  for (size_t i = 0; i < arrays.err.size(); ++i)
    if (!(arrays.err[i] > 0))
      Raise(PyExc_ValueError, "err[" + std::to_string(i) + "]: " + ShortestText(arrays.err[i]) +
                                  " is not an error above 0...");
  return arrays;
}

// A load run as korvel-batch runs it: its arguments, the state it fills,
// its outcome and what it wrote.
struct LoadJob {
  batch::LoadArgs args;
  AnalysisState s;
  batch::LoadOutcome outcome;
  std::ostringstream err;
};

// The read options of korvel-batch's --format, --band, --time-col,
// --mag-col, --err-col, --time-offset and --flux.
struct FormatArguments {
  py::handle format, band, timeCol, magCol, errCol, timeOffset, flux;
};

void SetFormatOptions(const FormatArguments& a, ReadOptions& read) {
  const std::string format = TextArgument(a.format, "format");
  try {
    read.format = ObservationFormatOfName(format);
  } catch (const KorvelError& e) {
    Raise(PyExc_ValueError, std::string("format: ") + e.what());
  }
  read.band = OptionalTextArgument(a.band, "band");
  read.timeColumn = OptionalTextArgument(a.timeCol, "time_col");
  read.magColumn = OptionalTextArgument(a.magCol, "mag_col");
  read.errColumn = OptionalTextArgument(a.errCol, "err_col");
  read.timeOffset = RealArgument(a.timeOffset, "time_offset");
  RefuseNonFinite("--time-offset", read.timeOffset);
  read.keepFlux = FlagArgument(a.flux, "flux");
}

py::dict Load(py::handle pathArg, py::handle columnArg, py::handle readZerosArg,
              py::handle jdMinArg, py::handle jdMaxArg, const FormatArguments& formatArgs) {
  const auto job = std::make_shared<LoadJob>();
  batch::LoadArgs& args = job->args;
  args.file = PathArgument(pathArg, "path");
  args.read.column = WholeArgument<int32_t>(columnArg, "column");
  args.read.readZeros = FlagArgument(readZerosArg, "read_zeros");
  const std::optional<double> jdMin = OptionalRealArgument(jdMinArg, "jd_min");
  const std::optional<double> jdMax = OptionalRealArgument(jdMaxArg, "jd_max");
  RefuseNonFinite("--jd-min", jdMin);
  RefuseNonFinite("--jd-max", jdMax);
  if (jdMin) args.read.jdLow = *jdMin;
  if (jdMax) args.read.jdHigh = *jdMax;
  SetFormatOptions(formatArgs, args.read);
  RunJob(job, [](LoadJob& j, const auto&) { j.outcome = batch::LoadForBatch(j.s, j.args, j.err); });
  const std::string& path = args.file;
  const AnalysisState& s = job->s;
  const batch::LoadOutcome& outcome = job->outcome;
  if (outcome.exitCode != kExitOk) RaiseFileError(outcome.exitCode, path, outcome.message);
  // The keys of stats --json, what the load read among them.
  py::dict result = FromJson(batch::StatsJson(s, outcome));
  result["warning_kinds"] = result["warnings"];
  // A load that succeeded wrote only its warnings: the dropped rows of an
  // archive's file, then what the reader passed over.
  result["warnings"] = Lines(job->err.str());
  const auto n = static_cast<size_t>(s.NObs);
  result["jd"] = ToNumpy(s.JD, 1, n);
  result["mag"] = ToNumpy(s.Mag, 1, n);
  // Errors only where the file gave them (Err then runs beside JD and Mag).
  result["err"] = s.Err.size() == n + 1 ? py::object(ToNumpy(s.Err, 1, n)) : py::object(py::none());
  return result;
}

// A search that was refused raises what it wrote to err.
void RaiseIfRefused(const std::optional<int>& exitCode, const std::ostringstream& err) {
  if (!exitCode) return;
  std::string message = err.str();
  while (!message.empty() && message.back() == '\n') message.pop_back();
  RaiseFileError(*exitCode, "", message);
}

// An analysis file restored as korvel-batch --analysis restores it: the
// document as JSON, with the observations it leaves (deletions applied,
// residuals where it holds them) and the observation file read.
py::dict LoadAnalysis(py::handle pathArg) {
  const auto job = std::make_shared<LoadJob>();
  job->args.analysis = PathArgument(pathArg, "path");
  RunJob(job, [](LoadJob& j, const auto&) { j.outcome = batch::LoadForBatch(j.s, j.args, j.err); });
  const AnalysisState& s = job->s;
  const batch::LoadOutcome& outcome = job->outcome;
  if (outcome.exitCode != kExitOk)
    RaiseFileError(outcome.exitCode, job->args.analysis, outcome.message);
  py::dict result = FromJson(AnalysisJson(*outcome.analysis));
  result["observation_file"] = s.DataFileName;
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
  std::optional<int32_t> bins;  // the secondary period's, or pdm's
  int32_t mode = 1;
  int64_t maxTrials = batch::kDefaultMaxTrials;
  std::optional<int> threads;
  std::optional<int> harmonics, covers, phaseBins, magBins;  // of mhaov, pdm, ce
};

// A method parameter given, checked against its range.
void TakeWhole(const std::optional<int>& given, const std::string& name, int low, int high,
               int& target) {
  if (!given) return;
  if (*given < low || *given > high)
    RefuseWholeNumber(name, std::to_string(low), std::to_string(high));
  target = *given;
}

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
  batch::MethodParameters& m = request.methods;
  TakeWhole(a.harmonics, "harmonics", 1, kMaxAovHarmonics, m.harmonics);
  if (std::string_view(method.name) == batch::kPdmMethod)
    TakeWhole(a.bins, "bins", kMinPhaseBins, kMaxPhaseBins, m.pdmBins);
  TakeWhole(a.covers, "covers", 1, kMaxPdmCovers, m.pdmCovers);
  TakeWhole(a.phaseBins, "phase_bins", kMinPhaseBins, kMaxPhaseBins, m.cePhaseBins);
  TakeWhole(a.magBins, "mag_bins", kMinPhaseBins, kMaxPhaseBins, m.ceMagBins);
  request.maxTrials = a.maxTrials;
  request.threads = a.threads.value_or(DefaultThreadCount());
  return request;
}

py::dict Search(const std::string& methodName, py::handle jd, py::handle mag, py::handle errors,
                const SearchArguments& arguments) {
  const SearchMethod& method = MethodByName(methodName);
  struct Job {
    batch::BatchSearchRequest request;
    Arrays arrays;
    AnalysisState s;
    std::ostringstream err;
    batch::BatchSearchOutcome outcome;
  };
  const auto job = std::make_shared<Job>();
  job->request = SearchRequest(method, arguments);
  job->arrays = CheckedArrays(jd, mag, errors);
  RunJob(job, [](Job& j, const std::atomic<bool>& stop) {
    j.arrays.Into(j.s);
    j.request.cancel = &stop;
    j.outcome = batch::RunBatchSearch(j.s, j.request, j.err);
  });
  const std::ostringstream& err = job->err;
  const batch::BatchSearchOutcome& outcome = job->outcome;
  RaiseIfRefused(outcome.exitCode, err);
  const std::vector<PeakReport> peaks =
      batch::SearchPeaks(outcome.result, outcome.search, ObservationsOf(job->s),
                         batch::PeakOptions{}, job->request.threads);
  py::dict result = FromJson(batch::SearchJson(outcome.result, outcome.status, &peaks));
  result["status"] = outcome.status;
  // What a finished run reported besides its status (korvel-batch: stderr).
  result["messages"] = Lines(err.str());
  return result;
}

// The period adopted among the distinct peaks of both searches
// (search/adopt.h), as korvel-batch survey --methods adopted adopts it.
py::dict Adopt(py::handle jd, py::handle mag, const SearchArguments& arguments,
               const batch::PeakOptions& peaks) {
  if (peaks.count < 1 || peaks.count > batch::kMaxPeaks)
    RefuseWholeNumber("peaks", "1", std::to_string(batch::kMaxPeaks));
  if (peaks.fapShuffles < 0 || peaks.fapShuffles > batch::kMaxFapShuffles)
    RefuseWholeNumber("fap_shuffles", "0", std::to_string(batch::kMaxFapShuffles));
  struct Job {
    std::vector<batch::BatchSearchRequest> requests;
    batch::PeakOptions peaks;
    Arrays arrays;
    AnalysisState s;
    std::ostringstream err;
    std::optional<int> exitCode;
    AdoptedPeriod adopted;
  };
  const auto job = std::make_shared<Job>();
  for (const SearchKind kind : {SearchKind::LaflerKinman, SearchKind::Deeming})
    job->requests.push_back(SearchRequest(MethodOf(kind), arguments));
  job->peaks = peaks;
  job->arrays = CheckedArrays(jd, mag);
  RunJob(job, [](Job& j, const std::atomic<bool>& stop) {
    j.arrays.Into(j.s);
    std::vector<PeakList> lists;
    for (batch::BatchSearchRequest& request : j.requests) {
      request.cancel = &stop;
      AnalysisState s = j.s;
      const batch::BatchSearchOutcome outcome = batch::RunBatchSearch(s, request, j.err);
      if ((j.exitCode = outcome.exitCode)) return;
      lists.push_back({MethodOf(request.kind).name,
                       batch::SearchPeaks(outcome.result, outcome.search, ObservationsOf(s),
                                          j.peaks, request.threads)});
    }
    j.adopted = AdoptPeriod(lists, ObservationsOf(j.s));
  });
  RaiseIfRefused(job->exitCode, job->err);
  const AdoptedPeriod& a = job->adopted;
  if (!a.ok()) Raise(PyExc_ValueError, a.problem);
  const auto number = [](double x) {
    return std::isfinite(x) ? py::object(py::float_(x)) : py::none();
  };
  py::dict result;
  result["period"] = a.period;
  result["error"] = number(a.error);
  result["fap"] = number(a.fap);
  result["method"] = a.method;
  result["peak"] = a.peak;
  result["doubled"] = a.doubled;
  result["reason"] = a.reason;
  return result;
}

py::array_t<double> Reshuffle(py::handle mag, py::handle seed) {
  const std::vector<double> magValues = ArrayArgument(mag, "mag");
  const auto seedValue = WholeArgument<uint64_t>(seed, "seed");
  RefuseIf(batch::NonFiniteElement("mag", magValues));
  if (magValues.empty()) Raise(PyExc_ValueError, kNothingToReshuffle);
  struct Job {
    // The dates take no part in the dealing.
    Arrays arrays;
    AnalysisState s;
  };
  const auto job = std::make_shared<Job>();
  job->arrays = {std::vector<double>(magValues.size(), 0.0), magValues, {}};
  RunJob(job, [seedValue](Job& j, const auto&) {
    j.arrays.Into(j.s);
    ReshuffleMags(j.s, seedValue);
  });
  return ToNumpy(job->s.Mag, 1, static_cast<size_t>(job->s.NObs));
}

// The elements of a mean curve, with the refusals of korvel-batch wave.
batch::MeanCurveRequest CurveRequest(py::handle period, py::handle epoch, py::handle points,
                                     py::handle binLength) {
  batch::MeanCurveRequest request;
  request.period = RealArgument(period, "period");
  request.epoch = RealArgument(epoch, "epoch");
  request.points = WholeArgument<int32_t>(points, "points");
  request.binLength = RealArgument(binLength, "bin_length");
  RefuseNonFinite("--period", request.period);
  RefuseNonFinite("--epoch", request.epoch);
  RefuseNonFinite("--bin-length", request.binLength);
  return request;
}

py::dict Wave(py::handle jd, py::handle mag, py::handle period, py::handle epoch, py::handle points,
              py::handle binLength) {
  const batch::MeanCurveRequest request = CurveRequest(period, epoch, points, binLength);
  RefuseIf(batch::MeanCurveProblem(request));
  struct Job {
    Arrays arrays;
    AnalysisState s;
  };
  const auto job = std::make_shared<Job>();
  job->arrays = CheckedArrays(jd, mag);
  RunJob(job, [request](Job& j, const auto&) {
    j.arrays.Into(j.s);
    batch::SmoothObservations(j.s, request);
  });
  return FromJson(batch::MeanCurveJson(job->s));
}

py::dict Prewhiten(py::handle jd, py::handle mag, py::handle period, py::handle epoch,
                   py::handle points, py::handle binLength, py::handle curveArg,
                   py::handle collectArg, py::handle residualsArg) {
  struct Job {
    batch::MeanCurveRequest request;
    int32_t curve = 0;
    std::string collect, residuals;
    Arrays arrays;
    AnalysisState s;
    nlohmann::ordered_json meanCurve;
    batch::StepOutcome done;
  };
  const auto job = std::make_shared<Job>();
  job->request = CurveRequest(period, epoch, points, binLength);
  job->curve = WholeArgument<int32_t>(curveArg, "curve");
  job->collect = OptionalPathArgument(collectArg, "collect");
  job->residuals = OptionalPathArgument(residualsArg, "residuals");
  RefuseIf(batch::CurveNumberProblem(job->curve));
  RefuseIf(batch::MeanCurveProblem(job->request));
  job->arrays = CheckedArrays(jd, mag);
  RunJob(job, [](Job& j, const std::atomic<bool>& stop) {
    j.arrays.Into(j.s);
    batch::SmoothObservations(j.s, j.request);
    j.meanCurve = batch::MeanCurveJson(j.s);
    // Interrupted before the files are written: none is.
    if (!stop.load(std::memory_order_relaxed))
      j.done = batch::PrewhitenSmoothed(j.s, j.curve, j.collect, j.residuals);
  });
  const AnalysisState& s = job->s;
  const batch::StepOutcome& done = job->done;
  const nlohmann::ordered_json& meanCurve = job->meanCurve;
  if (done.exitCode != kExitOk) RaiseFileError(done.exitCode, "", done.message);
  py::dict result = FromJson(batch::ResidualStatsJson(s));
  result["residuals"] = ToNumpy(s.Mag, 1, static_cast<size_t>(s.NObs));
  result["curve"] = FromJson(meanCurve);
  return result;
}

py::dict Model(py::handle fileArg, py::handle t) {
  struct Job {
    std::string file;
    std::vector<double> dates, values;
    AnalysisState s;
    ReadDiagnostics diagnostics;
    batch::StepOutcome loaded;
  };
  const auto job = std::make_shared<Job>();
  job->file = PathArgument(fileArg, "collecting_file");
  job->dates = ArrayArgument(t, "t", true);
  RefuseIf(batch::NonFiniteElement("t", job->dates));
  job->values.resize(job->dates.size());
  RunJob(job, [](Job& j, const std::atomic<bool>& stop) {
    j.loaded = batch::LoadModel(j.s, j.file, j.diagnostics);
    if (j.loaded.exitCode != kExitOk) return;
    for (size_t k = 0; k < j.dates.size(); ++k) {
      // A few milliseconds of dates between looks at the flag.
      if (k % 4096 == 0 && stop.load(std::memory_order_relaxed)) return;
      j.values[k] = ModelValue(j.s, j.dates[k]);
    }
  });
  const std::string& file = job->file;
  const AnalysisState& s = job->s;
  const std::vector<double>& dates = job->dates;
  const std::vector<double>& values = job->values;
  const ReadDiagnostics& diagnostics = job->diagnostics;
  const batch::StepOutcome& loaded = job->loaded;
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
  // The methods this build has, in the table's order.
  py::list methods;
  for (const SearchMethod& method : SearchMethods()) methods.append(method.name);
  defaults["methods"] = methods;
  const batch::MethodParameters m;
  defaults["harmonics"] = m.harmonics;
  defaults["pdm_bins"] = m.pdmBins;
  defaults["pdm_covers"] = m.pdmCovers;
  defaults["ce_phase_bins"] = m.cePhaseBins;
  defaults["ce_mag_bins"] = m.ceMagBins;
  defaults["max_trials"] = batch::kDefaultMaxTrials;
  defaults["points"] = kDefaultMeanPoints;
  defaults["bin_length"] = kDefaultBinLength;
  defaults["curve"] = WaveParameters{}.curveNumber;
  return defaults;
}

}  // namespace

void RegisterFunctions(py::module_& m) {
  using namespace pybind11::literals;
  // Every argument is taken as an object and converted by the rules of
  // conversions.h, so that a wrong type is refused in one line naming the
  // parameter.
  m.def(
      "load",
      [](py::handle path, py::handle column, py::handle readZeros, py::handle jdMin,
         py::handle jdMax, py::handle format, py::handle band, py::handle timeCol,
         py::handle magCol, py::handle errCol, py::handle timeOffset, py::handle flux) {
        return Load(path, column, readZeros, jdMin, jdMax,
                    {format, band, timeCol, magCol, errCol, timeOffset, flux});
      },
      "path"_a, "column"_a, "read_zeros"_a, "jd_min"_a, "jd_max"_a, "format"_a, "band"_a,
      "time_col"_a, "mag_col"_a, "err_col"_a, "time_offset"_a, "flux"_a);
  m.def("load_analysis", &LoadAnalysis, "path"_a);
  m.def(
      "search",
      [](const std::string& method, py::handle jd, py::handle mag, py::handle pmin, py::handle pmax,
         py::handle phaseShift, py::handle window, py::handle period, py::handle epoch,
         py::handle extremumDate, py::handle bins, py::handle mode, py::handle maxTrials,
         py::handle threads, py::handle err, py::handle harmonics, py::handle covers,
         py::handle phaseBins, py::handle magBins) {
        const SearchArguments arguments{OptionalRealArgument(pmin, "pmin"),
                                        OptionalRealArgument(pmax, "pmax"),
                                        OptionalRealArgument(phaseShift, "phase_shift"),
                                        FlagArgument(window, "window"),
                                        OptionalRealArgument(period, "period"),
                                        OptionalRealArgument(epoch, "epoch"),
                                        OptionalRealArgument(extremumDate, "extremum_date"),
                                        OptionalWholeArgument<int32_t>(bins, "bins"),
                                        WholeArgument<int32_t>(mode, "mode"),
                                        WholeArgument<int64_t>(maxTrials, "max_trials"),
                                        OptionalWholeArgument<int>(threads, "threads"),
                                        OptionalWholeArgument<int>(harmonics, "harmonics"),
                                        OptionalWholeArgument<int>(covers, "covers"),
                                        OptionalWholeArgument<int>(phaseBins, "phase_bins"),
                                        OptionalWholeArgument<int>(magBins, "mag_bins")};
        return Search(method, jd, mag, err, arguments);
      },
      "method"_a, "jd"_a, "mag"_a, "pmin"_a, "pmax"_a, "phase_shift"_a, "window"_a, "period"_a,
      "epoch"_a, "extremum_date"_a, "bins"_a, "mode"_a, "max_trials"_a, "threads"_a,
      "err"_a = py::none(), "harmonics"_a = py::none(), "covers"_a = py::none(),
      "phase_bins"_a = py::none(), "mag_bins"_a = py::none());
  m.def(
      "adopt",
      [](py::handle jd, py::handle mag, py::handle pmin, py::handle pmax, py::handle phaseShift,
         py::handle maxTrials, py::handle threads, py::handle peaks, py::handle fapShuffles,
         py::handle seed) {
        const SearchArguments arguments{OptionalRealArgument(pmin, "pmin"),
                                        OptionalRealArgument(pmax, "pmax"),
                                        OptionalRealArgument(phaseShift, "phase_shift"),
                                        false,
                                        std::nullopt,
                                        std::nullopt,
                                        std::nullopt,
                                        std::nullopt,
                                        1,
                                        WholeArgument<int64_t>(maxTrials, "max_trials"),
                                        OptionalWholeArgument<int>(threads, "threads"),
                                        std::nullopt,
                                        std::nullopt,
                                        std::nullopt,
                                        std::nullopt};
        batch::PeakOptions options;
        options.count = WholeArgument<int>(peaks, "peaks");
        options.fapShuffles = WholeArgument<int>(fapShuffles, "fap_shuffles");
        options.seed = WholeArgument<uint64_t>(seed, "seed");
        return Adopt(jd, mag, arguments, options);
      },
      "jd"_a, "mag"_a, "pmin"_a, "pmax"_a, "phase_shift"_a, "max_trials"_a, "threads"_a, "peaks"_a,
      "fap_shuffles"_a, "seed"_a);
  m.def("reshuffle", &Reshuffle, "mag"_a, "seed"_a);
  m.def("wave", &Wave, "jd"_a, "mag"_a, "period"_a, "epoch"_a, "points"_a, "bin_length"_a);
  m.def("prewhiten", &Prewhiten, "jd"_a, "mag"_a, "period"_a, "epoch"_a, "points"_a, "bin_length"_a,
        "curve"_a, "collect"_a, "residuals"_a);
  m.def("model", &Model, "collecting_file"_a, "t"_a);
  m.def("defaults", &Defaults);
}

}  // namespace korvel::python
