// The Lafler-Kinman search: at every trial frequency the observations are
// folded, ordered by phase, and the folded curve's smoothness theta (squared
// steps between phase neighbours over the variance) is taken; a true period
// gives a small theta. (Lafler & Kinman 1965, ApJS 11, 216.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "search/engine_support.h"
#include "search/search_hooks.h"
#include "search/search_values.h"

namespace korvel {

// Runs the grid from r.freq on: the display columns get 1/theta, the best
// list the smallest theta, the statistic every theta.
void RunLaflerKinman(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                     SearchResult& r);

// S of one folding: the squared steps between the phase-ordered magnitudes
// wmag[1..n], the last closing on the first, over n (theta is S over the
// variance). Shared with the secondary-period search.
double SmoothnessSum(const double* wmag, int32_t n);

// value[k] := S of the trial freq[k], k = 0 .. count - 1, each phase order
// (RunningPhaseOrder, BucketPhaseOrder) made from the one before by `order`,
// folding frac(t f + c).
template <class Order>
void SmoothnessOfRun(Order& order, const Offsets& t, double c, const double* freq, double* value,
                     size_t count) {
  if (count == 0) return;
  const std::optional<kernels::Isa> run = FoldIsaOfRun(t, freq, count, c);
  for (size_t k = 0; k < count; ++k) {
    order.Order(freq[k], run ? *run : FoldIsa(t, freq[k], c));
    value[k] = order.SquaredSteps() / t.n();
  }
}

}  // namespace korvel
