// Prewhitening: subtracting the current mean light curve from the
// observations, so that a further period can be searched in the residuals.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_state.h"

namespace korvel {

inline constexpr const char* kNoMeanCurve = "The mean light curve has no points to subtract...";
inline constexpr const char* kNoPeriod = "The period of the light curve must be positive...";

// Why prewhitening cannot run on the state; nothing when it can.
std::optional<std::string> PrewhitenProblem(const AnalysisState& s);

// The value the mean curve MeanPhase / EditedMag[1..MeanPoints] gives at
// phase phi: the curve as the user left it (the computed means unless points
// were dragged), the same curve the collecting file records, so that the
// residuals and the model always add up to the observations.
double MeanCurveValue(const AnalysisState& s, double phi);

// Records the mean curve in collectFile (skipped when the name is empty;
// appended when appendIfExists and it exists), then replaces every Mag by its
// residual, keeps the phases in Phase (raised by 1 below the first mean
// phase), sets View 'd', DataReady 'y', RunCode 'n' and recomputes MagHigh,
// MagLow, DataMagMax, DataMagMin, MagMean and MagVar over the residuals.
// Check PrewhitenProblem first. A collecting file that cannot be written
// throws before anything else changes.
void Prewhiten(AnalysisState& s, const std::string& collectFile, bool appendIfExists);

inline constexpr const char* kCollectIsData =
    "The collecting file cannot be the observation file itself...";
inline constexpr const char* kResidualsIsData =
    "The residual file cannot be the observation file itself...";
inline constexpr const char* kResidualsIsCollect =
    "The residual file cannot be the collecting file...";

// A collecting or residual file that names the observation file read
// (DataFileName) would overwrite or corrupt the data, and a residual file
// that is the collecting file would replace the curves collected so far:
// the message, or nothing.
std::optional<std::string> PrewhitenFileProblem(const AnalysisState& s,
                                                const std::string& collectFile,
                                                const std::string& residualFile);

// Prewhitening with its files, in the order that loses nothing: the residuals
// are computed on a copy and written (when residualFile is not empty) under a
// temporary name; then the curve is recorded in collectFile, the temporary
// file takes its name, and only then does the state take the residuals. A
// failure throws and leaves the state and both files as they were, so the
// user can correct a name and press again without doubling the model.
void PrewhitenWithFiles(AnalysisState& s, const std::string& collectFile, bool appendIfExists,
                        const std::string& residualFile);

}  // namespace korvel
