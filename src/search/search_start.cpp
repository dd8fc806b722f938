#include "search/search_start.h"

#include <cmath>

#include "search/deeming.h"
#include "search/engine_support.h"
#include "search/lafler_kinman.h"
#include "search/secondary_period.h"
#include "search/trial_grid.h"
#include "search/trial_record.h"

namespace korvel {

char ViewLetter(SearchKind kind) {
  switch (kind) {
    case SearchKind::LaflerKinman:
      return 'l';
    case SearchKind::Deeming:
      return 'd';
    case SearchKind::Secondary:
      return 's';
  }
  return 'l';
}

std::optional<std::string> CheckSearchable(const AnalysisState& s, SearchKind kind) {
  if (s.RunCode == 'r') return kSearchRunning;
  const bool secondary = kind == SearchKind::Secondary;
  const bool needsVariance = !(kind == SearchKind::Deeming && s.WindowSpec);
  if (auto problem = CheckObservations(s, needsVariance); problem) return problem;
  const double span = s.JD[s.NObs] - s.JD[1];
  if (span == 0) return kZeroSpan;
  if (!(span > 0) || !std::isfinite(span)) return kDescendingDates;

  if (!(s.Pmin > 0) || !std::isfinite(s.Pmin) || !(s.Pmax > s.Pmin) || !std::isfinite(s.Pmax))
    return secondary ? "Error in P ranges..." : "Error in P range...";
  if (!(s.FreqStep > 0) || !std::isfinite(s.FreqStep))
    return secondary ? "Error in Phase shift..." : "Error in phase shift...";
  const double step = s.FreqStep / span;
  const double last = 1 / s.Pmin;
  if (!(last + step > last)) return kStepTooSmall;

  if (secondary) return CheckSecondaryParameters(s);
  return std::nullopt;
}

void StartSearch(AnalysisState& s, SearchKind kind) {
  s.RunCode = 'r';
  s.View = ViewLetter(kind);
  s.DataReady = 'n';
  ClearSpectrum(s);
  InitBestList(s, kind == SearchKind::Deeming ? kEmptyAmplitude : kEmptyTheta);
  if (kind == SearchKind::Deeming) SetDeemingWeights(s);
  SetUpTrialGrid(s);
}

void RunSearch(AnalysisState& s, SearchKind kind, SearchHooks& hooks) {
  switch (kind) {
    case SearchKind::LaflerKinman:
      return SearchLK(s, hooks);
    case SearchKind::Deeming:
      return SearchDeeming(s, hooks);
    case SearchKind::Secondary:
      return SearchSecP(s, hooks);
  }
}

}  // namespace korvel
