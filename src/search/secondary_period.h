// The secondary-period search: with the primary period fixed, each trial
// secondary period splits the observations into phase bins, and the gain in
// smoothness of the light curve over the primary period's own theta is
// measured (a change of the curve's shape with a second period, as in the
// Blazhko effect of RR Lyrae stars or precession in binaries).
#pragma once

#include <cstdint>
#include <vector>

#include "search/search_hooks.h"
#include "search/search_values.h"

namespace korvel {

// Mode 1: the observations, ordered once by primary phase, are split by the
// secondary phase of each trial into `bins` bins; each bin's run of
// magnitudes is a primary light curve, and S is the mean squared step along
// them (divided by n - bins). Otherwise: the primary phase is split into
// `bins` bins fixed for the search, and inside each bin the observations are
// ordered by secondary phase; S is the Lafler-Kinman sum of that order. The
// display columns hold P = primaryTheta / (S / variance), the best list and
// the statistic 1/P.
void RunSecondaryPeriod(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                        SearchResult& r);

// The primary bin 0 .. bins - 1 of each observation, bin 0 centred on the
// extremum date.
std::vector<uint8_t> PrimaryBins(const Observations& o, const SecondaryElements& e);

}  // namespace korvel
