#include "lightcurve/fourier_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace korvel {
namespace {

// n observations at random dates over `span` days of a light curve with the
// given harmonic amplitudes (sines, frequency f), plus Gaussian noise.
struct Curve {
  std::vector<double> t, m;
  Curve(int n, double span, double f, std::vector<double> amplitudes, double noise, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> date(0, span);
    std::normal_distribution<double> scatter(0, noise);
    for (int i = 0; i < n; ++i) {
      const double x = 2460000 + date(gen);
      double y = 12;
      for (size_t k = 0; k < amplitudes.size(); ++k)
        y += amplitudes[k] * std::sin(2 * std::numbers::pi * static_cast<double>(k + 1) * f * x);
      t.push_back(x);
      m.push_back(y + scatter(gen));
    }
  }
};

TEST(FourierFit, ASinusoidsErrorIsTheAnalyticOne) {
  const double f = 1 / 0.5568, span = 300, a = 0.3, noise = 0.05;
  const Curve c(400, span, f, {a}, noise, 3);
  // Start a tenth of a peak width off: the fit finds the frequency.
  const FourierFit fit = FitFourier(c.t, c.m, f + 0.1 / span);
  ASSERT_TRUE(fit.ok()) << fit.problem;
  EXPECT_EQ(fit.harmonics, 1);
  EXPECT_NEAR(fit.sigma, noise, 0.01);
  // Montgomery & O'Donoghue: sqrt(6 / N) sigma / (pi T A), T the span.
  const double analytic = std::sqrt(6.0 / 400) * fit.sigma / (std::numbers::pi * span * a);
  EXPECT_NEAR(fit.frequencyError / std::sqrt(fit.correlation), analytic, 0.25 * analytic);
  EXPECT_NEAR(fit.frequency, f, 4 * fit.frequencyError);
}

TEST(FourierFit, ANonSinusoidalCurveGetsMoreHarmonics) {
  const double f = 1 / 2.3;
  const Curve c(300, 200, f, {0.4, 0.2, 0.1}, 0.02, 5);
  const FourierFit fit = FitFourier(c.t, c.m, f);
  ASSERT_TRUE(fit.ok()) << fit.problem;
  EXPECT_GE(fit.harmonics, 3);
  EXPECT_NEAR(std::hypot(fit.a[1], fit.b[1]), 0.2, 0.02);
}

TEST(FourierFit, BootstrapAgreesWithTheAnalyticErrorOnAnyNumberOfThreads) {
  const double f = 1 / 0.5568;
  const Curve c(200, 150, f, {0.3}, 0.05, 9);
  const FourierFit fit = FitFourier(c.t, c.m, f);
  ASSERT_TRUE(fit.ok()) << fit.problem;
  const double one = BootstrapFrequencyError(c.t, c.m, fit, 200, 42, 1);
  EXPECT_EQ(one, BootstrapFrequencyError(c.t, c.m, fit, 200, 42, 3));
  EXPECT_GT(one, 0.6 * fit.frequencyError);
  EXPECT_LT(one, 1.6 * fit.frequencyError);
}

TEST(FourierFit, RefusesWhatCannotBeFitted) {
  EXPECT_EQ(FitFourier(std::vector<double>{1, 2, 3}, std::vector<double>{1, 2, 1}, 0.5).problem,
            "Too few observations for a Fourier fit...");
  const std::vector<double> same(10, 5.0), m{1, 2, 3, 4, 5, 1, 2, 3, 4, 5};
  EXPECT_EQ(FitFourier(same, m, 0.5).problem,
            "The observations span no time: no frequency can be fitted...");
  const std::vector<double> dates{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(FitFourier(dates, same, 0.5).problem,
            "The magnitudes do not vary: no period to fit...");
  FourierFit refused;
  refused.problem = "none";
  EXPECT_TRUE(std::isnan(BootstrapFrequencyError(same, m, refused, 50, 1, 2)));
}

}  // namespace
}  // namespace korvel
