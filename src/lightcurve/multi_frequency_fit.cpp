// The multi-frequency fit: linear start, cminpack's lmder with the analytic
// Jacobian, errors from the covariance and from the analytic formulas.
#include "lightcurve/multi_frequency_fit.h"

#include <cminpack.h>

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

namespace korvel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The data the solver's callback sees: dates from the epoch, magnitudes and
// the square roots of the weights. Parameters: Z, then f, A, phi per term.
struct Problem {
  std::vector<double> dt, mag, sqrtWeight;
  int terms = 0;
};

double Model(const double* x, int terms, double dt) {
  double y = x[0];
  for (int i = 0; i < terms; ++i) {
    const double* p = x + 1 + 3 * i;
    y += p[1] * std::sin(kTwoPi * (p[0] * dt + p[2]));
  }
  return y;
}

// Column-major Jacobian of the weighted residuals w (m(t) - mag).
void Jacobian(const Problem& pr, const double* x, double* fjac, int ld) {
  const int m = static_cast<int>(pr.dt.size());
  for (int k = 0; k < m; ++k) {
    const double w = pr.sqrtWeight[k], dt = pr.dt[k];
    fjac[k] = w;
    for (int i = 0; i < pr.terms; ++i) {
      const double* p = x + 1 + 3 * i;
      const double arg = kTwoPi * (p[0] * dt + p[2]);
      const double c = w * p[1] * kTwoPi * std::cos(arg);
      const int col = 1 + 3 * i;
      fjac[(col + 0) * ld + k] = c * dt;
      fjac[(col + 1) * ld + k] = w * std::sin(arg);
      fjac[(col + 2) * ld + k] = c;
    }
  }
}

int Callback(void* p, int m, int, const double* x, double* fvec, double* fjac, int ld, int iflag) {
  const Problem& pr = *static_cast<const Problem*>(p);
  if (iflag == 1) {
    for (int k = 0; k < m; ++k)
      fvec[k] = pr.sqrtWeight[k] * (Model(x, pr.terms, pr.dt[k]) - pr.mag[k]);
  } else if (iflag == 2) {
    Jacobian(pr, x, fjac, ld);
  }
  return 0;
}

// lmder's info codes in words.
std::string StatusText(int info) {
  switch (info) {
    case 0:
      return "improper input parameters";
    case 1:
      return "relative reduction of the sum of squares is at most ftol";
    case 2:
      return "relative change of the parameters is at most xtol";
    case 3:
      return "relative reduction of the sum of squares is at most ftol and relative change "
             "of the parameters is at most xtol";
    case 4:
      return "the residuals are orthogonal to the Jacobian's columns within gtol";
    case 5:
      return "the number of function evaluations reached its limit";
    case 6:
      return "ftol is too small: no further reduction of the sum of squares is possible";
    case 7:
      return "xtol is too small: no further improvement of the parameters is possible";
    case 8:
      return "gtol is too small: the residuals are orthogonal to the Jacobian's columns";
    default:
      return "stopped by the user";
  }
}

double WrapCycles(double phi) {
  phi -= std::floor(phi);
  return phi >= 1 ? 0 : phi;
}

// Z, then f, A, phi per term, from a weighted linear least-squares fit of
// a sin + b cos at the fixed frequencies: A sin(x + 2 pi phi) = A cos(2 pi phi)
// sin x + A sin(2 pi phi) cos x.
std::vector<double> LinearStart(const Problem& pr, const std::vector<double>& f) {
  const Eigen::Index n = static_cast<Eigen::Index>(pr.dt.size());
  const Eigen::Index terms = static_cast<Eigen::Index>(f.size());
  Eigen::MatrixXd a(n, 1 + 2 * terms);
  Eigen::VectorXd b(n);
  for (Eigen::Index k = 0; k < n; ++k) {
    const double w = pr.sqrtWeight[k];
    a(k, 0) = w;
    for (Eigen::Index i = 0; i < terms; ++i) {
      const double arg = kTwoPi * f[i] * pr.dt[k];
      a(k, 1 + 2 * i) = w * std::sin(arg);
      a(k, 2 + 2 * i) = w * std::cos(arg);
    }
    b(k) = w * pr.mag[k];
  }
  const Eigen::VectorXd c = a.colPivHouseholderQr().solve(b);
  std::vector<double> x{c(0)};
  for (Eigen::Index i = 0; i < terms; ++i) {
    const double s = c(1 + 2 * i), co = c(2 + 2 * i);
    x.insert(x.end(), {f[i], std::hypot(s, co), WrapCycles(std::atan2(co, s) / kTwoPi)});
  }
  return x;
}

}  // namespace

MultiFrequencyFit FitFrequencies(std::span<const double> t, std::span<const double> mag,
                                 std::span<const double> err,
                                 std::vector<double> startFrequencies) {
  MultiFrequencyFit fit;
  const size_t n = t.size();
  const auto finite = [](double v) { return std::isfinite(v); };
  if (mag.size() != n) {
    fit.problem = "The dates and the magnitudes differ in number.";
    return fit;
  }
  if (!std::all_of(t.begin(), t.end(), finite) || !std::all_of(mag.begin(), mag.end(), finite)) {
    fit.problem = "A date or a magnitude is not a finite number.";
    return fit;
  }
  if (startFrequencies.empty() ||
      !std::all_of(startFrequencies.begin(), startFrequencies.end(),
                   [](double f) { return std::isfinite(f) && f > 0; })) {
    fit.problem = "The fit needs at least one positive start frequency.";
    return fit;
  }
  const int terms = static_cast<int>(startFrequencies.size());
  const int params = 1 + 3 * terms;
  if (n <= static_cast<size_t>(params)) {
    fit.problem = "Too few observations for the number of frequencies.";
    return fit;
  }
  const auto [tMin, tMax] = std::minmax_element(t.begin(), t.end());
  const double span = *tMax - *tMin;
  if (!(span > 0)) {
    fit.problem = "The observations span no time.";
    return fit;
  }

  // Closer than the resolution 1 / T two sinusoids are one and their
  // amplitudes run off in opposite directions.
  std::vector<double> sorted = startFrequencies;
  std::sort(sorted.begin(), sorted.end());
  for (size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i] - sorted[i - 1] < 1 / span) {
      fit.problem =
          "Two start frequencies are closer than 1 / time span; they cannot be told apart.";
      return fit;
    }

  Problem pr;
  pr.terms = terms;
  fit.epoch = std::accumulate(t.begin(), t.end(), 0.0) / static_cast<double>(n);
  fit.weighted = err.size() == n && std::all_of(err.begin(), err.end(),
                                                [](double e) { return std::isfinite(e) && e > 0; });
  for (size_t k = 0; k < n; ++k) {
    pr.dt.push_back(t[k] - fit.epoch);
    pr.mag.push_back(mag[k]);
    pr.sqrtWeight.push_back(fit.weighted ? 1 / err[k] : 1.0);
  }

  std::vector<double> x = LinearStart(pr, startFrequencies);
  const int m = static_cast<int>(n);
  std::vector<double> fvec(n), fjac(n * params), diag(params), qtf(params), wa1(params),
      wa2(params), wa3(params), wa4(n);
  std::vector<int> ipvt(params);
  int nfev = 0, njev = 0;
  const double tol = 1e-10;
  const int info = lmder(Callback, &pr, m, params, x.data(), fvec.data(), fjac.data(), m, tol, tol,
                         0, 200 * (params + 1), diag.data(), 1, 100, 0, &nfev, &njev, ipvt.data(),
                         qtf.data(), wa1.data(), wa2.data(), wa3.data(), wa4.data());
  fit.converged = info >= 1 && info <= 4;
  fit.status = StatusText(info);

  // Residuals and their variance at the solution.
  double chi2 = 0, sum2 = 0;
  for (size_t k = 0; k < n; ++k) {
    const double r = mag[k] - Model(x.data(), terms, pr.dt[k]);
    fit.residuals.push_back(r);
    sum2 += r * r;
    chi2 += r * r * pr.sqrtWeight[k] * pr.sqrtWeight[k];
  }
  fit.residualRms = std::sqrt(sum2 / static_cast<double>(n));
  const double variance = chi2 / static_cast<double>(n - params);

  // The covariance s^2 (J^T J)^-1 from the Jacobian at the solution; NaN
  // errors where J^T J is singular.
  Jacobian(pr, x.data(), fjac.data(), m);
  const Eigen::Map<const Eigen::MatrixXd> j(fjac.data(), m, params);
  const Eigen::MatrixXd normal = j.transpose() * j;
  const Eigen::FullPivLU<Eigen::MatrixXd> lu(normal);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Eigen::VectorXd sd = Eigen::VectorXd::Constant(params, nan);
  if (lu.isInvertible()) sd = (variance * lu.inverse().diagonal()).cwiseMax(0).cwiseSqrt();

  fit.zeroPoint = x[0];
  fit.zeroPointError = sd(0);
  const double sqrtN = std::sqrt(static_cast<double>(n));
  for (int i = 0; i < terms; ++i) {
    const double* p = x.data() + 1 + 3 * i;
    FittedFrequency ff;
    ff.frequency = p[0];
    // A negative amplitude is the same wave half a cycle on.
    ff.amplitude = std::abs(p[1]);
    ff.phase = WrapCycles(p[1] < 0 ? p[2] + 0.5 : p[2]);
    ff.frequencyError = sd(1 + 3 * i);
    ff.amplitudeError = sd(2 + 3 * i);
    ff.phaseError = sd(3 + 3 * i);
    ff.amplitudeErrorAnalytic = std::sqrt(2.0) * fit.residualRms / sqrtN;
    if (ff.amplitude > 0) {
      ff.frequencyErrorAnalytic =
          std::sqrt(6.0) * fit.residualRms / (std::numbers::pi * sqrtN * ff.amplitude * span);
      ff.phaseErrorAnalytic = ff.amplitudeErrorAnalytic / ff.amplitude / kTwoPi;
    } else {
      ff.frequencyErrorAnalytic = ff.phaseErrorAnalytic = nan;
    }
    fit.frequencies.push_back(ff);
  }
  return fit;
}

double MultiFrequencyValue(const MultiFrequencyFit& fit, double t) {
  double y = fit.zeroPoint;
  for (const FittedFrequency& f : fit.frequencies)
    y += f.amplitude * std::sin(kTwoPi * (f.frequency * (t - fit.epoch) + f.phase));
  return y;
}

}  // namespace korvel
