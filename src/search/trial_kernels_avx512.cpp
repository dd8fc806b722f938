// The kernels on AVX-512F, eight doubles to a register, with masked ranks.
#include "search/trial_kernels_variants.h"

#ifdef KORVEL_X86_KERNELS

namespace korvel::kernels {

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
inline V Abs(V x) {
  return _mm512_abs_pd(x);
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
// Sixteen sums to a register: each lane adds the lanes 1, 2, 4 and 8
// places below it, then the sum of all registers before.
inline void ExclusiveSumsV(int32_t* v, size_t n) {
  const __m512i zero = _mm512_setzero_si512(), last = _mm512_set1_epi32(15);
  __m512i carry = zero;
  size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m512i x = _mm512_loadu_si512(v + i);
    __m512i s = _mm512_add_epi32(x, _mm512_alignr_epi32(x, zero, 15));
    s = _mm512_add_epi32(s, _mm512_alignr_epi32(s, zero, 14));
    s = _mm512_add_epi32(s, _mm512_alignr_epi32(s, zero, 12));
    s = _mm512_add_epi32(s, _mm512_alignr_epi32(s, zero, 8));
    s = _mm512_add_epi32(s, carry);
    _mm512_storeu_si512(v + i, _mm512_sub_epi32(s, x));
    carry = _mm512_permutexvar_epi32(last, s);
  }
  ExclusiveSumsFrom(v + i, n - i, _mm_cvtsi128_si32(_mm512_castsi512_si128(carry)));
}
#define KORVEL_OWN_EXCLUSIVE_SUMS
#define KORVEL_MASKED_WINDOW_RANKS
#include "search/trial_kernels.inc"
#define KORVEL_VARIANT(name) name##V
#include "search/trial_kernels_step.inc"
#undef KORVEL_VARIANT
#undef KORVEL_MASKED_WINDOW_RANKS
#undef KORVEL_OWN_EXCLUSIVE_SUMS
KORVEL_VECTOR_ENTRIES
}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

}  // namespace korvel::kernels

#endif  // KORVEL_X86_KERNELS
