// A Fourier series fitted to a light curve near a trial frequency:
//   m(t) = a0 + sum_k (a_k cos 2 pi k f t' + b_k sin 2 pi k f t'),  t' = t - mean date,
// all parameters, the frequency included, by least squares (Gauss-Newton from
// the trial frequency), the number of harmonics (1 .. 6) by the Bayesian
// information criterion (Schwarz 1978, Ann. Stat. 6, 461). The frequency's
// error is that of the least-squares covariance, sigma^2 (J^T J)^-1, which for
// one sinusoid is the analytic error of Montgomery & O'Donoghue 1999 (Delta
// Scuti Star Newsletter 13, 28), sqrt(6 / N) sigma / (pi T A); it is widened
// for residuals correlated in time by the runs of their signs (Schwarzenberg-
// Czerny 1991, MNRAS 253, 198): with r runs where independent signs give
// E = 1 + 2 n+ n- / N, the variance is multiplied by D = max(1, E / r).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel {

inline constexpr int kMaxHarmonics = 6;

struct FourierFit {
  std::string problem;        // empty when the fit holds; else why there is none
  double frequency = 0;       // refined by the fit, cycles per day
  int harmonics = 0;          // chosen by the information criterion
  double epoch = 0;           // the mean date, time zero of the terms
  double mean = 0;            // a0
  std::vector<double> a, b;   // cosine and sine terms of harmonics 1 .. harmonics
  double sigma = 0;           // residual standard deviation (N - parameters degrees of freedom)
  double correlation = 1;     // D: the variance factor of correlated residuals
  double frequencyError = 0;  // one sigma, D included
  double rss = 0;             // the residuals' sum of squares
  double totalSquares = 0;    // the magnitudes' sum of squares about their mean
  double bic = 0;             // N ln(rss / N) + parameters ln N
  size_t observations = 0;
  bool ok() const { return problem.empty(); }
};

// Fits t, m (equal lengths, any order) starting at frequency f0, keeping
// the frequency within a peak width (1 / time span) of f0. Refused with a
// reason: fewer observations than one harmonic needs, no time span, or a fit
// that leaves the peak or does not settle. The harmonics are chosen among
// minHarmonics .. maxHarmonics (equal values fix them).
FourierFit FitFourier(std::span<const double> t, std::span<const double> m, double f0,
                      int maxHarmonics = kMaxHarmonics, int minHarmonics = 1);

// The fitted series at date t.
double FourierValue(const FourierFit& fit, double t);

// The same number of harmonics fitted to `samples` resamplings (with
// replacement, seeded) of the observations, starting from fit.frequency: the
// standard deviation of their frequencies, computed on `threads` threads
// with a result independent of their number. NaN when fewer than half of the
// resamplings give a fit.
double BootstrapFrequencyError(std::span<const double> t, std::span<const double> m,
                               const FourierFit& fit, int samples, uint64_t seed, int threads);

}  // namespace korvel
