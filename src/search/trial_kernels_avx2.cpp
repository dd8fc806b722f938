// The kernels on AVX2, four doubles to a register.
#include "search/trial_kernels_variants.h"

#ifdef KORVEL_X86_KERNELS

namespace korvel::kernels {

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
inline V Abs(V x) {
  return _mm256_andnot_pd(_mm256_set1_pd(-0.0), x);
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
KORVEL_VECTOR_ENTRIES
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

}  // namespace korvel::kernels

#endif  // KORVEL_X86_KERNELS
