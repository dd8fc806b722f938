#include "search/phase_sort.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "search/trial_kernels.h"

namespace korvel {

void SortByPhase(const PhaseSortArrays& a, PhaseSortScratch& scratch) {
  const int32_t n = a.n;
  if (n <= 0) return;
  const double* phase = a.phase;
  const double* mag = a.mag;
  double* sorted = a.sorted;
  double* wmag = a.wmag;
  int32_t* binOf = a.binOf;
  std::vector<int32_t>& start = scratch.bucketStart;
  const int32_t buckets = n <= INT32_MAX / 2 ? 2 * n : n;  // see the header
  start.assign(static_cast<size_t>(buckets) + 1, 0);

  // Bucket b holds the phases in [b, b + 1) / buckets. Rounded multiplication
  // is monotone, so the buckets come out in phase order.
  kernels::PhaseBuckets(phase + 1, static_cast<size_t>(n), buckets, binOf + 1, kernels::BestIsa());
  for (int32_t i = 1; i <= n; ++i) ++start[binOf[i] + 1];
  for (int32_t b = 1; b <= buckets; ++b) start[b] += start[b - 1];

  // Scatter in observation order (stable), to places 1 .. n.
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t place = ++start[binOf[i]];
    sorted[place] = phase[i];
    wmag[place] = mag[i];
  }

  // Finish each bucket by straight insertion; a phase moves only past larger
  // ones, so equal phases keep observation order.
  for (int32_t i = 2; i <= n; ++i) {
    const double p = sorted[i];
    if (!(p < sorted[i - 1])) continue;
    const double m = wmag[i];
    int32_t j = i - 1;
    while (j >= 1 && sorted[j] > p) {
      sorted[j + 1] = sorted[j];
      wmag[j + 1] = wmag[j];
      --j;
    }
    sorted[j + 1] = p;
    wmag[j + 1] = m;
  }
}

void SortByPhase(AnalysisState& s, PhaseSortScratch& scratch) {
  SortByPhase(
      {s.Phase.data(), s.Mag.data(), s.SortPhase.data(), s.WMag.data(), s.BinOf.data(), s.NObs},
      scratch);
}

void SortByPhase(AnalysisState& s) {
  PhaseSortScratch scratch;
  SortByPhase(s, scratch);
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

void PhaseWork::LeaveIn(AnalysisState& s) const {
  const auto count = static_cast<ptrdiff_t>(n) + 1;
  std::copy(phase.begin() + 1, phase.begin() + count, s.Phase.begin() + 1);
  std::copy(sorted.begin() + 1, sorted.begin() + count, s.SortPhase.begin() + 1);
  std::copy(wmag.begin() + 1, wmag.begin() + count, s.WMag.begin() + 1);
  std::copy(binOf.begin() + 1, binOf.begin() + count, s.BinOf.begin() + 1);
}

}  // namespace korvel
