// The inner loops of the searches, written once as plain scalar code (the
// reference, valid for any input) and once for the vector units of x86-64
// (SSE2, AVX2, AVX-512F), chosen at run time. Every vector variant computes
// each phase and weight bit for bit as the scalar code does; only the order in
// which a sum is accumulated differs, which moves the last bits of the sum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/numeric.h"

namespace korvel::kernels {

enum class Isa { Scalar, Sse2, Avx2, Avx512 };

// The widest variant this processor and system support (detected once).
Isa BestIsa();
// Every variant usable here, Scalar first.
std::vector<Isa> AvailableIsas();
const char* IsaName(Isa isa);

// The vector variants take whole parts by rounding down (an instruction, or
// on SSE2 the rounding of 2^52 + x), which equals IntBelow for
// 0 <= x < 2^52. Folds whose arguments a * f + c stay in that range with
// margin (a >= 0, f >= 0, c >= 0) may use them; others take Scalar.
inline bool VectorFoldIsExact(double aMin, double aMax, double f, double c) {
  return aMin >= 0 && f >= 0 && c >= 0 && aMax * f + c < 0x1.0p50;
}

// The parabolic stand-ins for sin 2 pi phase and cos 2 pi phase: arcs through
// the values of both at every quarter cycle, so no trigonometry is needed.
struct Weights {
  double s, c;
};
Weights SineCosineWeights(double phase);

struct Sums {
  double ss = 0, sc = 0;
};

// Sum over i of w[i] * s(phase_i) and w[i] * c(phase_i), phase_i =
// frac(dt[i] * f). (0-based arrays of n elements.)
Sums DeemingSums(const double* dt, const double* w, size_t n, double f, Isa isa);

// out[i] = frac(a[i] * f + c), the whole part taken by IntBelow.
void Fold(const double* a, size_t n, double f, double c, double* out, Isa isa);

// out[i] = Trunc(bins * frac(a[i] * f + c)): 0 .. bins (bins only for a
// fraction of exactly 1).
void FoldBins(const double* a, size_t n, double f, double c, int32_t bins, int32_t* out, Isa isa);

// Bucket of each phase for a distribution sort over `buckets` buckets:
// Trunc(buckets * p) clamped to 0 .. buckets - 1 (phases of 1 go last).
void PhaseBuckets(const double* phase, size_t n, int32_t buckets, int32_t* out, Isa isa);

// Sum of (w[i] - w[i-1])^2 over i = 1 .. n-1 plus the closing (w[0] - w[n-1])^2.
double CyclicSquaredSteps(const double* w, size_t n, Isa isa);

}  // namespace korvel::kernels
