#include "search/search_start.h"

#include <cmath>

#include "search/deeming.h"
#include "search/engine_support.h"
#include "search/trial_grid.h"
#include "search/trial_record.h"

namespace korvel {

std::optional<std::string> DataProblem(const AnalysisState& s, SearchKind kind) {
  if (s.RunCode == 'r') return kSearchRunning;
  const SearchMethod& m = MethodOf(kind);
  const bool needsVariance = m.needsVariance && !(m.deeming && s.WindowSpec);
  if (auto problem = CheckObservations(s, needsVariance); problem) return problem;
  const double span = s.JD[s.NObs] - s.JD[1];
  if (span == 0) return kZeroSpan;
  if (!(span > 0) || !std::isfinite(span)) return kDescendingDates;
  return std::nullopt;
}

std::optional<std::string> CheckSearchable(const AnalysisState& s, SearchKind kind) {
  if (auto problem = DataProblem(s, kind)) return problem;
  const SearchMethod& m = MethodOf(kind);
  if (!(s.Pmin > 0) || !std::isfinite(s.Pmin) || !(s.Pmax > s.Pmin) || !std::isfinite(s.Pmax))
    return m.rangeText;
  if (!(s.FreqStep > 0) || !std::isfinite(s.FreqStep)) return m.stepText;
  const double step = s.FreqStep / (s.JD[s.NObs] - s.JD[1]);
  const double last = 1 / s.Pmin;
  if (!(last + step > last)) return kStepTooSmall;
  if (m.extraCheck) return m.extraCheck(s);
  return std::nullopt;
}

void StartSearch(AnalysisState& s, SearchKind kind) {
  const SearchMethod& m = MethodOf(kind);
  s.RunCode = 'r';
  s.View = m.view;
  s.DataReady = 'n';
  ClearSpectrum(s);
  InitBestList(s, m.emptyBest);
  if (m.deeming) SetDeemingWeights(s);
  SetUpTrialGrid(s);
}

void RunSearch(AnalysisState& s, SearchKind kind, SearchHooks& hooks) {
  MethodOf(kind).engine(s, hooks);
}

}  // namespace korvel
