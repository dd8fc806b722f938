// What the sample generators share: a random source whose output is the same
// on every machine (the normal deviates come from our own Box-Muller
// transform of the raw mt19937_64 stream, not from std::normal_distribution,
// whose algorithm the standard leaves to each library), and the light curve
// of a fundamental-mode RR Lyrae star.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

namespace korvel::samples {

inline constexpr double kTwoPi = 2 * std::numbers::pi;

class Noise {
 public:
  explicit Noise(uint64_t seed) : engine_(seed) {}

  // [0, 1) from the top 53 bits.
  double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

  double Normal() {
    const double u1 = 1.0 - Uniform();  // (0, 1]: the logarithm stays finite
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2);
  }

 private:
  std::mt19937_64 engine_;
};

// Sine series of a typical fundamental-mode RR Lyrae light curve: amplitudes
// falling off by harmonic, phase differences phi_k1 of the usual sequence
// (e.g. Simon & Teays 1982; Jurcsik & Kovacs 1996), which give the fast rise
// and slow decline.
inline constexpr std::array<double, 6> kHarmonicAmp = {0.30, 0.15, 0.10, 0.066, 0.042, 0.027};
inline constexpr std::array<double, 6> kHarmonicPhase = {0.0, 2.4, 5.2, 1.6, 4.7, 0.6};

inline double RawShape(double phase) {
  double v = 0;
  for (size_t k = 0; k < kHarmonicAmp.size(); ++k)
    v +=
        kHarmonicAmp[k] * std::sin(kTwoPi * static_cast<double>(k + 1) * phase + kHarmonicPhase[k]);
  return v;
}

// The light curve of unit phase with its maximum of light (least magnitude)
// at phase 0 and the given full amplitude around a zero mean.
class LightCurve {
 public:
  explicit LightCurve(double fullAmplitude) {
    constexpr int kSteps = 20000;
    double least = RawShape(0), most = least;
    for (int i = 1; i < kSteps; ++i) {
      const double x = static_cast<double>(i) / kSteps;
      const double v = RawShape(x);
      if (v < least) least = v, shift_ = x;
      if (v > most) most = v;
    }
    scale_ = fullAmplitude / (most - least);
  }

  double operator()(double phase) const { return scale_ * RawShape(phase + shift_); }

 private:
  double shift_ = 0;
  double scale_ = 1;
};

}  // namespace korvel::samples
