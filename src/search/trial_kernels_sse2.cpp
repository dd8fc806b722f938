// The kernels on SSE2, two doubles to a register (every x86-64 processor).
#include "search/trial_kernels_variants.h"

#ifdef KORVEL_X86_KERNELS

namespace korvel::kernels {

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
inline V Abs(V x) {
  return _mm_andnot_pd(_mm_set1_pd(-0.0), x);
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
KORVEL_VECTOR_ENTRIES
}  // namespace sse2

}  // namespace korvel::kernels

#endif  // KORVEL_X86_KERNELS
