#include "lightcurve/fourier_fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <random>

#include "core/parallel.h"

namespace korvel {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kMaxIterations = 40;
// The frequency has settled when a step moves it by less than this part of
// the peak width, far below any error the fit can state.
constexpr double kSettled = 1e-9;

constexpr const char* kTooFew = "Too few observations for a Fourier fit...";
constexpr const char* kNoSpan = "The observations span no time: no frequency can be fitted...";
constexpr const char* kFlat = "The magnitudes do not vary: no period to fit...";
constexpr const char* kLeftPeak = "The fit left the peak: no period error there...";
constexpr const char* kUnsettled = "The fit did not settle: no period error there...";

struct Centred {
  Eigen::VectorXd t, m;  // dates minus their mean; magnitudes
  double span = 0, mean = 0;
};

Centred Centre(std::span<const double> t, std::span<const double> m) {
  Centred c;
  const auto n = static_cast<Eigen::Index>(t.size());
  c.t.resize(n);
  c.m.resize(n);
  const double mean = std::accumulate(t.begin(), t.end(), 0.0) / static_cast<double>(t.size());
  c.mean = mean;
  for (Eigen::Index i = 0; i < n; ++i) {
    c.t[i] = t[static_cast<size_t>(i)] - mean;
    c.m[i] = m[static_cast<size_t>(i)];
  }
  if (n > 0) c.span = c.t.maxCoeff() - c.t.minCoeff();
  return c;
}

// Columns 1, then cos and sin of each harmonic at frequency f: the linear
// terms' part of the Jacobian. cos and sin of k x come by the angle-addition
// recurrence, one sincos per observation whatever the harmonics.
Eigen::MatrixXd Basis(const Eigen::VectorXd& t, double f, int n) {
  const Eigen::Index rows = t.size();
  Eigen::MatrixXd b(rows, 2 * n + 1);
  b.col(0).setOnes();
  for (Eigen::Index i = 0; i < rows; ++i) {
    const double x = kTwoPi * f * t[i];
    const double c1 = std::cos(x), s1 = std::sin(x);
    double cs = c1, sn = s1;
    for (int k = 1; k <= n; ++k) {
      b(i, 2 * k - 1) = cs;
      b(i, 2 * k) = sn;
      const double next = cs * c1 - sn * s1;
      sn = sn * c1 + cs * s1;
      cs = next;
    }
  }
  return b;
}

// d model / d f of the series c over the basis b.
Eigen::VectorXd FrequencyColumn(const Eigen::VectorXd& t, const Eigen::MatrixXd& b,
                                const Eigen::VectorXd& c) {
  Eigen::VectorXd dc = Eigen::VectorXd::Zero(c.size());
  for (Eigen::Index k = 1; 2 * k < c.size(); ++k) {
    dc[2 * k - 1] = static_cast<double>(k) * c[2 * k];
    dc[2 * k] = -static_cast<double>(k) * c[2 * k - 1];
  }
  return kTwoPi * t.cwiseProduct(b * dc);
}

struct Solution {
  double f = 0, rss = 0, fVariance = 0;
  Eigen::VectorXd c, residual;
  std::string problem;
};

// Least squares from `start` with n harmonics, the frequency kept within
// `width` of f0. The problem is separable: at each frequency the linear
// terms are solved exactly, and the frequency takes the Gauss-Newton step of
// the residual left by them (variable projection in the form of Kaufman
// 1975, BIT 15, 49), which settles in a few steps where plain Gauss-Newton
// over all the parameters crawls on peaks that fit loosely.
Solution Solve(const Centred& d, double f0, double start, int n, double width) {
  Solution s;
  s.f = start;
  bool settled = false;
  for (int iteration = 0; iteration < kMaxIterations && !settled; ++iteration) {
    const Eigen::MatrixXd b = Basis(d.t, s.f, n);
    const Eigen::HouseholderQR<Eigen::MatrixXd> qr(b);
    s.c = qr.solve(d.m);
    const Eigen::VectorXd residual = d.m - b * s.c;
    const Eigen::VectorXd column = FrequencyColumn(d.t, b, s.c);
    // The frequency column without its part the linear terms can follow.
    const Eigen::VectorXd free = column - b * qr.solve(column);
    const double step = free.dot(residual) / free.squaredNorm();
    if (!std::isfinite(step)) break;
    s.f += step;
    if (!(std::abs(s.f - f0) <= width)) {
      s.problem = kLeftPeak;
      return s;
    }
    settled = std::abs(step) < kSettled * width;
  }
  if (!settled) {
    s.problem = kUnsettled;
    return s;
  }
  const Eigen::MatrixXd b = Basis(d.t, s.f, n);
  s.c = b.householderQr().solve(d.m);
  s.residual = d.m - b * s.c;
  s.rss = s.residual.squaredNorm();
  // The frequency's variance from the full Jacobian [d/df, basis].
  Eigen::MatrixXd j(b.rows(), b.cols() + 1);
  j.col(0) = FrequencyColumn(d.t, b, s.c);
  j.rightCols(b.cols()) = b;
  const Eigen::MatrixXd normal = j.transpose() * j;
  const Eigen::MatrixXd inverse =
      normal.ldlt().solve(Eigen::MatrixXd::Identity(j.cols(), j.cols()));
  s.fVariance = inverse(0, 0);
  return s;
}

// D of Schwarzenberg-Czerny 1991 from the residuals in date order.
double RunsFactor(const Centred& d, const Eigen::VectorXd& residual) {
  std::vector<Eigen::Index> order(static_cast<size_t>(d.t.size()));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&d](Eigen::Index a, Eigen::Index b) { return d.t[a] < d.t[b]; });
  double positive = 0, runs = 0;
  bool last = false;
  for (size_t k = 0; k < order.size(); ++k) {
    const bool sign = residual[order[k]] >= 0;
    positive += sign ? 1 : 0;
    if (k == 0 || sign != last) ++runs;
    last = sign;
  }
  const double n = static_cast<double>(order.size());
  const double expected = 1 + 2 * positive * (n - positive) / n;
  return std::max(1.0, expected / runs);
}

int Parameters(int harmonics) {
  return 2 * harmonics + 2;
}

}  // namespace

FourierFit FitFourier(std::span<const double> t, std::span<const double> m, double f0,
                      int maxHarmonics, int minHarmonics) {
  FourierFit fit;
  const Centred d = Centre(t, m);
  const auto n = static_cast<double>(t.size());
  if (t.size() != m.size() || n < Parameters(1) + 1) {
    fit.problem = kTooFew;
    return fit;
  }
  if (!(d.span > 0)) {
    fit.problem = kNoSpan;
    return fit;
  }
  if (!((d.m.array() - d.m.mean()).square().sum() > 0)) {
    fit.problem = kFlat;
    return fit;
  }
  const double width = 1 / d.span;
  double bestBic = std::numeric_limits<double>::infinity();
  Solution best;
  std::string problem = kTooFew;
  const int first = std::max(1, minHarmonics);
  double start = f0;
  for (int h = first; h <= std::max(first, maxHarmonics) && n > Parameters(h); ++h) {
    // Each count of harmonics starts where the previous one settled.
    Solution s = Solve(d, f0, start, h, width);
    if (!s.problem.empty()) {
      if (h == first) problem = s.problem;
      continue;
    }
    start = s.f;
    start = s.f;
    const double bic = n * std::log(std::max(s.rss, 1e-300) / n) + Parameters(h) * std::log(n);
    if (bic < bestBic) {
      bestBic = bic;
      fit.bic = bic;
      best = std::move(s);
      fit.harmonics = h;
    }
  }
  if (fit.harmonics == 0) {
    fit.problem = problem;
    return fit;
  }
  fit.frequency = best.f;
  fit.epoch = d.mean;
  fit.observations = t.size();
  fit.rss = best.rss;
  fit.totalSquares = (d.m.array() - d.m.mean()).square().sum();
  fit.mean = best.c[0];
  for (int k = 1; k <= fit.harmonics; ++k) {
    fit.a.push_back(best.c[2 * k - 1]);
    fit.b.push_back(best.c[2 * k]);
  }
  const double dof = n - Parameters(fit.harmonics);
  fit.sigma = std::sqrt(best.rss / dof);
  fit.correlation = RunsFactor(d, best.residual);
  fit.frequencyError = std::sqrt(fit.sigma * fit.sigma * best.fVariance * fit.correlation);
  return fit;
}

double FourierValue(const FourierFit& fit, double t) {
  double value = fit.mean;
  const double x = kTwoPi * fit.frequency * (t - fit.epoch);
  for (size_t k = 0; k < fit.a.size(); ++k) {
    const double kx = static_cast<double>(k + 1) * x;
    value += fit.a[k] * std::cos(kx) + fit.b[k] * std::sin(kx);
  }
  return value;
}

double BootstrapFrequencyError(std::span<const double> t, std::span<const double> m,
                               const FourierFit& fit, int samples, uint64_t seed, int threads) {
  if (!fit.ok() || samples < 2) return std::numeric_limits<double>::quiet_NaN();
  const size_t n = t.size();
  const double width = 1 / Centre(t, m).span;
  std::vector<double> found(static_cast<size_t>(samples), std::numeric_limits<double>::quiet_NaN());
  // Sample k draws from a generator of its own, so the threads share the
  // work without changing a draw.
  ForEachIndex(samples, threads, [&](int k) {
    std::vector<double> ts(n), ms(n);
    std::mt19937_64 gen(ItemSeed(seed, k));
    std::uniform_int_distribution<size_t> pick(0, n - 1);
    for (size_t i = 0; i < n; ++i) {
      const size_t j = pick(gen);
      ts[i] = t[j];
      ms[i] = m[j];
    }
    const Centred d = Centre(ts, ms);
    if (!(d.span > 0)) return;
    const Solution s = Solve(d, fit.frequency, fit.frequency, fit.harmonics, width);
    if (s.problem.empty()) found[static_cast<size_t>(k)] = s.f;
  });
  std::vector<double> ok;
  for (double f : found)
    if (std::isfinite(f)) ok.push_back(f);
  if (ok.size() * 2 < found.size() || ok.size() < 2)
    return std::numeric_limits<double>::quiet_NaN();
  const double mean = std::accumulate(ok.begin(), ok.end(), 0.0) / static_cast<double>(ok.size());
  double squares = 0;
  for (double f : ok) squares += (f - mean) * (f - mean);
  return std::sqrt(squares / static_cast<double>(ok.size() - 1));
}

}  // namespace korvel
