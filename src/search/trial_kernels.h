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

// The sums of `count` trials at once: ss[t] and sc[t] of frequency f[t], each
// bit for bit what DeemingSums(dt, w, n, f[t], isa) gives. The vector
// variants put trials side by side in the lanes (a few dozen observations
// fill few vector registers) but keep, per trial, the order of additions of
// DeemingSums.
void DeemingSumsOfTrials(const double* dt, const double* w, size_t n, const double* f, size_t count,
                         double* ss, double* sc, Isa isa);

// out[t] = factor * sqrt((ss[t] / n)^2 + (sc[t] / n)^2): the amplitudes of
// Deeming sums of n observations, the same in every variant.
void DeemingAmplitudes(const double* ss, const double* sc, size_t count, double n, double factor,
                       double* out, Isa isa);

// The amplitudes of `count` trials at once: out[t] bit for bit what
// DeemingAmplitudes gives for DeemingSumsOfTrials' sums of trial t.
void DeemingTrialAmplitudes(const double* dt, const double* w, size_t n, const double* f,
                            size_t count, double factor, double* out, Isa isa);

// out[i] = frac(a[i] * f + c), the whole part taken by IntBelow.
void Fold(const double* a, size_t n, double f, double c, double* out, Isa isa);

// out[i] = Trunc(bins * frac(a[i] * f + c)): 0 .. bins (bins only for a
// fraction of exactly 1).
void FoldBins(const double* a, size_t n, double f, double c, int32_t bins, int32_t* out, Isa isa);

// Bucket of each phase for a distribution sort over `buckets` buckets:
// Trunc(buckets * p) clamped to 0 .. buckets - 1 (phases of 1 go last).
void PhaseBuckets(const double* phase, size_t n, int32_t buckets, int32_t* out, Isa isa);

// The steps of an order carried from one trial to the next (see
// RunningPhaseOrder). The ranking compares whole numbers, twice as many to a
// register as doubles: key[k] = Trunc(kKeyScale * u), u = t[k] f minus the
// whole part of t[k] fPrevious (clamped to +-64): the phase at f, plus 1
// where it wrapped past 1 since fPrevious. Keys need only nearly keep the
// order of the phases -- the caller checks the order it builds from them
// with exact phases -- and ties of keys take phases within 2^-24 of each
// other, which the check then refuses where a tie misplaced them.
// The offsets t are the firsts of interleaved pairs (t, magnitude):
// pairs[2 k] is t[k]. Works on whole registers: pairs must hold 2 Padded(n)
// readable values, and key Padded(n) places.
inline constexpr double kKeyScale = 0x1.0p24;
inline constexpr int32_t kKeyCycle = 1 << 24;
inline constexpr double kKeyClamp = 64;
void FoldKeys(const double* pairs, size_t n, double f, double fPrevious, int32_t* key, Isa isa);

// Places in a nearly sorted sequence of keys continued past one cycle, each
// found among its neighbours alone:
// rank[k] = k - (key[k] >= kKeyCycle ? n : 0) + #{d = 1 .. window : key[k + d] < key[k]}
//                                              - #{d = 1 .. window : key[k - d] > key[k]}
// for k = 0 .. n - 1; returns the least rank. When no two keys out of order
// lie more than `window` places apart, rank minus the least is the place of a
// stable sort by key modulo the cycle; otherwise the caller must notice.
// window is at most kMaxRankWindow; key must hold `window` readable values
// before key[0], and after key[n - 1] as many as reach `window` past n
// rounded up to a multiple of 16; rank must hold n rounded up to 16.
inline constexpr int kMaxRankWindow = 16;
// out[0 .. n-1] := NaN.
void FillNaN(double* out, size_t n, Isa isa);
inline constexpr int kRankLanes = 16;
int32_t WindowRanks(const int32_t* key, size_t n, int window, int32_t* rank, Isa isa);

// One trial of an order carried from the trial before (see
// RunningPhaseOrder), its steps in one call: FoldKeys; the keys continued a
// cycle past either end; WindowRanks; every pair moved to its place in
// nextPairs (every place proven taken; a rank out of range moves to a
// place of the padding); FoldAscendingOrTied of the new order. True when the
// new order is checked.
struct CarriedOrder {
  const double* pairs;  // 2 Padded(n): the order at fPrevious
  int32_t* key;         // window places before, Padded(n) + window after
  int32_t* rank;        // Padded(n)
  double* nextPairs;    // 2 max(Padded(n), 64) + 2
  size_t n;
  int window;
};
bool CarriedOrderStep(const CarriedOrder& c, double f, double fPrevious, Isa isa);

// The key a phase order sorts by: frac(a f + c) as Fold makes it, or with
// shift, (frac(a f + c) + shift[i]) / divisor (the secondary period's
// phase within its primary bin).
struct PhaseKey {
  double c = 0;
  const double* shift = nullptr;
  double divisor = 1;
};

// phase[i] := the key of a[i], and bucket[i] := its bucket as PhaseBuckets
// finds it, in one pass; either may be null (not wanted).
void FoldBuckets(const double* a, size_t n, double f, const PhaseKey& key, int32_t buckets,
                 double* phase, int32_t* bucket, Isa isa);

// v[i] := v[0] + ... + v[i - 1] (the starts of buckets from their counts).
void ExclusiveSums(int32_t* v, size_t n, Isa isa);

// The columns of a phase order by buckets (see BucketPhaseOrder): each
// observation's key (its phase), offset and magnitude, and its shift where
// the key has one (else null).
struct PhaseColumns {
  double* phase;
  double* t;
  double* mag;
  double* shift;
};

// Settles the order of observations put into buckets by phase, from into
// to: first every lone inversion is swapped (places k - 1 and k trade where
// phase[k] < phase[k - 1] but neither k - 2, k - 1 nor k, k + 1 is
// inverted), which puts a bucket of two in order and leaves a permutation
// whatever the phases; then whatever still descends (larger buckets) is
// moved back by insertion, past larger phases only. False where two
// different offsets end up with equal phases, whose order this cannot tell
// (to is then a permutation of from in no particular order). from.phase
// must be readable at -2 .. n + 1 (below 0 -inf, from n on +inf), the other
// columns of from at -1 .. n.
bool SettleBuckets(const PhaseColumns& from, const PhaseColumns& to, size_t n, Isa isa);

// Sum of (w[i] - w[i-1])^2 over i = 1 .. n-1 plus the closing (w[0] - w[n-1])^2.
double CyclicSquaredSteps(const double* w, size_t n, Isa isa);
// The same over the seconds of interleaved pairs, w[i] = pairs[2 i + 1], bit
// for bit what CyclicSquaredSteps gives for them.
double CyclicSquaredStepsOfPairs(const double* pairs, size_t n, Isa isa);

// phase[k] := frac(pairs[2 k] f), as Fold; then true when the phases ascend,
// equal neighbours only where their t (the firsts of the pairs) are equal
// too; a NaN anywhere makes it false (and may leave phases unwritten).
// Works on whole registers: pairs must
// hold 2 Padded(n) readable values and phase Padded(n) places.
inline size_t Padded(size_t n) {
  return (n + kRankLanes - 1) / kRankLanes * kRankLanes;
}
bool FoldAscendingOrTied(const double* pairs, size_t n, double f, Isa isa);

// The trigonometric recurrence of GridPhasors, element by element (the same
// bits in every variant): (c[i], s[i]) turned by (rc[i], rs[i]) in place.
void RotatePhasors(double* c, double* s, const double* rc, const double* rs, size_t n, Isa isa);
// (outC[i], outS[i]) := (c[i], s[i]) turned by the small angle e = turn dt[i]
// through the Taylor series cos e = 1 - e^2 (1/2 - e^2 / 24), sin e =
// e (1 - e^2 / 6), good to 1e-15 for |e| <= 2 pi 1e-4.
void TurnPhasors(const double* c, const double* s, const double* dt, double turn, size_t n,
                 double* outC, double* outS, Isa isa);

// The weighted sums of the generalised Lomb-Scargle power over the
// observations' phasors (cos[i], sin[i]), weights w and magnitudes y:
// c = sum w cos, s = sum w sin, yc = sum w cos y, ys = sum w sin y,
// cc = sum w cos^2, ss = sum w sin^2, cs = sum w sin cos.
struct GlsSums {
  double c = 0, s = 0, yc = 0, ys = 0, cc = 0, ss = 0, cs = 0;
};
GlsSums GlsSumsOf(const double* w, const double* y, const double* cos, const double* sin, size_t n,
                  Isa isa);

// The squared norm of the projection of y z^h (z = cos + i sin) on the
// polynomials phi_0 .. phi_2h of the points z orthogonal under the weights w,
// made by Szego's recurrence (see multi_harmonic_aov.cpp); NaN when a
// polynomial's weighted norm falls to leastNorm or below. work holds
// SzegoWorkSize(n) places.
inline size_t SzegoWorkSize(size_t n) {
  return 9 * Padded(n);
}
double SzegoFit(const double* w, const double* y, const double* cos, const double* sin, size_t n,
                int harmonics, double leastNorm, double* work, Isa isa);

}  // namespace korvel::kernels
