// The phases, weights and sums must come out the same on every machine, so
// no multiply-add may be fused here: a fused a * f + c rounds once instead of
// twice, which moves phases across bucket edges and changes sort orders. The
// vector variants are compiled for their instruction sets with GCC target
// pragmas; elsewhere only the scalar code is built. The rounding trick and
// the exact comparisons need IEEE arithmetic: never build this with
// -ffast-math.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("fp-contract=off")
#elif defined(__clang__)
#pragma clang fp contract(off)
#endif

#include "search/trial_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__x86_64__) && defined(__GNUC__)
#define KORVEL_X86_KERNELS 1
#include <immintrin.h>
#endif

namespace korvel::kernels {

Weights SineCosineWeights(double phase) {
  Weights w;
  if (phase <= 0.5) {
    w.s = 1 - 16 * ((phase - 0.25) * (phase - 0.25));
  } else {
    w.s = 16 * ((phase - 0.75) * (phase - 0.75)) - 1;
  }
  if (phase < 0.25) {
    w.c = 1 - 16 * (phase * phase);
  } else if (phase <= 0.75) {
    w.c = 16 * ((phase - 0.5) * (phase - 0.5)) - 1;
  } else {
    w.c = 1 - 16 * ((1 - phase) * (1 - phase));
  }
  return w;
}

namespace {

int32_t LeastOf(const int32_t* v, size_t n) {
  int32_t least = INT32_MAX;
  for (size_t k = 0; k < n; ++k) least = std::min(least, v[k]);
  return least;
}

int32_t ScalarBucket(double p, int32_t buckets) {
  const double t = std::fmin(std::fmax(buckets * p, 0.0), buckets - 1);
  return static_cast<int32_t>(t);
}

}  // namespace

namespace scalar {

Sums DeemingSums(const double* dt, const double* w, size_t n, double f) {
  Sums sums;
  for (size_t i = 0; i < n; ++i) {
    const Weights k = SineCosineWeights(Frac(dt[i] * f));
    sums.ss += w[i] * k.s;
    sums.sc += w[i] * k.c;
  }
  return sums;
}

void DeemingSumsOfTrials(const double* dt, const double* w, size_t n, const double* f, size_t count,
                         double* ss, double* sc) {
  for (size_t t = 0; t < count; ++t) {
    const Sums sums = DeemingSums(dt, w, n, f[t]);
    ss[t] = sums.ss;
    sc[t] = sums.sc;
  }
}

void DeemingAmplitudes(const double* ss, const double* sc, size_t count, double n, double factor,
                       double* out) {
  for (size_t t = 0; t < count; ++t) {
    const double s = ss[t] / n;
    const double c = sc[t] / n;
    out[t] = std::sqrt(s * s + c * c) * factor;
  }
}

void Fold(const double* a, size_t n, double f, double c, double* out) {
  for (size_t i = 0; i < n; ++i) out[i] = Frac(a[i] * f + c);
}

void FoldBins(const double* a, size_t n, double f, double c, int32_t bins, int32_t* out) {
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<int32_t>(bins * Frac(a[i] * f + c));
}

void PhaseBuckets(const double* phase, size_t n, int32_t buckets, int32_t* out) {
  for (size_t i = 0; i < n; ++i) out[i] = ScalarBucket(phase[i], buckets);
}

void FoldKeys(const double* pairs, size_t n, double f, double fPrevious, int32_t* key) {
  for (size_t k = 0; k < n; ++k) {
    const double t = pairs[2 * k];
    const double u = std::clamp(t * f - IntBelow(t * fPrevious), -kKeyClamp, kKeyClamp);
    key[k] = static_cast<int32_t>(kKeyScale * u);
  }
}

void FillNaN(double* out, size_t n) {
  std::fill(out, out + n, std::numeric_limits<double>::quiet_NaN());
}

int32_t WindowRanks(const int32_t* key, size_t n, int window, int32_t* rank) {
  int32_t least = INT32_MAX;
  for (size_t k = 0; k < n; ++k) {
    const int32_t* centre = key + k;
    int32_t r = static_cast<int32_t>(k) - (*centre >= kKeyCycle ? static_cast<int32_t>(n) : 0);
    for (int d = 1; d <= window; ++d) {
      r += centre[d] < *centre;
      r -= centre[-d] > *centre;
    }
    rank[k] = r;
    least = std::min(least, r);
  }
  return least;
}

// The steps of w[0], w[stride], w[2 stride] ...
template <size_t kStride>
double CyclicSquaredStepsOf(const double* w, size_t n) {
  if (n == 0) return 0;
  const auto at = [w](size_t i) { return w[kStride * i]; };
  double sum = 0;
  for (size_t i = 1; i < n; ++i) sum += (at(i) - at(i - 1)) * (at(i) - at(i - 1));
  return sum + (at(0) - at(n - 1)) * (at(0) - at(n - 1));
}

double CyclicSquaredSteps(const double* w, size_t n) {
  return CyclicSquaredStepsOf<1>(w, n);
}

double CyclicSquaredStepsOfPairs(const double* pairs, size_t n) {
  return CyclicSquaredStepsOf<2>(pairs + 1, n);
}

bool FoldAscendingOrTied(const double* pairs, size_t n, double f) {
  double last = -HUGE_VAL;
  for (size_t k = 0; k < n; ++k) {
    const double phase = Frac(pairs[2 * k] * f);
    if (!(last < phase || (last == phase && pairs[2 * k - 2] == pairs[2 * k]))) return false;
    last = phase;
  }
  return true;
}

#define KORVEL_VARIANT(name) name
#include "search/trial_kernels_step.inc"
#undef KORVEL_VARIANT
}  // namespace scalar

#ifdef KORVEL_X86_KERNELS

namespace sse2 {
using V = __m128d;
using M = __m128d;
constexpr size_t kLanes = 2;
inline V Set(double x) {
  return _mm_set1_pd(x);
}
inline V Load(const double* p) {
  return _mm_loadu_pd(p);
}
// p[0], p[2] and p[1], p[3]: the two members of interleaved pairs.
inline V LoadFirsts(const double* p) {
  return _mm_unpacklo_pd(Load(p), Load(p + 2));
}
inline V LoadSeconds(const double* p) {
  return _mm_unpackhi_pd(Load(p), Load(p + 2));
}
// The last lane of before, then all but the last of v: the register of the
// elements one place earlier.
inline V ShiftIn(V before, V v) {
  return _mm_shuffle_pd(before, v, 1);
}
inline void Store(double* p, V v) {
  _mm_storeu_pd(p, v);
}
inline V Add(V a, V b) {
  return _mm_add_pd(a, b);
}
inline V Sub(V a, V b) {
  return _mm_sub_pd(a, b);
}
inline V Mul(V a, V b) {
  return _mm_mul_pd(a, b);
}
inline V Div(V a, V b) {
  return _mm_div_pd(a, b);
}
inline V Sqrt(V a) {
  return _mm_sqrt_pd(a);
}
inline V Min(V a, V b) {
  return _mm_min_pd(a, b);
}
inline V Max(V a, V b) {
  return _mm_max_pd(a, b);
}
inline M Gt(V a, V b) {
  return _mm_cmpgt_pd(a, b);
}
inline M Ge(V a, V b) {
  return _mm_cmpge_pd(a, b);
}
inline M Le(V a, V b) {
  return _mm_cmple_pd(a, b);
}
inline M Eq(V a, V b) {
  return _mm_cmpeq_pd(a, b);
}
inline M Or(M a, M b) {
  return _mm_or_pd(a, b);
}
inline M And(M a, M b) {
  return _mm_and_pd(a, b);
}
inline bool All(M m) {
  return _mm_movemask_pd(m) == 0x3;
}
inline V AndMask(M m, V v) {
  return _mm_and_pd(m, v);
}
inline V Select(M m, V a, V b) {
  return _mm_or_pd(_mm_and_pd(m, a), _mm_andnot_pd(m, b));
}
inline M Without(M a, M b) {
  return _mm_andnot_pd(b, a);
}
inline V NegIf(M m, V v) {
  return _mm_xor_pd(v, _mm_and_pd(m, _mm_set1_pd(-0.0)));
}
// 1 - t, negated where m.
inline V SignedOneMinus(M m, V t) {
  return NegIf(m, _mm_sub_pd(_mm_set1_pd(1.0), t));
}
// acc + x where m, acc elsewhere.
inline V AddWhere(M m, V acc, V x) {
  return _mm_add_pd(acc, _mm_and_pd(m, x));
}
// No rounding instruction before SSE4.1: adding and removing 2^52 rounds x
// to the nearest whole number, and one less replaces it where it overshoots.
inline V Floor(V x) {
  const V big = Set(0x1.0p52);
  const V r = Sub(Add(x, big), big);
  return Sub(r, AndMask(Gt(r, x), Set(1.0)));
}
inline double HorizontalSum(V v) {
  return _mm_cvtsd_f64(v) + _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}
// Lane by lane the additions HorizontalSum makes across the lanes of one
// register: a[l] stands for lane l.
inline V LaneTreeSum(const V* a) {
  return Add(a[0], a[1]);
}
inline void StoreTrunc(int32_t* p, V v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_cvttpd_epi32(v));
}
#include "search/trial_kernels.inc"
#define KORVEL_VARIANT(name) name##V
#include "search/trial_kernels_step.inc"
#undef KORVEL_VARIANT
}  // namespace sse2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
using V = __m256d;
using M = __m256d;
constexpr size_t kLanes = 4;
inline V Set(double x) {
  return _mm256_set1_pd(x);
}
inline V Load(const double* p) {
  return _mm256_loadu_pd(p);
}
inline V LoadFirsts(const double* p) {
  return _mm256_permute4x64_pd(_mm256_unpacklo_pd(Load(p), Load(p + 4)), 0xD8);
}
inline V LoadSeconds(const double* p) {
  return _mm256_permute4x64_pd(_mm256_unpackhi_pd(Load(p), Load(p + 4)), 0xD8);
}
inline V ShiftIn(V before, V v) {
  return _mm256_shuffle_pd(_mm256_permute2f128_pd(before, v, 0x21), v, 0x5);
}
inline void Store(double* p, V v) {
  _mm256_storeu_pd(p, v);
}
inline V Add(V a, V b) {
  return _mm256_add_pd(a, b);
}
inline V Sub(V a, V b) {
  return _mm256_sub_pd(a, b);
}
inline V Mul(V a, V b) {
  return _mm256_mul_pd(a, b);
}
inline V Div(V a, V b) {
  return _mm256_div_pd(a, b);
}
inline V Sqrt(V a) {
  return _mm256_sqrt_pd(a);
}
inline V Min(V a, V b) {
  return _mm256_min_pd(a, b);
}
inline V Max(V a, V b) {
  return _mm256_max_pd(a, b);
}
inline M Gt(V a, V b) {
  return _mm256_cmp_pd(a, b, _CMP_GT_OQ);
}
inline M Ge(V a, V b) {
  return _mm256_cmp_pd(a, b, _CMP_GE_OQ);
}
inline M Le(V a, V b) {
  return _mm256_cmp_pd(a, b, _CMP_LE_OQ);
}
inline M Eq(V a, V b) {
  return _mm256_cmp_pd(a, b, _CMP_EQ_OQ);
}
inline M Or(M a, M b) {
  return _mm256_or_pd(a, b);
}
inline M And(M a, M b) {
  return _mm256_and_pd(a, b);
}
inline bool All(M m) {
  return _mm256_movemask_pd(m) == 0xF;
}
inline V AndMask(M m, V v) {
  return _mm256_and_pd(m, v);
}
inline V Select(M m, V a, V b) {
  return _mm256_blendv_pd(b, a, m);
}
inline M Without(M a, M b) {
  return _mm256_andnot_pd(b, a);
}
inline V NegIf(M m, V v) {
  return _mm256_xor_pd(v, _mm256_and_pd(m, _mm256_set1_pd(-0.0)));
}
inline V SignedOneMinus(M m, V t) {
  return NegIf(m, _mm256_sub_pd(_mm256_set1_pd(1.0), t));
}
inline V AddWhere(M m, V acc, V x) {
  return _mm256_add_pd(acc, _mm256_and_pd(m, x));
}
inline V Floor(V x) {
  return _mm256_floor_pd(x);
}
inline double HorizontalSum(V v) {
  const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
  return _mm_cvtsd_f64(pair) + _mm_cvtsd_f64(_mm_unpackhi_pd(pair, pair));
}
inline V LaneTreeSum(const V* a) {
  return Add(Add(a[0], a[2]), Add(a[1], a[3]));
}
inline void StoreTrunc(int32_t* p, V v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvttpd_epi32(v));
}
#include "search/trial_kernels.inc"
#define KORVEL_VARIANT(name) name##V
#include "search/trial_kernels_step.inc"
#undef KORVEL_VARIANT
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f")
#endif
namespace avx512 {
using V = __m512d;
using M = __mmask8;
constexpr size_t kLanes = 8;
inline V Set(double x) {
  return _mm512_set1_pd(x);
}
inline V Load(const double* p) {
  return _mm512_loadu_pd(p);
}
inline V LoadFirsts(const double* p) {
  return _mm512_permutex2var_pd(Load(p), _mm512_set_epi64(14, 12, 10, 8, 6, 4, 2, 0), Load(p + 8));
}
inline V LoadSeconds(const double* p) {
  return _mm512_permutex2var_pd(Load(p), _mm512_set_epi64(15, 13, 11, 9, 7, 5, 3, 1), Load(p + 8));
}
inline V ShiftIn(V before, V v) {
  return _mm512_castsi512_pd(
      _mm512_maskz_alignr_epi64(0xFF, _mm512_castpd_si512(v), _mm512_castpd_si512(before), 7));
}
inline void Store(double* p, V v) {
  _mm512_storeu_pd(p, v);
}
inline V Add(V a, V b) {
  return _mm512_add_pd(a, b);
}
inline V Sub(V a, V b) {
  return _mm512_sub_pd(a, b);
}
inline V Mul(V a, V b) {
  return _mm512_mul_pd(a, b);
}
inline V Div(V a, V b) {
  return _mm512_div_pd(a, b);
}
inline V Sqrt(V a) {
  return _mm512_maskz_sqrt_pd(0xFF, a);
}
inline V Min(V a, V b) {
  return _mm512_maskz_min_pd(0xFF, a, b);
}
inline V Max(V a, V b) {
  return _mm512_maskz_max_pd(0xFF, a, b);
}
inline M Gt(V a, V b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ);
}
inline M Ge(V a, V b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ);
}
inline M Le(V a, V b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ);
}
inline M Eq(V a, V b) {
  return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ);
}
inline M Or(M a, M b) {
  return static_cast<M>(a | b);
}
inline M And(M a, M b) {
  return static_cast<M>(a & b);
}
inline bool All(M m) {
  return m == 0xFF;
}
inline V AndMask(M m, V v) {
  return _mm512_maskz_mov_pd(m, v);
}
inline V Select(M m, V a, V b) {
  return _mm512_mask_blend_pd(m, b, a);
}
inline M Without(M a, M b) {
  return static_cast<M>(a & ~b);
}
inline V Floor(V x) {
  return _mm512_maskz_roundscale_pd(0xFF, x, _MM_FROUND_FLOOR);
}
inline V NegIf(M m, V v) {
  const __m512i bits = _mm512_castpd_si512(v);
  return _mm512_castsi512_pd(_mm512_mask_xor_epi64(bits, m, bits, _mm512_set1_epi64(INT64_MIN)));
}
// t - 1 where m: one instruction fewer than negating, and the same but for
// the sign of a zero, which no sum of these weights can tell apart.
inline V SignedOneMinus(M m, V t) {
  const V one = _mm512_set1_pd(1.0);
  return _mm512_mask_sub_pd(_mm512_sub_pd(one, t), m, t, one);
}
inline V AddWhere(M m, V acc, V x) {
  return _mm512_mask_add_pd(acc, m, acc, x);
}
inline double HorizontalSum(V v) {
  double lanes[kLanes];
  _mm512_storeu_pd(lanes, v);
  return ((lanes[0] + lanes[1]) + (lanes[2] + lanes[3])) +
         ((lanes[4] + lanes[5]) + (lanes[6] + lanes[7]));
}
inline V LaneTreeSum(const V* a) {
  return Add(Add(Add(a[0], a[1]), Add(a[2], a[3])), Add(Add(a[4], a[5]), Add(a[6], a[7])));
}
inline void StoreTrunc(int32_t* p, V v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p),
                      _mm512_mask_cvttpd_epi32(_mm256_setzero_si256(), 0xFF, v));
}
// The ranks' counts added under the comparisons' masks: the counts after
// and before apart, two registers of keys at a time where two are left, so
// that four chains of additions overlap; never a register past Padded(n).
template <int kRegisters>
inline void WindowRanksOf(const int32_t* key, size_t k, size_t n, int window, int32_t* rank,
                          __m512i& least) {
  const __m512i lanes = _mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  const __m512i cycle = _mm512_set1_epi32(kKeyCycle), one = _mm512_set1_epi32(1);
  const __m512i count = _mm512_set1_epi32(static_cast<int32_t>(n));
  __m512i centre[kRegisters], after[kRegisters], before[kRegisters];
  for (int r = 0; r < kRegisters; ++r) {
    const int32_t* at = key + k + 16 * r;
    centre[r] = _mm512_loadu_si512(at);
    const __m512i place =
        _mm512_add_epi32(lanes, _mm512_set1_epi32(static_cast<int32_t>(k + 16 * r)));
    after[r] =
        _mm512_mask_sub_epi32(place, _mm512_cmpge_epi32_mask(centre[r], cycle), place, count);
    before[r] = _mm512_setzero_si512();
  }
  for (int d = 1; d <= window; ++d) {
    for (int r = 0; r < kRegisters; ++r) {
      const int32_t* at = key + k + 16 * r;
      after[r] = _mm512_mask_add_epi32(
          after[r], _mm512_cmplt_epi32_mask(_mm512_loadu_si512(at + d), centre[r]), after[r], one);
      before[r] = _mm512_mask_add_epi32(
          before[r], _mm512_cmpgt_epi32_mask(_mm512_loadu_si512(at - d), centre[r]), before[r],
          one);
    }
  }
  for (int r = 0; r < kRegisters; ++r) {
    const size_t first = k + 16 * r;
    const __m512i ranks = _mm512_sub_epi32(after[r], before[r]);
    _mm512_storeu_si512(rank + first, ranks);
    // Lanes beyond n do not count.
    const auto inside = static_cast<int32_t>(std::min<size_t>(n - first, 16));
    least = _mm512_mask_min_epi32(least, _mm512_cmplt_epi32_mask(lanes, _mm512_set1_epi32(inside)),
                                  least, ranks);
  }
}

inline int32_t WindowRanksV(const int32_t* key, size_t n, int window, int32_t* rank) {
  __m512i least = _mm512_set1_epi32(INT32_MAX);
  size_t k = 0;
  for (; k + 16 < n; k += 32) WindowRanksOf<2>(key, k, n, window, rank, least);
  if (k < n) WindowRanksOf<1>(key, k, n, window, rank, least);
  alignas(64) int32_t lane[16];
  _mm512_store_si512(lane, least);
  return *std::min_element(lane, lane + 16);
}
#define KORVEL_MASKED_WINDOW_RANKS
#include "search/trial_kernels.inc"
#define KORVEL_VARIANT(name) name##V
#include "search/trial_kernels_step.inc"
#undef KORVEL_VARIANT
#undef KORVEL_MASKED_WINDOW_RANKS
}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // KORVEL_X86_KERNELS

namespace {

Isa DetectIsa() {
#ifdef KORVEL_X86_KERNELS
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return Isa::Avx512;
  if (__builtin_cpu_supports("avx2")) return Isa::Avx2;
  return Isa::Sse2;
#else
  return Isa::Scalar;
#endif
}

#ifdef KORVEL_X86_KERNELS
// A variant this build or processor lacks falls back to the next narrower.
Isa Usable(Isa isa) {
  return isa > BestIsa() ? BestIsa() : isa;
}
#endif

}  // namespace

Isa BestIsa() {
  static const Isa best = DetectIsa();
  return best;
}

std::vector<Isa> AvailableIsas() {
  std::vector<Isa> isas;
  for (Isa isa : {Isa::Scalar, Isa::Sse2, Isa::Avx2, Isa::Avx512})
    if (isa <= BestIsa()) isas.push_back(isa);
  return isas;
}

const char* IsaName(Isa isa) {
  switch (isa) {
    case Isa::Scalar:
      return "scalar";
    case Isa::Sse2:
      return "sse2";
    case Isa::Avx2:
      return "avx2";
    case Isa::Avx512:
      return "avx512";
  }
  return "?";
}

// One dispatch per kernel: the variants share their signatures.
#ifdef KORVEL_X86_KERNELS
#define KORVEL_DISPATCH(scalarCall, vectorName, ...) \
  switch (Usable(isa)) {                             \
    case Isa::Sse2:                                  \
      return sse2::vectorName(__VA_ARGS__);          \
    case Isa::Avx2:                                  \
      return avx2::vectorName(__VA_ARGS__);          \
    case Isa::Avx512:                                \
      return avx512::vectorName(__VA_ARGS__);        \
    case Isa::Scalar:                                \
      break;                                         \
  }                                                  \
  return scalarCall(__VA_ARGS__)
#else
#define KORVEL_DISPATCH(scalarCall, vectorName, ...) \
  (void)isa;                                         \
  return scalarCall(__VA_ARGS__)
#endif

Sums DeemingSums(const double* dt, const double* w, size_t n, double f, Isa isa) {
  KORVEL_DISPATCH(scalar::DeemingSums, DeemingSumsV, dt, w, n, f);
}

void DeemingSumsOfTrials(const double* dt, const double* w, size_t n, const double* f, size_t count,
                         double* ss, double* sc, Isa isa) {
  KORVEL_DISPATCH(scalar::DeemingSumsOfTrials, DeemingSumsOfTrialsV, dt, w, n, f, count, ss, sc);
}

void DeemingAmplitudes(const double* ss, const double* sc, size_t count, double n, double factor,
                       double* out, Isa isa) {
  KORVEL_DISPATCH(scalar::DeemingAmplitudes, DeemingAmplitudesV, ss, sc, count, n, factor, out);
}

void Fold(const double* a, size_t n, double f, double c, double* out, Isa isa) {
  KORVEL_DISPATCH(scalar::Fold, FoldV, a, n, f, c, out);
}

void FoldBins(const double* a, size_t n, double f, double c, int32_t bins, int32_t* out, Isa isa) {
  KORVEL_DISPATCH(scalar::FoldBins, FoldBinsV, a, n, f, c, bins, out);
}

void PhaseBuckets(const double* phase, size_t n, int32_t buckets, int32_t* out, Isa isa) {
  KORVEL_DISPATCH(scalar::PhaseBuckets, PhaseBucketsV, phase, n, buckets, out);
}

void FoldKeys(const double* pairs, size_t n, double f, double fPrevious, int32_t* key, Isa isa) {
  KORVEL_DISPATCH(scalar::FoldKeys, FoldKeysV, pairs, n, f, fPrevious, key);
}

void FillNaN(double* out, size_t n, Isa isa) {
  KORVEL_DISPATCH(scalar::FillNaN, FillNaNV, out, n);
}

int32_t WindowRanks(const int32_t* key, size_t n, int window, int32_t* rank, Isa isa) {
  KORVEL_DISPATCH(scalar::WindowRanks, WindowRanksV, key, n, window, rank);
}

double CyclicSquaredSteps(const double* w, size_t n, Isa isa) {
  KORVEL_DISPATCH(scalar::CyclicSquaredSteps, CyclicSquaredStepsV, w, n);
}

double CyclicSquaredStepsOfPairs(const double* pairs, size_t n, Isa isa) {
  KORVEL_DISPATCH(scalar::CyclicSquaredStepsOfPairs, CyclicSquaredStepsOfPairsV, pairs, n);
}

bool CarriedOrderStep(const CarriedOrder& c, double f, double fPrevious, Isa isa) {
  KORVEL_DISPATCH(scalar::CarriedOrderStepIn, CarriedOrderStepIn, c, f, fPrevious);
}

bool FoldAscendingOrTied(const double* pairs, size_t n, double f, Isa isa) {
  KORVEL_DISPATCH(scalar::FoldAscendingOrTied, FoldAscendingOrTiedV, pairs, n, f);
}

}  // namespace korvel::kernels
