// The phase sort of the Lafler-Kinman and secondary-period searches: the
// observations ordered by the phase in Phase, equal phases in observation
// order, with their magnitudes alongside.
#pragma once

#include <cstdint>
#include <vector>

#include "search/trial_kernels.h"

namespace korvel {

// Working storage of the sort, kept by a search from trial to trial so that
// nothing is allocated per trial. Never the extraction marks.
struct PhaseSortScratch {
  std::vector<int32_t> bucketStart;
};

// The sort itself on 0-based arrays of n: sorted := the phases ascending,
// order[k] := the observation (0-based) at place k, bucket[i] := the bucket
// 0 .. 2n - 1 of observation i. Equal phases keep observation order.
void SortPhases(const double* phase, int32_t n, double* sorted, int32_t* order, int32_t* bucket,
                PhaseSortScratch& scratch);

// The distribution sort over arrays of n + 1 elements (element 0 unused):
// reads phase[1..n] and mag[1..n]; writes sorted[1..n] (the phases
// ascending), wmag[1..n] (the magnitudes in that order) and binOf[1..n] (the
// bucket 0 .. 2n - 1 of each observation). Two buckets per observation, each
// bucket finished by insertion, so the expected cost is linear; two buckets
// rather than one halve the collisions that insertion must sort out. A phase
// of 1 (or above) goes to the last bucket.
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
// phases, the magnitudes in phase order and the buckets of one trial, each
// of n + 1 elements (element 0 unused).
struct PhaseWork {
  explicit PhaseWork(int32_t n);
  // Sorts phase[1..n] with the magnitudes mag[1..n].
  void Sort(const double* mag);

  int32_t n;
  std::vector<double> phase, sorted, wmag;
  std::vector<int32_t> binOf;
  PhaseSortScratch scratch;
};

// The phase order of a run of consecutive trials of a fold frac(t f). At a
// phase shift of 0.05 from trial to trial an observation passes few others,
// so each trial starts from the order the trial before left: the phases
// are continued past 1 where they wrapped, so that on the circle they still
// nearly ascend; every observation is ranked among its nearest neighbours
// (8 to 16) on either side; and the order is checked (every place taken,
// phases ascending, equal phases only of equal dates). Where the check
// fails the distribution sort orders the trial afresh, and after repeated
// failures (large phase shifts, many observations) it alone does for a
// while. Either way the order is that of SortPhases, bit for bit. Offsets
// and magnitudes travel together as pairs, one move each.
class RunningPhaseOrder {
 public:
  // Beyond this many observations the trials of a survey grid reorder too
  // much for the window, and sorting afresh alone is cheaper.
  static constexpr int32_t kWorthUpTo = 200;

  // t[0 .. n-1] and mag[0 .. n-1] in observation order; both must outlive
  // this object.
  RunningPhaseOrder(const double* t, const double* mag, int32_t n);
  // Folds at frequency f with the fold variant isa and orders the phases.
  void Order(double f, kernels::Isa isa);
  // After Order: the phase and the magnitude at each place, and the sum of
  // the squared steps between the magnitudes in this order (closing the
  // cycle), bit for bit CyclicSquaredSteps of them with the best variant.
  double Phase(int32_t place) const;
  double Mag(int32_t place) const { return pairs_[2 * static_cast<size_t>(place) + 1]; }
  double SquaredSteps() const { return steps_; }
  // How many trials were ordered afresh (all the first one).
  int64_t Afresh() const { return afresh_; }

 private:
  bool FromPrevious(double f, kernels::Isa isa);
  void OrderAfresh(double f, kernels::Isa isa);

  const double* t0_;
  const double* mag0_;
  int32_t n_;
  // How far the ranks look: at the usual phase shift two observations that
  // change places in a trial lie further apart the more observations there
  // are; a wider window costs more but fails less.
  int window_;
  bool ordered_ = false;
  int failures_ = 0, skip_ = 0;
  int64_t afresh_ = 0;
  double steps_ = 0;
  double f_ = 0;  // the frequency of the current order
  // (offset, magnitude) in the current order; the next order; scratch.
  std::vector<double> pairs_, nextPairs_, folded_, sorted_;
  // The keys of the ranking, with the window's room on either side.
  std::vector<int32_t> keys_, order_, rank_, bucket_;
  PhaseSortScratch scratch_;
};

// The phase order of a run of consecutive trials for any number of
// observations, each trial in time linear in it: the observations, taken in
// the order the trial before left, go to 4n buckets by phase (few hold
// more than one: counting them costs less than sorting them); a bucket of
// two out of order is put right by one swap of neighbours, found for whole
// registers at once, and whatever is still out of order (larger buckets) by
// insertion (kernels::SettleBuckets). Taken in the previous order the
// observations land near where they were, so the buckets fill nearly in
// sequence and stay in cache however many observations there are. The order
// is that of SortPhases, bit for bit: phases ascending, equal phases by
// observation -- which observations of one date keep from trial to trial,
// and which equal phases of different dates (rare) get from a sort afresh.
class BucketPhaseOrder {
 public:
  // t[0 .. n-1] and mag[0 .. n-1] in observation order (copied), and the
  // key's shift as well where it has one.
  BucketPhaseOrder(const double* t, const double* mag, int32_t n,
                   const kernels::PhaseKey& key = {});
  // Folds at frequency f with the fold variant isa and orders the phases.
  void Order(double f, kernels::Isa isa);
  // After Order: the phase and the magnitude at each place, and the sum of
  // the squared steps between the magnitudes in this order (closing the
  // cycle), bit for bit CyclicSquaredSteps of them with the best variant.
  double Phase(int32_t place) const { return now_.At().phase[place]; }
  double Mag(int32_t place) const { return now_.At().mag[place]; }
  double SquaredSteps() const { return steps_; }

 private:
  // The columns (three, or four with a shift), each with two places before
  // and after it for the neighbours and bounds SettleBuckets reads.
  class Columns {
   public:
    Columns(size_t n, bool shifted);
    kernels::PhaseColumns At() const;

   private:
    size_t stride_;
    bool shifted_;
    mutable std::vector<double> storage_;
  };
  void OrderAfresh(double f, kernels::Isa isa);

  size_t n_;
  int32_t buckets_;
  kernels::PhaseKey key_;                   // c and divisor; the shift travels in the columns
  std::vector<double> t0_, mag0_, shift0_;  // in observation order
  Columns now_, next_;
  std::vector<int32_t> bucket_, start_;
  PhaseSortScratch scratch_;
  double steps_ = 0;
};

}  // namespace korvel
