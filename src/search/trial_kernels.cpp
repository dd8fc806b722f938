// Which variant of a kernel runs: the widest this processor supports, or the
// one asked for. The variants live one file per instruction set
// (trial_kernels_variants.h).
#include "search/trial_kernels_variants.h"

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

// One dispatch per kernel: the variants share their names and signatures.
#ifdef KORVEL_X86_KERNELS
#define KORVEL_DISPATCH(name, ...)      \
  switch (Usable(isa)) {                \
    case Isa::Sse2:                     \
      return sse2::name(__VA_ARGS__);   \
    case Isa::Avx2:                     \
      return avx2::name(__VA_ARGS__);   \
    case Isa::Avx512:                   \
      return avx512::name(__VA_ARGS__); \
    case Isa::Scalar:                   \
      break;                            \
  }                                     \
  return scalar::name(__VA_ARGS__)
#else
#define KORVEL_DISPATCH(name, ...) \
  (void)isa;                       \
  return scalar::name(__VA_ARGS__)
#endif

Sums DeemingSums(const double* dt, const double* w, size_t n, double f, Isa isa) {
  KORVEL_DISPATCH(DeemingSums, dt, w, n, f);
}

void DeemingSumsOfTrials(const double* dt, const double* w, size_t n, const double* f, size_t count,
                         double* ss, double* sc, Isa isa) {
  KORVEL_DISPATCH(DeemingSumsOfTrials, dt, w, n, f, count, ss, sc);
}

void DeemingAmplitudes(const double* ss, const double* sc, size_t count, double n, double factor,
                       double* out, Isa isa) {
  KORVEL_DISPATCH(DeemingAmplitudes, ss, sc, count, n, factor, out);
}

void DeemingTrialAmplitudes(const double* dt, const double* w, size_t n, const double* f,
                            size_t count, double factor, double* out, Isa isa) {
  KORVEL_DISPATCH(DeemingTrialAmplitudes, dt, w, n, f, count, factor, out);
}

void Fold(const double* a, size_t n, double f, double c, double* out, Isa isa) {
  KORVEL_DISPATCH(Fold, a, n, f, c, out);
}

void FoldBins(const double* a, size_t n, double f, double c, int32_t bins, int32_t* out, Isa isa) {
  KORVEL_DISPATCH(FoldBins, a, n, f, c, bins, out);
}

void PhaseBuckets(const double* phase, size_t n, int32_t buckets, int32_t* out, Isa isa) {
  KORVEL_DISPATCH(PhaseBuckets, phase, n, buckets, out);
}

void FoldKeys(const double* pairs, size_t n, double f, double fPrevious, int32_t* key, Isa isa) {
  KORVEL_DISPATCH(FoldKeys, pairs, n, f, fPrevious, key);
}

void FillNaN(double* out, size_t n, Isa isa) {
  KORVEL_DISPATCH(FillNaN, out, n);
}

int32_t WindowRanks(const int32_t* key, size_t n, int window, int32_t* rank, Isa isa) {
  KORVEL_DISPATCH(WindowRanks, key, n, window, rank);
}

double CyclicSquaredSteps(const double* w, size_t n, Isa isa) {
  KORVEL_DISPATCH(CyclicSquaredSteps, w, n);
}

double CyclicSquaredStepsOfPairs(const double* pairs, size_t n, Isa isa) {
  KORVEL_DISPATCH(CyclicSquaredStepsOfPairs, pairs, n);
}

void FoldBuckets(const double* a, size_t n, double f, const PhaseKey& key, int32_t buckets,
                 double* phase, int32_t* bucket, Isa isa) {
  KORVEL_DISPATCH(FoldBuckets, a, n, f, key, buckets, phase, bucket);
}

bool SettleBuckets(const PhaseColumns& from, const PhaseColumns& to, size_t n, Isa isa) {
  KORVEL_DISPATCH(SettleBuckets, from, to, n);
}

void ExclusiveSums(int32_t* v, size_t n, Isa isa) {
  KORVEL_DISPATCH(ExclusiveSums, v, n);
}

bool CarriedOrderStep(const CarriedOrder& c, double f, double fPrevious, Isa isa) {
  KORVEL_DISPATCH(CarriedOrderStep, c, f, fPrevious);
}

bool FoldAscendingOrTied(const double* pairs, size_t n, double f, Isa isa) {
  KORVEL_DISPATCH(FoldAscendingOrTied, pairs, n, f);
}

void RotatePhasors(double* c, double* s, const double* rc, const double* rs, size_t n, Isa isa) {
  KORVEL_DISPATCH(RotatePhasors, c, s, rc, rs, n);
}

void TurnPhasors(const double* c, const double* s, const double* dt, double turn, size_t n,
                 double* outC, double* outS, Isa isa) {
  KORVEL_DISPATCH(TurnPhasors, c, s, dt, turn, n, outC, outS);
}

GlsSums GlsSumsOf(const double* w, const double* y, const double* cos, const double* sin, size_t n,
                  Isa isa) {
  KORVEL_DISPATCH(GlsSumsOf, w, y, cos, sin, n);
}

double SzegoFit(const double* w, const double* y, const double* cos, const double* sin, size_t n,
                int harmonics, double leastNorm, double* work, Isa isa) {
  KORVEL_DISPATCH(SzegoFit, w, y, cos, sin, n, harmonics, leastNorm, work);
}

}  // namespace korvel::kernels
