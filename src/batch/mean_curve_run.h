// The steps of wave, prewhiten and model that do not depend on where the
// observations come from: korvel-batch loads them from a file, the Python
// module takes them from arrays, and both must refuse, compute and report
// alike.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "core/analysis_state.h"
#include "io/text_reader.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/wave_parameters.h"

namespace korvel::batch {

// The elements and the moving-average parameters the window's dialogs ask for.
struct MeanCurveRequest {
  double period = 0, epoch = 0;
  int32_t points = kDefaultMeanPoints;
  double binLength = kDefaultBinLength;
};

// The dialogs' own refusals, with their messages; checked before loading.
std::optional<std::string> MeanCurveProblem(const MeanCurveRequest& request);

// Folds the loaded observations and computes the mean curve as Wave does.
// Check MeanCurveProblem first.
void SmoothObservations(AnalysisState& s, const MeanCurveRequest& request);

// The mean curve as wave --json prints it: "points" [{"phase", "mag",
// "phase_err", "mag_err", "count"}], "mag_high", "mag_low".
nlohmann::ordered_json MeanCurveJson(const AnalysisState& s);

// The curve number of the collecting file is 1 .. 100.
std::optional<std::string> CurveNumberProblem(int32_t curveNumber);

struct StepOutcome {
  int exitCode = 0;  // kExitOk, or why the step ended
  std::string message;
};

// Prewhitening of the smoothed state with its files (either name may be
// empty: not written): the checks that refuse it (exit 3), then the files
// and the residuals, or nothing at all when a file fails (exit 4).
StepOutcome PrewhitenSmoothed(AnalysisState& s, int32_t curveNumber, const std::string& collect,
                              const std::string& residuals);

// The statistics of the residuals: "mag_mean", "mag_var", "mag_min", "mag_max".
nlohmann::ordered_json ResidualStatsJson(const AnalysisState& s);

// Reads a collecting file for ModelValue: a missing file exits with 2, a
// malformed one with 1 (the table is then left empty).
StepOutcome LoadModel(AnalysisState& s, const std::string& file, ReadDiagnostics& diagnostics);

}  // namespace korvel::batch
