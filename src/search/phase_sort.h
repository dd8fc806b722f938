// The phase sort of the Lafler-Kinman and secondary-period searches: the
// observations ordered by the phase in Phase, equal phases in observation
// order, with their magnitudes alongside.
#pragma once

#include <cstdint>
#include <vector>

#include "core/analysis_state.h"

namespace korvel {

// Working storage of the sort, kept by a search from trial to trial so that
// nothing is allocated per trial. Never the extraction marks.
struct PhaseSortScratch {
  std::vector<int32_t> bucketStart;
};

// Reads Phase[1..NObs] and Mag[1..NObs]; writes SortPhase[1..NObs] (the
// phases ascending), WMag[1..NObs] (the magnitudes in that order) and
// BinOf[1..NObs] (the bucket 0 .. 2 NObs - 1 of each observation). A
// distribution sort over two buckets per observation, each bucket finished
// by insertion, so the expected cost is linear; two buckets rather than one
// halve the collisions that insertion must sort out. A phase of 1 (or above)
// goes to the last bucket. The arrays must hold NObs + 1 elements.
void SortByPhase(AnalysisState& s, PhaseSortScratch& scratch);
void SortByPhase(AnalysisState& s);

}  // namespace korvel
