// False-alarm probabilities of distinct peaks from reshuffled magnitudes
// (Fisher's randomization test; as used for periodograms by Linnell Nemec &
// Nemec 1985, AJ 90, 2317): the magnitudes are dealt anew to the fixed dates
// K times and the whole search repeated on each. FAP1 is the share of
// shuffles whose best trial anywhere is at least as good as the peak, FAP2
// the share whose trial at the peak's own frequency is; each is given as
// (b + 1) / (K + 1), which never claims a probability of 0, with the 95 %
// Wilson score interval of b / K (Wilson 1927, JASA 22, 209).
#pragma once

#include <cstdint>
#include <vector>

#include "search/peaks.h"
#include "search/search_values.h"

namespace korvel {

struct FalseAlarm {
  double fap1 = 0, low = 0, high = 0;  // anywhere on the grid, with its interval
  double fap2 = 0;                     // at the peak's frequency
  int shuffles = 0;
};

// One per peak, from `shuffles` reshuffles seeded by `seed` (shuffle k draws
// from its own generator), run on `threads` threads, each shuffle's search on
// one; the results do not depend on the thread count. Spectrum files are
// not written by the shuffles.
std::vector<FalseAlarm> ShuffledFalseAlarms(const PreparedSearch& p, const Observations& o,
                                            const std::vector<Peak>& peaks, int shuffles,
                                            uint64_t seed, int threads);

}  // namespace korvel
