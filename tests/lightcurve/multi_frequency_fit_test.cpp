#include "lightcurve/multi_frequency_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace korvel {
namespace {

// A delta Scuti star: three sinusoids, the third the sum combination of the
// first two, seen 20 times in each of 30 six-hour nights with Gaussian noise.
struct DeltaScuti {
  static constexpr double kRef = 2460000;
  std::vector<double> f{12.7, 15.3, 28.0}, a{0.05, 0.03, 0.01}, phi{0.1, 0.6, 0.35};
  std::vector<double> t, m, err;
  explicit DeltaScuti(unsigned seed, double noise = 0.005) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> hour(0, 0.25);
    std::normal_distribution<double> scatter(0, noise);
    for (int night = 0; night < 30; ++night)
      for (int k = 0; k < 20; ++k) {
        const double x = kRef + night + hour(gen);
        double y = 10;
        for (size_t i = 0; i < f.size(); ++i)
          y += a[i] * std::sin(2 * std::numbers::pi * (f[i] * (x - kRef) + phi[i]));
        t.push_back(x);
        m.push_back(y + scatter(gen));
        err.push_back(noise);
      }
  }
};

TEST(MultiFrequencyFit, RecoversADeltaScutiStarWithinItsErrors) {
  const DeltaScuti star(11);
  const MultiFrequencyFit fit =
      FitFrequencies(star.t, star.m, star.err, {12.7 + 1e-4, 15.3 - 1e-4, 28.0 + 1e-4});
  ASSERT_TRUE(fit.ok()) << fit.problem;
  EXPECT_TRUE(fit.converged) << fit.status;
  EXPECT_TRUE(fit.weighted);
  EXPECT_NEAR(fit.zeroPoint, 10, 0.001);
  EXPECT_NEAR(fit.residualRms, 0.005, 0.0005);
  ASSERT_EQ(fit.residuals.size(), star.t.size());
  EXPECT_NEAR(star.m[7] - MultiFrequencyValue(fit, star.t[7]), fit.residuals[7], 1e-12);
  ASSERT_EQ(fit.frequencies.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const FittedFrequency& ff = fit.frequencies[i];
    SCOPED_TRACE(i);
    EXPECT_NEAR(ff.frequency, star.f[i], 2 * ff.frequencyError);
    EXPECT_NEAR(ff.amplitude, star.a[i], 2 * ff.amplitudeError);
    // The true phase moved to the fit's epoch, compared round the circle.
    const double truePhase = star.phi[i] + star.f[i] * (fit.epoch - DeltaScuti::kRef);
    const double d = ff.phase - truePhase;
    EXPECT_LT(std::abs(d - std::round(d)), 2 * ff.phaseError);
    // Nearly independent terms: the covariance agrees with the analytic errors.
    EXPECT_NEAR(ff.frequencyError / ff.frequencyErrorAnalytic, 1, 0.3);
    EXPECT_NEAR(ff.amplitudeError / ff.amplitudeErrorAnalytic, 1, 0.3);
    EXPECT_NEAR(ff.phaseError / ff.phaseErrorAnalytic, 1, 0.3);
  }
}

TEST(MultiFrequencyFit, WeighsByTheErrorsWhenAllAreUsable) {
  DeltaScuti star(5);
  // One wild observation that its error disowns.
  star.m[100] += 1;
  star.err[100] = 100;
  const std::vector<double> start{12.7, 15.3, 28.0};
  const MultiFrequencyFit weighted = FitFrequencies(star.t, star.m, star.err, start);
  ASSERT_TRUE(weighted.ok()) << weighted.problem;
  EXPECT_TRUE(weighted.weighted);
  EXPECT_NEAR(weighted.zeroPoint, 10, 0.001);
  // A zero error makes the errors unusable: every observation weighs the same
  // and the wild one pulls the zero point by about 1 / 600.
  star.err[3] = 0;
  const MultiFrequencyFit plain = FitFrequencies(star.t, star.m, star.err, start);
  ASSERT_TRUE(plain.ok()) << plain.problem;
  EXPECT_FALSE(plain.weighted);
  EXPECT_GT(plain.zeroPoint - weighted.zeroPoint, 0.001);
}

TEST(MultiFrequencyFit, RefusesWhatCannotBeFitted) {
  const DeltaScuti star(2);
  const std::vector<double> shortMags(star.m.begin(), star.m.begin() + 10);
  EXPECT_FALSE(FitFrequencies(star.t, shortMags, {}, {12.7}).ok());
  EXPECT_FALSE(FitFrequencies(star.t, star.m, {}, {}).ok());
  EXPECT_FALSE(FitFrequencies(star.t, star.m, {}, {-1}).ok());
  EXPECT_FALSE(FitFrequencies(star.t, star.m, {}, {12.7, 12.71}).ok());
  const std::vector<double> sameDate(4, 2460000.0), four(4, 10.0);
  EXPECT_FALSE(FitFrequencies(sameDate, four, {}, {12.7}).ok());
  const std::vector<double> t4(star.t.begin(), star.t.begin() + 4);
  EXPECT_FALSE(FitFrequencies(t4, four, {}, {12.7}).ok());
}

}  // namespace
}  // namespace korvel
