// korvel-batch fit: the multi-frequency fit of a multiperiodic star, with
// automatic prewhitening (lightcurve/frequency_analysis.h) or from given
// frequencies, as text, JSON or CSV; its JSON is also the survey's fit row
// and the Python korvel.fit result.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "batch/command.h"
#include "core/analysis_state.h"
#include "lightcurve/frequency_analysis.h"

namespace korvel::batch {

Command AddFitCommand(CLI::App& parent);

// The analysis of the state's observations, weighted by their errors when
// the file gave a usable error for each.
FrequencyAnalysis AnalyseObservations(const AnalysisState& s,
                                      const FrequencyAnalysisOptions& options);

// The result as the command prints it with --json, without "warnings":
// "frequencies" (f, period, amplitude, phase, their errors from the
// covariance and the analytic ones, snr, label, alias), "zero_point",
// "zero_point_error", "epoch", "residual_rms", "nobs", "fmin", "fmax",
// "weighted", "stop_reason", "stop_text", "rejected" (null or f, amplitude,
// snr, fap). Numbers that are not finite are null.
nlohmann::ordered_json FitJson(const FrequencyAnalysis& r);

}  // namespace korvel::batch
