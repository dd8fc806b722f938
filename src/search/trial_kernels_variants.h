// The variants of the kernels of trial_kernels.h, one file per instruction
// set (trial_kernels_scalar.cpp, _sse2, _avx2, _avx512), and what they
// share; trial_kernels.cpp dispatches to them. Included first by each of those
// files: the pragma below must reach every line of theirs.
//
// The phases, weights and sums must come out the same on every machine, so
// no multiply-add may be fused here: a fused a * f + c rounds once instead of
// twice, which moves phases across bucket edges and changes sort orders. The
// vector variants are compiled for their instruction sets with GCC target
// pragmas; elsewhere only the scalar code is built. The rounding trick and
// the exact comparisons need IEEE arithmetic: never build this with
// -ffast-math.
#pragma once

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#elif defined(__clang__)
#pragma clang fp contract(off)
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <type_traits>
#include <utility>

#include "search/trial_kernels.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define KORVEL_X86_KERNELS 1
#include <immintrin.h>
#endif

namespace korvel::kernels {

inline int32_t LeastOf(const int32_t* v, size_t n) {
  int32_t least = INT32_MAX;
  for (size_t k = 0; k < n; ++k) least = std::min(least, v[k]);
  return least;
}

inline int32_t ScalarBucket(double p, int32_t buckets) {
  const double t = std::fmin(std::fmax(buckets * p, 0.0), buckets - 1);
  return static_cast<int32_t>(t);
}

// The source of place k when lone inversions are swapped (see
// SettleBuckets): k - 1, k + 1 or k itself.
inline size_t LoneSwapSource(const double* p, size_t k) {
  const double* at = p + k;  // its neighbours below 0 too, without wrapping k
  const bool before = at[-1] < at[-2], here = at[0] < at[-1];
  const bool next = at[1] < at[0], after = at[2] < at[1];
  if (here && !before && !next) return k - 1;
  if (next && !here && !after) return k + 1;
  return k;
}

// The scalar running sums, from `sum` on.
inline void ExclusiveSumsFrom(int32_t* v, size_t n, int32_t sum) {
  for (size_t i = 0; i < n; ++i) sum += std::exchange(v[i], sum);
}

// Place k of `to` from place `source` of `from`.
inline void MovePlace(const PhaseColumns& from, const PhaseColumns& to, size_t source, size_t k) {
  to.phase[k] = from.phase[source];
  to.t[k] = from.t[source];
  to.mag[k] = from.mag[source];
  if (to.shift != nullptr) to.shift[k] = from.shift[source];
}

// Moves place k back past the larger phases before it (which are in order);
// false where it then meets an equal phase of another offset.
inline bool InsertPlace(const PhaseColumns& c, size_t k) {
  const double p = c.phase[k];
  size_t j = k;
  while (j > 0 && c.phase[j - 1] > p) --j;
  if (j < k)
    for (double* column : {c.phase, c.t, c.mag, c.shift})
      if (column != nullptr) std::rotate(column + j, column + k, column + k + 1);
  return j == 0 || c.phase[j - 1] != p || c.t[j - 1] == c.t[j];
}

// SettleBuckets one place at a time from place `first` on (the places before
// it settled).
inline bool SettleFrom(const PhaseColumns& from, const PhaseColumns& to, size_t first, size_t n) {
  for (size_t k = first; k < n; ++k) MovePlace(from, to, LoneSwapSource(from.phase, k), k);
  for (size_t k = std::max<size_t>(first, 1); k < n; ++k)
    if (!InsertPlace(to, k)) return false;
  return true;
}

// FoldBuckets one element at a time from element `first` on.
inline void FoldBucketsFrom(const double* a, size_t first, size_t n, double f, const PhaseKey& key,
                            int32_t buckets, double* phase, int32_t* bucket) {
  for (size_t i = first; i < n; ++i) {
    double p = Frac(a[i] * f + key.c);
    if (key.shift != nullptr) p = (p + key.shift[i]) / key.divisor;
    if (phase != nullptr) phase[i] = p;
    if (bucket != nullptr) bucket[i] = ScalarBucket(p, buckets);
  }
}

// Every variant's entry points, one namespace per variant (scalar, sse2,
// avx2, avx512). Within its file a variant's kernels are inline, so that the
// steps of a carried order inline into one another; these are what the
// dispatch calls.
#define KORVEL_KERNEL_ENTRIES                                                                 \
  Sums DeemingSums(const double* dt, const double* w, size_t n, double f);                    \
  void DeemingSumsOfTrials(const double* dt, const double* w, size_t n, const double* f,      \
                           size_t count, double* ss, double* sc);                             \
  void DeemingAmplitudes(const double* ss, const double* sc, size_t count, double n,          \
                         double factor, double* out);                                         \
  void DeemingTrialAmplitudes(const double* dt, const double* w, size_t n, const double* f,   \
                              size_t count, double factor, double* out);                      \
  void Fold(const double* a, size_t n, double f, double c, double* out);                      \
  void FoldBins(const double* a, size_t n, double f, double c, int32_t bins, int32_t* out);   \
  void PhaseBuckets(const double* phase, size_t n, int32_t buckets, int32_t* out);            \
  void FoldKeys(const double* pairs, size_t n, double f, double fPrevious, int32_t* key);     \
  void FillNaN(double* out, size_t n);                                                        \
  int32_t WindowRanks(const int32_t* key, size_t n, int window, int32_t* rank);               \
  double CyclicSquaredSteps(const double* w, size_t n);                                       \
  double CyclicSquaredStepsOfPairs(const double* pairs, size_t n);                            \
  void FoldBuckets(const double* a, size_t n, double f, const PhaseKey& key, int32_t buckets, \
                   double* phase, int32_t* bucket);                                           \
  bool SettleBuckets(const PhaseColumns& from, const PhaseColumns& to, size_t n);             \
  void ExclusiveSums(int32_t* v, size_t n);                                                   \
  bool FoldAscendingOrTied(const double* pairs, size_t n, double f);                          \
  bool CarriedOrderStep(const CarriedOrder& c, double f, double fPrevious);                   \
  void RotatePhasors(double* c, double* s, const double* rc, const double* rs, size_t n);     \
  void TurnPhasors(const double* c, const double* s, const double* dt, double turn, size_t n, \
                   double* outC, double* outS);                                               \
  GlsSums GlsSumsOf(const double* w, const double* y, const double* cos, const double* sin,   \
                    size_t n);                                                                \
  double SzegoFit(const double* w, const double* y, const double* cos, const double* sin,     \
                  size_t n, int harmonics, double leastNorm, double* work);
namespace scalar {
KORVEL_KERNEL_ENTRIES
}
#ifdef KORVEL_X86_KERNELS
namespace sse2 {
KORVEL_KERNEL_ENTRIES
}
namespace avx2 {
KORVEL_KERNEL_ENTRIES
}
namespace avx512 {
KORVEL_KERNEL_ENTRIES
}
#endif
#undef KORVEL_KERNEL_ENTRIES

// The entry points of a vector variant, defined in its namespace after its
// kernels (named with a V) are.
#define KORVEL_VECTOR_ENTRIES                                                                 \
  Sums DeemingSums(const double* dt, const double* w, size_t n, double f) {                   \
    return DeemingSumsV(dt, w, n, f);                                                         \
  }                                                                                           \
  void DeemingSumsOfTrials(const double* dt, const double* w, size_t n, const double* f,      \
                           size_t count, double* ss, double* sc) {                            \
    DeemingSumsOfTrialsV(dt, w, n, f, count, ss, sc);                                         \
  }                                                                                           \
  void DeemingAmplitudes(const double* ss, const double* sc, size_t count, double n,          \
                         double factor, double* out) {                                        \
    DeemingAmplitudesV(ss, sc, count, n, factor, out);                                        \
  }                                                                                           \
  void DeemingTrialAmplitudes(const double* dt, const double* w, size_t n, const double* f,   \
                              size_t count, double factor, double* out) {                     \
    DeemingTrialAmplitudesV(dt, w, n, f, count, factor, out);                                 \
  }                                                                                           \
  void Fold(const double* a, size_t n, double f, double c, double* out) {                     \
    FoldV(a, n, f, c, out);                                                                   \
  }                                                                                           \
  void FoldBins(const double* a, size_t n, double f, double c, int32_t bins, int32_t* out) {  \
    FoldBinsV(a, n, f, c, bins, out);                                                         \
  }                                                                                           \
  void PhaseBuckets(const double* phase, size_t n, int32_t buckets, int32_t* out) {           \
    PhaseBucketsV(phase, n, buckets, out);                                                    \
  }                                                                                           \
  void FoldKeys(const double* pairs, size_t n, double f, double fPrevious, int32_t* key) {    \
    FoldKeysV(pairs, n, f, fPrevious, key);                                                   \
  }                                                                                           \
  void FillNaN(double* out, size_t n) {                                                       \
    FillNaNV(out, n);                                                                         \
  }                                                                                           \
  int32_t WindowRanks(const int32_t* key, size_t n, int window, int32_t* rank) {              \
    return WindowRanksV(key, n, window, rank);                                                \
  }                                                                                           \
  double CyclicSquaredSteps(const double* w, size_t n) {                                      \
    return CyclicSquaredStepsV(w, n);                                                         \
  }                                                                                           \
  double CyclicSquaredStepsOfPairs(const double* pairs, size_t n) {                           \
    return CyclicSquaredStepsOfPairsV(pairs, n);                                              \
  }                                                                                           \
  bool FoldAscendingOrTied(const double* pairs, size_t n, double f) {                         \
    return FoldAscendingOrTiedV(pairs, n, f);                                                 \
  }                                                                                           \
  void FoldBuckets(const double* a, size_t n, double f, const PhaseKey& key, int32_t buckets, \
                   double* phase, int32_t* bucket) {                                          \
    FoldBucketsV(a, n, f, key, buckets, phase, bucket);                                       \
  }                                                                                           \
  bool SettleBuckets(const PhaseColumns& from, const PhaseColumns& to, size_t n) {            \
    return SettleBucketsV(from, to, n);                                                       \
  }                                                                                           \
  void ExclusiveSums(int32_t* v, size_t n) {                                                  \
    ExclusiveSumsV(v, n);                                                                     \
  }                                                                                           \
  bool CarriedOrderStep(const CarriedOrder& c, double f, double fPrevious) {                  \
    return CarriedOrderStepIn(c, f, fPrevious);                                               \
  }                                                                                           \
  void RotatePhasors(double* c, double* s, const double* rc, const double* rs, size_t n) {    \
    RotatePhasorsV(c, s, rc, rs, n);                                                          \
  }                                                                                           \
  void TurnPhasors(const double* c, const double* s, const double* dt, double turn, size_t n, \
                   double* outC, double* outS) {                                              \
    TurnPhasorsV(c, s, dt, turn, n, outC, outS);                                              \
  }                                                                                           \
  GlsSums GlsSumsOf(const double* w, const double* y, const double* cos, const double* sin,   \
                    size_t n) {                                                               \
    return GlsSumsOfV(w, y, cos, sin, n);                                                     \
  }                                                                                           \
  double SzegoFit(const double* w, const double* y, const double* cos, const double* sin,     \
                  size_t n, int harmonics, double leastNorm, double* work) {                  \
    return SzegoFitOf<V, kLanes>(w, y, cos, sin, n, harmonics, leastNorm, work);              \
  }

}  // namespace korvel::kernels
