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

// Columns: d model / d f, then 1, cos and sin of each harmonic; the model's
// value goes to `model`.
Eigen::MatrixXd Jacobian(const Eigen::VectorXd& t, double f, int n, const Eigen::VectorXd& c,
                         Eigen::VectorXd& model) {
  const Eigen::Index rows = t.size();
  Eigen::MatrixXd j(rows, 2 * n + 2);
  model.setConstant(rows, c[0]);
  j.col(0).setZero();
  j.col(1).setOnes();
  for (int k = 1; k <= n; ++k) {
    const double a = c[2 * k - 1], b = c[2 * k];
    for (Eigen::Index i = 0; i < rows; ++i) {
      const double x = kTwoPi * k * f * t[i];
      const double cs = std::cos(x), sn = std::sin(x);
      j(i, 2 * k) = cs;
      j(i, 2 * k + 1) = sn;
      model[i] += a * cs + b * sn;
      j(i, 0) += kTwoPi * k * t[i] * (-a * sn + b * cs);
    }
  }
  return j;
}

struct Solution {
  double f = 0, rss = 0, fVariance = 0;
  Eigen::VectorXd c, residual;
  std::string problem;
};

// Gauss-Newton from f0 with n harmonics, the frequency kept within `width`.
Solution Solve(const Centred& d, double f0, int n, double width) {
  Solution s;
  s.f = f0;
  s.c = Eigen::VectorXd::Zero(2 * n + 1);
  Eigen::VectorXd model;
  // The linear terms at f0 first: the frequency column then starts right.
  Eigen::MatrixXd j = Jacobian(d.t, s.f, n, s.c, model);
  s.c = j.rightCols(2 * n + 1).colPivHouseholderQr().solve(d.m);
  bool settled = false;
  for (int iteration = 0; iteration < kMaxIterations && !settled; ++iteration) {
    j = Jacobian(d.t, s.f, n, s.c, model);
    const Eigen::VectorXd step = j.colPivHouseholderQr().solve(d.m - model);
    if (!step.allFinite()) break;
    s.f += step[0];
    s.c += step.tail(2 * n + 1);
    if (!(std::abs(s.f - f0) <= width)) {
      s.problem = kLeftPeak;
      return s;
    }
    settled = std::abs(step[0]) < kSettled * width;
  }
  if (!settled) {
    s.problem = kUnsettled;
    return s;
  }
  j = Jacobian(d.t, s.f, n, s.c, model);
  s.residual = d.m - model;
  s.rss = s.residual.squaredNorm();
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
  for (int h = first; h <= std::max(first, maxHarmonics) && n > Parameters(h); ++h) {
    Solution s = Solve(d, f0, h, width);
    if (!s.problem.empty()) {
      if (h == first) problem = s.problem;
      continue;
    }
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
    const Solution s = Solve(d, fit.frequency, fit.harmonics, width);
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
