#include "lightcurve/prewhitening.h"

#include <filesystem>
#include <system_error>

#include "core/error.h"
#include "core/messages.h"
#include "io/file_paths.h"
#include "io/observation_file.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/phase_views.h"

namespace korvel {

std::optional<std::string> PrewhitenProblem(const AnalysisState& s) {
  if (s.NObs < 1) return kNoObservations;
  if (s.MeanPoints < 1 || s.MeanPoints >= AnalysisState::kMeanSize) return kNoMeanCurve;
  if (!(s.Period > 0)) return kNoPeriod;
  return std::nullopt;
}

double MeanCurveValue(const AnalysisState& s, double phi) {
  const double* ph = s.MeanPhase.data();
  const int32_t n = s.MeanPoints;
  // Beyond the last mean phase the value wraps, even where the mean phases
  // are not in order; below the first the wrap is the same formula.
  if (phi > ph[n]) return WrapValue(ph, s.EditedMag.data(), n, phi - ph[n]);
  return PeriodicValue(ph, s.EditedMag.data(), n, phi);
}

void Prewhiten(AnalysisState& s, const std::string& collectFile, bool appendIfExists) {
  if (!collectFile.empty()) WriteCollectingFile(s, collectFile, appendIfExists);
  ComputePhases(s);
  for (int32_t i = 1; i <= s.NObs; ++i) {
    s.Mag[i] -= MeanCurveValue(s, s.Phase[i]);
    if (s.Phase[i] < s.MeanPhase[1]) s.Phase[i] += 1;
  }
  s.DataReady = 'y';
  s.View = 'd';
  s.RunCode = 'n';
  // The start values are not symmetric; both are far outside any magnitude.
  s.MagHigh = -10000000;
  s.MagLow = 1000000;
  double sum = 0;
  for (int32_t i = 1; i <= s.NObs; ++i) {
    if (s.Mag[i] > s.MagHigh) s.MagHigh = s.Mag[i];
    if (s.Mag[i] < s.MagLow) s.MagLow = s.Mag[i];
    sum += s.Mag[i];
  }
  s.MagMean = sum / s.NObs;
  s.DataMagMax = s.MagHigh;
  s.DataMagMin = s.MagLow;
  double squares = 0;
  for (int32_t i = 1; i <= s.NObs; ++i) squares += (s.Mag[i] - s.MagMean) * (s.Mag[i] - s.MagMean);
  s.MagVar = squares / s.NObs;
}

std::optional<std::string> PrewhitenFileProblem(const AnalysisState& s,
                                                const std::string& collectFile,
                                                const std::string& residualFile) {
  if (SameFile(collectFile, s.DataFileName)) return kCollectIsData;
  if (SameFile(residualFile, s.DataFileName)) return kResidualsIsData;
  if (SameFile(residualFile, collectFile)) return kResidualsIsCollect;
  return std::nullopt;
}

void PrewhitenWithFiles(AnalysisState& s, const std::string& collectFile, bool appendIfExists,
                        const std::string& residualFile) {
  AnalysisState residuals = s;
  Prewhiten(residuals, "", appendIfExists);
  namespace fs = std::filesystem;
  const std::string part = residualFile + ".part";
  std::error_code ignored;
  if (!residualFile.empty()) {
    try {
      WriteAllObservations(residuals, part);
    } catch (...) {
      fs::remove(part, ignored);
      throw;
    }
  }
  // The collecting file's length before the curve is added, to take the
  // curve back if the residual file cannot take its name.
  const bool existed = !collectFile.empty() && fs::exists(collectFile, ignored);
  const auto oldSize = existed ? fs::file_size(collectFile, ignored) : 0;
  try {
    if (!collectFile.empty()) WriteCollectingFile(s, collectFile, appendIfExists);
  } catch (...) {
    if (!residualFile.empty()) fs::remove(part, ignored);
    throw;
  }
  if (!residualFile.empty()) {
    std::error_code error;
    fs::rename(part, residualFile, error);
    if (error) {
      fs::remove(part, ignored);
      if (!collectFile.empty() && appendIfExists && existed)
        fs::resize_file(collectFile, oldSize, ignored);
      else if (!collectFile.empty())
        fs::remove(collectFile, ignored);
      throw IoError(IoCodeFromErrno(error.value(), true));
    }
  }
  s = std::move(residuals);
}

}  // namespace korvel
