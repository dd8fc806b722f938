// The Lafler-Kinman search: at every trial frequency the observations are
// folded, ordered by phase, and the folded curve's smoothness theta (squared
// steps between phase neighbours over the variance) is taken; a true period
// gives a small theta. (Lafler & Kinman 1965, ApJS 11, 216.)
#pragma once

#include <cstdint>

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

}  // namespace korvel
