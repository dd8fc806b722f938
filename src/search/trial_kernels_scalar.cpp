// The kernels as plain scalar code: the reference, valid for any input.
#include "search/trial_kernels_variants.h"

namespace korvel::kernels {

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

void DeemingTrialAmplitudes(const double* dt, const double* w, size_t n, const double* f,
                            size_t count, double factor, double* out) {
  for (size_t t = 0; t < count; ++t) {
    const Sums sums = DeemingSums(dt, w, n, f[t]);
    DeemingAmplitudes(&sums.ss, &sums.sc, 1, static_cast<double>(n), factor, out + t);
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

void FoldBuckets(const double* a, size_t n, double f, const PhaseKey& key, int32_t buckets,
                 double* phase, int32_t* bucket) {
  FoldBucketsFrom(a, 0, n, f, key, buckets, phase, bucket);
}

void ExclusiveSums(int32_t* v, size_t n) {
  ExclusiveSumsFrom(v, n, 0);
}

bool SettleBuckets(const PhaseColumns& from, const PhaseColumns& to, size_t n) {
  return SettleFrom(from, to, 0, n);
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

// A double as a register of one lane, for the shared code.
inline double Load(const double* p) {
  return *p;
}
inline void Store(double* p, double v) {
  *p = v;
}
inline double HorizontalSum(double v) {
  return v;
}
#include "search/trial_kernels_phasors.inc"

void RotatePhasors(double* c, double* s, const double* rc, const double* rs, size_t n) {
  for (size_t i = 0; i < n; ++i) RotateOne(c[i], s[i], rc[i], rs[i]);
}

void TurnPhasors(const double* c, const double* s, const double* dt, double turn, size_t n,
                 double* outC, double* outS) {
  for (size_t i = 0; i < n; ++i) TurnOne(c[i], s[i], turn * dt[i], outC[i], outS[i]);
}

GlsSums GlsSumsOf(const double* w, const double* y, const double* cos, const double* sin,
                  size_t n) {
  double a[kGlsSums] = {};
  for (size_t i = 0; i < n; ++i) AddGlsTerms(a, w[i], y[i], cos[i], sin[i]);
  return GlsSumsFrom(a);
}

double SzegoFit(const double* w, const double* y, const double* cos, const double* sin, size_t n,
                int harmonics, double leastNorm, double* work) {
  return SzegoFitOf<double, 1>(w, y, cos, sin, n, harmonics, leastNorm, work);
}

#define KORVEL_VARIANT(name) name
#include "search/trial_kernels_step.inc"
#undef KORVEL_VARIANT

bool CarriedOrderStep(const CarriedOrder& c, double f, double fPrevious) {
  return CarriedOrderStepIn(c, f, fPrevious);
}
}  // namespace scalar

}  // namespace korvel::kernels
