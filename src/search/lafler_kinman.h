// The Lafler-Kinman search: at every trial frequency the observations are
// folded, ordered by phase, and the folded curve's smoothness theta (squared
// steps between phase neighbours over the variance) is taken; a true period
// gives a small theta. (Lafler & Kinman 1965, ApJS 11, 216.)
#pragma once

#include "core/analysis_state.h"
#include "search/search_hooks.h"

namespace korvel {

// Runs the grid from Freq + FreqStep up to FreqEnd, or until RunCode is 'e'
// at the start of a trial. Expects the grid and the starting state (or a
// resumed state) in place and RunCode 'r'; fills the spectrum with 1/theta
// and the best list with the smallest theta. Ends with the timer off,
// RunCode 'e', a repaint and "Done...". Data that cannot be searched end the
// run at once with the reason on the status line.
void SearchLK(AnalysisState& s, SearchHooks& hooks);

// S of one folding: the squared steps between the phase-ordered magnitudes
// WMag[1..NObs], the last closing on the first, over NObs (theta is S over
// MagVar). Shared with the secondary-period search.
double SmoothnessSum(const AnalysisState& s);
// The same of wmag[1..n].
double SmoothnessSum(const double* wmag, int32_t n);

}  // namespace korvel
