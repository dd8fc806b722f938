#include "search/lafler_kinman.h"

#include <cmath>

#include "search/engine_support.h"
#include "search/phase_sort.h"
#include "search/trial_kernels.h"
#include "search/trial_record.h"

namespace korvel {

double SmoothnessSum(const AnalysisState& s) {
  const int32_t n = s.NObs;
  return kernels::CyclicSquaredSteps(s.WMag.data() + 1, static_cast<size_t>(n),
                                     kernels::BestIsa()) /
         n;
}

void SearchLK(AnalysisState& s, SearchHooks& hooks) {
  if (auto problem = CheckObservations(s, true); problem) return RefuseRun(s, hooks, *problem);
  if (auto problem = CheckGrid(s); problem) return RefuseRun(s, hooks, *problem);
  EnsureWorkArrays(s);
  const int32_t n = s.NObs;
  const Offsets dt = OffsetsFrom(s.JD, n, s.JD[1]);
  PhaseSortScratch scratch;

  RunBracket run(s, hooks);
  while (s.RunCode != 'e') {
    if (!AdvanceFrequency(s)) break;
    hooks.BetweenTrials();
    if (ObservationSetChanged(s, n)) break;

    const kernels::Isa isa = FoldIsa(dt, s.Freq, 0);
    kernels::Fold(dt.values.data(), static_cast<size_t>(n), s.Freq, 0, s.Phase.data() + 1, isa);
    SortByPhase(s, scratch);
    const double sum = SmoothnessSum(s);
    const double p = s.MagVar / sum;
    const double theta = 1 / p;
    s.TrialParam = theta;
    // A perfectly smooth fold (sum 0) has no finite 1/theta to plot.
    if (!std::isfinite(p) || !std::isfinite(theta)) continue;
    RecordSpectrum(s, p);
    RankSmallest(s, theta);
  }
  run.Finish();
  hooks.RequestRepaint();
  hooks.SetStatus(kDoneStatus);
}

}  // namespace korvel
