#include "batch/mean_curve_run.h"

#include <utility>

#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "core/error.h"
#include "io/observation_file.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/phase_views.h"
#include "lightcurve/prewhitening.h"

namespace korvel::batch {

namespace {

WaveParameters Wave(const MeanCurveRequest& request) {
  WaveParameters p;
  p.points = request.points;
  p.binLength = request.binLength;
  return p;
}

}  // namespace

std::optional<std::string> MeanCurveProblem(const MeanCurveRequest& request) {
  if (!(request.period > 0)) return kNoPeriod;
  AnalysisState scratch;
  if (const auto refusal = ApplyMeanCurveParameters(scratch, Wave(request)))
    return refusal->message;
  return std::nullopt;
}

void SmoothObservations(AnalysisState& s, const MeanCurveRequest& request) {
  s.Period = request.period;
  s.Epoch = request.epoch;
  ApplyMeanCurveParameters(s, Wave(request));
  ComputePhases(s);
  ComputeMeanCurve(s);
  s.WaveState = 'd';
}

nlohmann::ordered_json MeanCurveJson(const AnalysisState& s) {
  nlohmann::ordered_json points = nlohmann::ordered_json::array();
  for (int32_t k = 1; k <= s.MeanPoints; ++k)
    points.push_back({{"phase", s.MeanPhase[k]},
                      {"mag", s.MeanMag[k]},
                      {"phase_err", s.MeanPhaseErr[k]},
                      {"mag_err", s.MeanMagErr[k]},
                      {"count", static_cast<int64_t>(s.MeanCount[k])}});
  nlohmann::ordered_json j;
  j["points"] = std::move(points);
  j["mag_high"] = s.MeanMagHigh;
  j["mag_low"] = s.MeanMagLow;
  return j;
}

std::optional<std::string> CurveNumberProblem(int32_t curveNumber) {
  if (curveNumber >= 1 && curveNumber <= 100) return std::nullopt;
  return "The number of the mean light curve is 1 .. 100...";
}

StepOutcome PrewhitenSmoothed(AnalysisState& s, int32_t curveNumber, const std::string& collect,
                              const std::string& residuals) {
  if (const auto problem = PrewhitenProblem(s)) return {kExitRefused, *problem};
  s.CurveNumber = curveNumber;
  if (const auto problem = PrewhitenFileProblem(s, collect, residuals))
    return {kExitRefused, *problem};
  try {
    PrewhitenWithFiles(s, collect, true, residuals);
  } catch (const KorvelError& e) {
    // Nothing was changed: neither file, nor (for a rerun) the model.
    const std::string names = residuals.empty() ? collect
                              : collect.empty() ? residuals
                                                : residuals + ", " + collect;
    return {kExitWriteError, FileMessage(names, e)};
  }
  return {};
}

nlohmann::ordered_json ResidualStatsJson(const AnalysisState& s) {
  nlohmann::ordered_json j;
  j["mag_mean"] = s.MagMean;
  j["mag_var"] = s.MagVar;
  j["mag_min"] = s.DataMagMin;
  j["mag_max"] = s.DataMagMax;
  return j;
}

StepOutcome LoadModel(AnalysisState& s, const std::string& file, ReadDiagnostics& diagnostics) {
  if (!FileExists(file)) return {kExitFileMissing, "File " + file + " does not exist."};
  try {
    ReadMeanCurveFile(s, file, &diagnostics);
  } catch (const KorvelError& e) {
    return {kExitReadError, FileMessage(file, e)};
  }
  return {};
}

}  // namespace korvel::batch
