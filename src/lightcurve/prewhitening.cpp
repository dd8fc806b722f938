// Prewhitening on plain values: the residuals, their statistics and the files
// of a step.
#include "lightcurve/prewhitening.h"

#include <filesystem>
#include <optional>

#include "core/error.h"
#include "core/messages.h"
#include "io/file_paths.h"
#include "io/output_file.h"

namespace korvel {

std::optional<std::string> PrewhitenProblem(size_t observations, size_t curvePoints,
                                            const Ephemeris& e) {
  if (observations < 1) return kNoObservations;
  if (curvePoints < 1) return kNoMeanCurve;
  if (!(e.period > 0)) return kNoPeriod;
  return std::nullopt;
}

double MeanCurveValue(const PeriodicCurve& c, double phi) {
  if (c.phase.empty()) return 0;  // nothing to subtract
  if (phi > c.phase.back()) return WrapValue(c, phi - c.phase.back());
  return PeriodicValue(c, phi);
}

std::vector<double> Residuals(std::span<const double> phases, std::span<const double> mags,
                              const PeriodicCurve& c) {
  std::vector<double> residuals(mags.size());
  for (size_t i = 0; i < mags.size(); ++i) residuals[i] = mags[i] - MeanCurveValue(c, phases[i]);
  return residuals;
}

std::vector<double> Residuals(std::span<const double> dates, std::span<const double> mags,
                              const Ephemeris& e, const PeriodicCurve& c) {
  return Residuals(Phases(dates, e), mags, c);
}

MagnitudeSummary SummariseResiduals(std::span<const double> mags) {
  MagnitudeSummary m;
  double sum = 0;
  for (double mag : mags) {
    if (mag > m.high) m.high = mag;
    if (mag < m.low) m.low = mag;
    sum += mag;
  }
  const auto n = static_cast<double>(mags.size());
  m.mean = sum / n;
  double squares = 0;
  for (double mag : mags) squares += (mag - m.mean) * (mag - m.mean);
  m.variance = squares / n;
  return m;
}

std::optional<std::string> PrewhitenFileProblem(const std::string& dataFile,
                                                const std::string& collectFile,
                                                const std::string& residualFile) {
  if (SameFile(collectFile, dataFile)) return kCollectIsData;
  if (SameFile(residualFile, dataFile)) return kResidualsIsData;
  if (SameFile(residualFile, collectFile)) return kResidualsIsCollect;
  return std::nullopt;
}

namespace {

// Puts the collecting file back as it was before the block was recorded.
void RestoreCollectingFile(const std::string& collectFile, bool existed,
                           const std::string& oldContent) {
  try {
    if (existed)
      WriteWholeFile(collectFile, oldContent);
    else if (!collectFile.empty() && KindOf(collectFile) == FileKind::Regular)
      std::filesystem::remove(collectFile);
  } catch (...) {
    // The residuals' failure is the one to report.
  }
}

}  // namespace

void WritePrewhiteningFiles(const CollectingBlock& block, const std::string& collectFile,
                            bool appendIfExists, const std::string& residualFile,
                            const std::function<void(TextWriter&)>& writeResiduals) {
  // The residuals are written aside first: they take their name only once
  // the curve is in the collecting file.
  std::optional<TextWriter> residualOut;
  if (!residualFile.empty()) {
    residualOut.emplace(residualFile);
    writeResiduals(*residualOut);
  }
  // The collecting file as it was (a few curves: small), to put back if the
  // residual file cannot take its name.
  const bool existed = !collectFile.empty() && KindOf(collectFile) == FileKind::Regular;
  const std::string oldCollect = existed ? ReadWholeFile(collectFile) : std::string();
  if (!collectFile.empty()) WriteCollectingFile(block, collectFile, appendIfExists);
  if (!residualOut) return;
  try {
    residualOut->Close();
  } catch (const KorvelError&) {
    RestoreCollectingFile(collectFile, existed, oldCollect);
    throw;
  }
}

}  // namespace korvel
