#include "lightcurve/prewhitening.h"

#include <filesystem>
#include <system_error>

#include "core/error.h"
#include "core/messages.h"
#include "io/file_paths.h"
#include "io/observation_file.h"
#include "io/output_file.h"
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
  // The residuals are written aside first: they take their name only once
  // the curve is in the collecting file.
  std::optional<TextWriter> residualOut;
  if (!residualFile.empty()) {
    residualOut.emplace(residualFile);
    WriteAllObservations(residuals, *residualOut);
  }
  // The collecting file as it was (a few curves: small), to put back if the
  // residual file cannot take its name.
  const bool existed = !collectFile.empty() && KindOf(collectFile) == FileKind::Regular;
  const std::string oldCollect = existed ? ReadWholeFile(collectFile) : std::string();
  if (!collectFile.empty()) WriteCollectingFile(s, collectFile, appendIfExists);
  if (residualOut) {
    try {
      residualOut->Close();
    } catch (const KorvelError&) {
      try {
        if (existed)
          WriteWholeFile(collectFile, oldCollect);
        else if (!collectFile.empty() && KindOf(collectFile) == FileKind::Regular)
          std::filesystem::remove(collectFile);
      } catch (...) {
        // The residuals' failure is the one to report.
      }
      throw;
    }
  }
  s = std::move(residuals);
}

}  // namespace korvel
