#include "search/multi_harmonic_aov.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine_fixtures.h"

namespace korvel {
namespace {

using testing::NoisyStar;
using testing::RequestOf;

// Theta the obvious way: the weighted least-squares fit of a mean and n
// harmonics by its normal equations, solved by Gaussian elimination.
double DirectTheta(const Observations& o, const std::vector<double>& w, int harmonics,
                   double freq) {
  const size_t p = 2 * static_cast<size_t>(harmonics) + 1, n = o.size();
  std::vector<std::vector<double>> a(p, std::vector<double>(p + 1, 0.0));
  std::vector<double> basis(p);
  double wsum = 0, mean = 0;
  for (size_t i = 0; i < n; ++i) {
    wsum += w[i];
    mean += w[i] * o.mag[i];
  }
  mean /= wsum;
  for (size_t i = 0; i < n; ++i) {
    const double angle = 2 * std::numbers::pi * freq * (o.jd[i] - o.jd[0]);
    basis[0] = 1;
    for (int h = 1; h <= harmonics; ++h) {
      basis[2 * h - 1] = std::cos(h * angle);
      basis[2 * h] = std::sin(h * angle);
    }
    for (size_t r = 0; r < p; ++r) {
      for (size_t c = 0; c < p; ++c) a[r][c] += w[i] * basis[r] * basis[c];
      a[r][p] += w[i] * basis[r] * o.mag[i];
    }
  }
  for (size_t k = 0; k < p; ++k)
    for (size_t r = k + 1; r < p; ++r) {
      const double factor = a[r][k] / a[k][k];
      for (size_t c = k; c <= p; ++c) a[r][c] -= factor * a[k][c];
    }
  std::vector<double> coef(p);
  for (size_t k = p; k-- > 0;) {
    double x = a[k][p];
    for (size_t c = k + 1; c < p; ++c) x -= a[k][c] * coef[c];
    coef[k] = x / a[k][k];
  }
  double fitted = 0, residual = 0;
  for (size_t i = 0; i < n; ++i) {
    const double angle = 2 * std::numbers::pi * freq * (o.jd[i] - o.jd[0]);
    double model = coef[0];
    for (int h = 1; h <= harmonics; ++h)
      model += coef[2 * h - 1] * std::cos(h * angle) + coef[2 * h] * std::sin(h * angle);
    fitted += w[i] * (model - mean) * (model - mean);
    residual += w[i] * (o.mag[i] - model) * (o.mag[i] - model);
  }
  return (static_cast<double>(n) - static_cast<double>(p)) / (2 * harmonics) * fitted / residual;
}

TEST(MultiHarmonicAov, FindsTheTruePeriod) {
  const testing::Star star = NoisyStar(150, 0.7319, 0.05, 3);
  const SearchResult r = testing::SearchOf(RequestOf("mhaov"), star.Values());
  ASSERT_TRUE(r.completed);
  EXPECT_NEAR(r.best[0].period, 0.7319, 0.002);
  EXPECT_GT(r.best[0].value, r.best[1].value);
}

TEST(MultiHarmonicAov, ThetaOfEveryTrialIsTheDirectLeastSquaresOne) {
  const testing::Star star = NoisyStar(30, 0.7319, 0.05, 5);
  std::vector<double> err(star.t.size());
  for (size_t i = 0; i < err.size(); ++i) err[i] = 0.02 + 0.01 * static_cast<double>(i % 4);
  Observations o = star.Values();
  o.err = err;
  std::vector<double> w;
  for (double e : err) w.push_back(1 / (e * e));
  for (int harmonics : {1, 3}) {
    const SearchResult r = testing::SearchOf(
        RequestOf("mhaov", 0.05, 1, [&](SearchRequest& q) { q.harmonics = harmonics; }), o);
    const std::vector<double> freqs = testing::TrialFrequencies(r.statistic);
    ASSERT_GT(freqs.size(), 300u);
    for (size_t k = 0; k < freqs.size(); ++k)
      ASSERT_NEAR(r.statistic.value[k], DirectTheta(o, w, harmonics, freqs[k]),
                  1e-8 * r.statistic.value[k])
          << harmonics << " harmonics, trial " << k;
  }
}

TEST(MultiHarmonicAov, ThreadsDoNotChangeTheResult) {
  const testing::Star star = NoisyStar(80, 1.3, 0.1, 9);
  const Observations o = star.Values();
  testing::ExpectSameResults(testing::SearchOf(RequestOf("mhaov", 0.01, 1), o),
                             testing::SearchOf(RequestOf("mhaov", 0.01, 3), o));
}

TEST(MultiHarmonicAov, RefusesHarmonicsItCannotFit) {
  const testing::Star star = NoisyStar(9, 1.3, 0.1, 9);
  const Observations o = star.Values();
  const auto with = [&](int h) {
    return testing::RefusalOf(
        RequestOf("mhaov", 0.02, 1, [h](SearchRequest& q) { q.harmonics = h; }), o);
  };
  EXPECT_EQ(with(0), "The number of harmonics must be at least 1...");
  EXPECT_EQ(with(4),
            "Too few observations for the number of harmonics: more than 2 n + 1 are needed...");
  EXPECT_EQ(with(3), "");
}

}  // namespace
}  // namespace korvel
