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

// The same sort over arrays of n + 1 elements (element 0 unused) that need
// not belong to the state.
struct PhaseSortArrays {
  const double* phase;
  const double* mag;
  double* sorted;
  double* wmag;
  int32_t* binOf;
  int32_t n;
};
void SortByPhase(const PhaseSortArrays& a, PhaseSortScratch& scratch);

// A fold of its own for a search's worker thread: the phases, the sorted
// phases, the magnitudes in phase order and the buckets of one trial, laid
// out as the state's Phase, SortPhase, WMag and BinOf.
struct PhaseWork {
  explicit PhaseWork(int32_t n);
  // Sorts phase[1..n] with the magnitudes mag[1..n].
  void Sort(const double* mag);
  // Copies the four arrays into the state's, as a search that folds in the
  // state itself leaves them.
  void LeaveIn(AnalysisState& s) const;

  int32_t n;
  rarray phase, sorted, wmag;
  iarray binOf;
  PhaseSortScratch scratch;
};

}  // namespace korvel
