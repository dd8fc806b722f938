// Distinct peaks of a search: the best local extrema of the statistic of
// every trial (theta minima, amplitude maxima), one per peak of the
// spectrum, and what each is relative to the best one (a harmonic, an alias
// of the daily or yearly sampling). The 20-best list holds the neighbours of
// the highest peak; this list holds the peaks an astronomer compares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "search/search_values.h"

namespace korvel {

// Distinct peaks a report lists unless told otherwise: korvel-batch search,
// Python and the window's peaks table show the same list.
inline constexpr int kDefaultPeakCount = 5;

struct Peak {
  double frequency = 0, period = 0, statistic = 0;
  int64_t trial = 0;  // its index on the grid, from 0
  std::string label;  // relative to the first peak; empty when none applies
};

// A peak's width in frequency: 1 / T, T the time span of the observations.
// Two extrema closer than this belong to one peak.
inline double PeakWidth(double span) {
  return 1 / span;
}

// At most `count` peaks, best first: the local extrema of r.statistic (in
// the method's direction), each at least a peak width from every better one.
// Frequencies are the grid's own (by repeated addition, as the search made
// them). Trials without a finite statistic are never peaks. Labelled against
// the first; a peak on the first or last trial is labelled "range edge".
std::vector<Peak> DistinctPeaks(const SearchResult& r, int count, double span);

// What frequency f is relative to the best peak's frequency `best`, within a
// peak width: "2P", "P/2", "3P", "P/3", "alias 1 c/d", "alias 2 c/d", "alias
// 1/yr" (only where a year is more than a peak width), or empty.
std::string PeakLabel(double f, double best, double width);

}  // namespace korvel
