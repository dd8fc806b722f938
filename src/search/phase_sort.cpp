#include "search/phase_sort.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "core/numeric.h"
#include "search/trial_kernels.h"

namespace korvel {

namespace {

// The distribution sort: sorted := the phases ascending, and carry[k] :=
// item(i) of the observation i at place k, moved along with its phase.
template <class T, class Item>
void DistributionSort(const double* phase, int32_t n, double* sorted, T* carry, Item item,
                      int32_t* bucket, PhaseSortScratch& scratch) {
  if (n <= 0) return;
  std::vector<int32_t>& start = scratch.bucketStart;
  const int32_t buckets = n <= INT32_MAX / 2 ? 2 * n : n;  // see the header
  start.assign(static_cast<size_t>(buckets) + 1, 0);

  // Bucket b holds the phases in [b, b + 1) / buckets. Rounded multiplication
  // is monotone, so the buckets come out in phase order.
  kernels::PhaseBuckets(phase, static_cast<size_t>(n), buckets, bucket, kernels::BestIsa());
  for (int32_t i = 0; i < n; ++i) ++start[bucket[i] + 1];
  for (int32_t b = 1; b <= buckets; ++b) start[b] += start[b - 1];

  // Scatter in observation order (stable).
  for (int32_t i = 0; i < n; ++i) {
    const int32_t place = start[bucket[i]]++;
    sorted[place] = phase[i];
    carry[place] = item(i);
  }

  // Finish each bucket by straight insertion; a phase moves only past larger
  // ones, so equal phases keep observation order.
  for (int32_t k = 1; k < n; ++k) {
    const double p = sorted[k];
    if (!(p < sorted[k - 1])) continue;
    const T c = carry[k];
    int32_t j = k - 1;
    while (j >= 0 && sorted[j] > p) {
      sorted[j + 1] = sorted[j];
      carry[j + 1] = carry[j];
      --j;
    }
    sorted[j + 1] = p;
    carry[j + 1] = c;
  }
}

}  // namespace

void SortPhases(const double* phase, int32_t n, double* sorted, int32_t* order, int32_t* bucket,
                PhaseSortScratch& scratch) {
  DistributionSort(
      phase, n, sorted, order, [](int32_t i) { return i; }, bucket, scratch);
}

void SortByPhase(const PhaseSortArrays& a, PhaseSortScratch& scratch) {
  const double* mag = a.mag + 1;
  DistributionSort(
      a.phase + 1, a.n, a.sorted + 1, a.wmag + 1, [mag](int32_t i) { return mag[i]; }, a.binOf + 1,
      scratch);
}

PhaseWork::PhaseWork(int32_t count)
    : n(count),
      phase(static_cast<size_t>(count) + 1),
      sorted(static_cast<size_t>(count) + 1),
      wmag(static_cast<size_t>(count) + 1),
      binOf(static_cast<size_t>(count) + 1) {}

void PhaseWork::Sort(const double* mag) {
  SortByPhase({phase.data(), mag, sorted.data(), wmag.data(), binOf.data(), n}, scratch);
}

RunningPhaseOrder::RunningPhaseOrder(const double* t, const double* mag, int32_t n)
    : t0_(t), mag0_(mag), n_(n), window_(std::clamp(n / 8, 8, kernels::kMaxRankWindow)) {
  const auto size = static_cast<size_t>(std::max<int32_t>(n, 0));
  const size_t whole = kernels::Padded(size);  // the kernels' whole registers
  order_.resize(size);
  rank_.resize(whole);
  bucket_.resize(size);
  // Pairs padded to whole registers for the kernels, with room for the
  // places a wrong rank may move to (see CarriedOrder).
  folded_.resize(size);
  sorted_.resize(size);
  for (std::vector<double>* v : {&pairs_, &nextPairs_})
    v->resize(2 * std::max<size_t>(whole, 64) + 2);
  // Room for the window on either side, and on the right for the rest of the
  // last register.
  keys_.resize(static_cast<size_t>(window_) + whole + static_cast<size_t>(window_));
}

void RunningPhaseOrder::Order(double f, kernels::Isa isa) {
  if (n_ <= 0) return;
  if (ordered_ && skip_ == 0 && FromPrevious(f, isa)) {
    failures_ = 0;
  } else {
    if (ordered_ && skip_ == 0) {
      // Orders too far apart for the window, again and again: try again
      // only after 1, 3, 7 ... 63 trials, so that failing costs little where
      // it keeps failing.
      failures_ = std::min(failures_ + 1, 7);
      skip_ = (1 << (failures_ - 1)) - 1;
    } else if (skip_ > 0) {
      --skip_;
    }
    OrderAfresh(f, isa);
  }
  f_ = f;
  steps_ = kernels::CyclicSquaredStepsOfPairs(pairs_.data(), static_cast<size_t>(n_),
                                              kernels::BestIsa());
}

double RunningPhaseOrder::Phase(int32_t place) const {
  return Frac(pairs_[2 * static_cast<size_t>(place)] * f_);
}

void RunningPhaseOrder::OrderAfresh(double f, kernels::Isa isa) {
  ++afresh_;
  const auto n = static_cast<size_t>(n_);
  kernels::Fold(t0_, n, f, 0, folded_.data(), isa);
  SortPhases(folded_.data(), n_, sorted_.data(), order_.data(), bucket_.data(), scratch_);
  for (size_t k = 0; k < n; ++k) {
    const auto i = static_cast<size_t>(order_[k]);
    pairs_[2 * k] = t0_[i];
    pairs_[2 * k + 1] = mag0_[i];
  }
  // A next trial starts from this order only when it is to be tried.
  ordered_ = skip_ == 0;
}

bool RunningPhaseOrder::FromPrevious(double f, kernels::Isa isa) {
  // The phases of this trial in the previous order, continued past 1 where
  // they wrapped, ascend but for the few that passed others: each is ranked
  // among its neighbours, a whole cycle lower where it wrapped.
  // Folding again in the new order costs less than carrying the phases
  // along, and gives them exactly as the distribution sort sees them.
  // Ascending phases, every place taken, is the order SortPhases gives --
  // but for equal phases, which must keep observation order. Equal offsets
  // have equal phases in every trial, never change places here, and were
  // put in observation order by the distribution sort; other equal phases
  // are left to it.
  const kernels::CarriedOrder step{pairs_.data(),     keys_.data() + window_,  rank_.data(),
                                   nextPairs_.data(), static_cast<size_t>(n_), window_};
  if (!kernels::CarriedOrderStep(step, f, f_, isa)) return false;
  pairs_.swap(nextPairs_);
  return true;
}

namespace {
constexpr size_t kRoom = 2;  // places before and after each column
// Each column starts on a cache line, so that the registers of whole
// places the kernels load and store do not straddle two (Lafler-Kinman at
// 10 000 observations 4 % faster, at 650 the same).
constexpr size_t kLine = 64 / sizeof(double);  // doubles to a line
}  // namespace

BucketPhaseOrder::Columns::Columns(size_t n, bool shifted)
    : stride_((n + 2 * kRoom + kLine - 1) / kLine * kLine),
      shifted_(shifted),
      storage_((shifted ? 4 : 3) * stride_ + kLine) {}

kernels::PhaseColumns BucketPhaseOrder::Columns::At() const {
  // Found afresh each time, so that a moved object stays right.
  const auto room = reinterpret_cast<uintptr_t>(storage_.data() + kRoom);
  constexpr uintptr_t kLast = kLine * sizeof(double) - 1;  // within a line
  auto* base = reinterpret_cast<double*>((room + kLast) & ~kLast);
  return {base, base + stride_, base + 2 * stride_, shifted_ ? base + 3 * stride_ : nullptr};
}

BucketPhaseOrder::BucketPhaseOrder(const double* t, const double* mag, int32_t n,
                                   const kernels::PhaseKey& key)
    : n_(static_cast<size_t>(std::max<int32_t>(n, 0))),
      buckets_(n <= INT32_MAX / 4 ? 4 * n : n),
      key_{key.c, nullptr, key.divisor},
      t0_(t, t + n_),
      mag0_(mag, mag + n_),
      now_(n_, key.shift != nullptr),
      next_(n_, key.shift != nullptr),
      bucket_(n_),
      start_(static_cast<size_t>(std::max(buckets_, 0))) {
  const kernels::PhaseColumns now = now_.At();
  std::copy(t0_.begin(), t0_.end(), now.t);
  std::copy(mag0_.begin(), mag0_.end(), now.mag);
  if (key.shift != nullptr) {
    shift0_.assign(key.shift, key.shift + n_);
    std::copy(shift0_.begin(), shift0_.end(), now.shift);
  }
}

void BucketPhaseOrder::Order(double f, kernels::Isa isa) {
  if (n_ == 0) return;
  const kernels::Isa best = kernels::BestIsa();
  const kernels::PhaseColumns now = now_.At(), next = next_.At();
  // The buckets first; the keys again once in the new order, which costs
  // less than moving them along.
  kernels::FoldBuckets(now.t, n_, f, {key_.c, now.shift, key_.divisor}, buckets_, nullptr,
                       bucket_.data(), isa);

  std::fill(start_.begin(), start_.end(), 0);
  for (const int32_t b : bucket_) ++start_[static_cast<size_t>(b)];
  kernels::ExclusiveSums(start_.data(), start_.size(), best);
  for (size_t k = 0; k < n_; ++k) {
    const auto to = static_cast<size_t>(start_[static_cast<size_t>(bucket_[k])]++);
    next.t[to] = now.t[k];
    next.mag[to] = now.mag[k];
    if (now.shift != nullptr) next.shift[to] = now.shift[k];
  }

  kernels::FoldBuckets(next.t, n_, f, {key_.c, next.shift, key_.divisor}, buckets_, next.phase,
                       nullptr, isa);
  next.phase[-2] = next.phase[-1] = -HUGE_VAL;
  next.phase[n_] = next.phase[n_ + 1] = HUGE_VAL;
  if (!kernels::SettleBuckets(next, now, n_, best)) OrderAfresh(f, isa);
  steps_ = kernels::CyclicSquaredSteps(now.mag, n_, best);
}

// Equal phases of different dates, which must keep observation order: the
// observations sorted again from their own order.
void BucketPhaseOrder::OrderAfresh(double f, kernels::Isa isa) {
  const auto n = static_cast<int32_t>(n_);
  std::vector<double> phase(n_), sorted(n_);
  std::vector<int32_t> order(n_), bucket(n_);
  const kernels::PhaseColumns now = now_.At();
  kernels::FoldBuckets(t0_.data(), n_, f,
                       {key_.c, now.shift != nullptr ? shift0_.data() : nullptr, key_.divisor},
                       buckets_, phase.data(), nullptr, isa);
  SortPhases(phase.data(), n, sorted.data(), order.data(), bucket.data(), scratch_);
  for (size_t k = 0; k < n_; ++k) {
    const auto i = static_cast<size_t>(order[k]);
    now.phase[k] = sorted[k];
    now.t[k] = t0_[i];
    now.mag[k] = mag0_[i];
    if (now.shift != nullptr) now.shift[k] = shift0_[i];
  }
}

}  // namespace korvel
