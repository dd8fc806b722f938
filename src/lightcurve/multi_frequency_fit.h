// Several sinusoids fitted at once to a light curve:
//   m(t) = Z + sum_i A_i sin(2 pi (f_i (t - t0) + phi_i)),  t0 = the mean date,
// every parameter (Z and each f_i, A_i, phi_i) by the Levenberg-Marquardt
// method (Levenberg 1944, Q. Appl. Math. 2, 164; Marquardt 1963, J. SIAM 11,
// 431), starting from amplitudes and phases that are a linear least-squares fit
// at the given frequencies. The errors are those of the covariance,
// s^2 (J^T J)^-1 with s^2 the residual variance, and beside them the analytic
// ones of Montgomery & O'Donoghue 1999 (Delta Scuti Star Newsletter 13, 28):
//   sigma_f = sqrt(6) sigma_N / (pi sqrt(N) A T),  sigma_A = sqrt(2 / N) sigma_N,
//   sigma_phi = sigma_A / A  (radians; divided by 2 pi here, phases being in cycles).
#pragma once

#include <span>
#include <string>
#include <vector>

namespace korvel {

// One fitted sinusoid. Phases are in cycles, in [0, 1), at the epoch t0;
// amplitudes are positive.
struct FittedFrequency {
  double frequency = 0, amplitude = 0, phase = 0;
  // One sigma from the covariance matrix.
  double frequencyError = 0, amplitudeError = 0, phaseError = 0;
  // One sigma from the analytic formulas (residual rms, N, the time span T).
  double frequencyErrorAnalytic = 0, amplitudeErrorAnalytic = 0, phaseErrorAnalytic = 0;
};

struct MultiFrequencyFit {
  std::string problem;  // empty when there is a fit; else why there is none
  std::vector<FittedFrequency> frequencies;
  double epoch = 0;      // t0, the mean date
  double zeroPoint = 0;  // Z
  double zeroPointError = 0;
  double residualRms = 0;         // sqrt(sum r^2 / N), magnitudes
  std::vector<double> residuals;  // mag - m(t), in the order of the input
  bool weighted = false;          // 1 / err^2 weights were used
  bool converged = false;         // the solver met its tolerances
  std::string status;             // the solver's own account of how it stopped
  bool ok() const { return problem.empty(); }
};

// Fits t, mag (equal lengths, any order) from the start frequencies (cycles
// per day). err weights the observations by 1 / err^2 when it has one
// positive finite value per observation; otherwise (empty, or any value zero,
// negative or not finite) every observation weighs the same. Refused with a
// reason: unequal lengths, values that are not finite, no or non-positive
// start frequencies, two of them closer than 1 / time span, no time span, or
// no more observations than parameters. The solver goes to the nearest
// minimum: each start frequency must lie within the peak (about 1 / time
// span wide) of the frequency it stands for. Errors are NaN where the
// parameters are not all determined.
MultiFrequencyFit FitFrequencies(std::span<const double> t, std::span<const double> mag,
                                 std::span<const double> err, std::vector<double> startFrequencies);

// The fitted model at date t.
double MultiFrequencyValue(const MultiFrequencyFit& fit, double t);

}  // namespace korvel
