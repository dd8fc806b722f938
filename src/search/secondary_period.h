// The secondary-period search: with the primary period fixed, each trial
// secondary period splits the observations into phase bins, and the gain in
// smoothness of the light curve over the primary period's own theta is
// measured (a change of the curve's shape with a second period, as in the
// Blazhko effect of RR Lyrae stars or precession in binaries).
#pragma once

#include "core/analysis_state.h"
#include "search/search_hooks.h"

namespace korvel {

// SecPMode 1: the observations, ordered once by primary phase, are split by
// the secondary phase of each trial into NBins bins; each bin's run of
// magnitudes is a primary light curve, and S is the mean squared step along
// them (divided by NObs - NBins). Otherwise: the primary phase is split into
// NBins bins fixed for the search, and inside each bin the observations are
// ordered by secondary phase; S is the Lafler-Kinman sum of that order.
// The spectrum holds P = PrimaryTheta / (S / MagVar), the best list the
// smallest 1/P. Ends with the timer off, RunCode 'e', a repaint, Resumed
// cleared and "Done...". Data that cannot be searched (see CheckSearchable)
// end the run at once with the reason on the status line.
void SearchSecP(AnalysisState& s, SearchHooks& hooks);

}  // namespace korvel
