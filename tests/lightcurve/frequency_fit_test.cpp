#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "lightcurve/frequency_analysis.h"

namespace korvel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// A delta Scuti star seen 50 times in each of 20 nights of seven hours:
// f3 = f1 + f2 is a combination, every amplitude far above the noise.
struct Star {
  std::vector<double> f{12.7, 15.3, 28.0}, a{0.05, 0.03, 0.012}, phi{0.1, 0.6, 0.35};
  std::vector<double> t, m;
  explicit Star(unsigned seed, bool signal = true) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> hour(0, 0.3);
    std::normal_distribution<double> noise(0, 0.005);
    for (int night = 0; night < 20; ++night)
      for (int k = 0; k < 50; ++k) {
        const double x = night + hour(gen);
        double y = 10 + noise(gen);
        for (size_t i = 0; signal && i < f.size(); ++i)
          y += a[i] * std::sin(kTwoPi * (f[i] * x + phi[i]));
        t.push_back(2460000 + x);
        m.push_back(y);
      }
  }
};

TEST(FrequencyAnalysis, PrewhitensADeltaScutiStarToItsThreeFrequencies) {
  const Star star(3);
  const FrequencyAnalysis r = AnalyseFrequencies(star.t, star.m, {}, {});
  ASSERT_TRUE(r.ok()) << r.problem;
  ASSERT_EQ(r.frequencies.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const FittedFrequency& ff = r.frequencies[i].fit;
    SCOPED_TRACE(i);
    EXPECT_NEAR(ff.frequency, star.f[i], 2 * ff.frequencyError);
    EXPECT_NEAR(ff.amplitude, star.a[i], 2 * ff.amplitudeError);
    EXPECT_GE(r.frequencies[i].snr, 4);
  }
  EXPECT_EQ(r.frequencies[0].label, "");
  EXPECT_EQ(r.frequencies[2].label, "f1+f2");
  EXPECT_EQ(r.stop, StopReason::LowSnr);
  EXPECT_EQ(r.stopText, "S/N < 4");
  ASSERT_TRUE(r.rejected.has_value());
  EXPECT_LT(r.rejected->snr, 4);
  EXPECT_NEAR(r.residualRms, 0.005, 0.0005);
}

TEST(FrequencyAnalysis, SignalToNoiseIsTheAmplitudeOverTheMeanSpectrumInTheBox) {
  // A pure sinusoid of amplitude 0.1 shows as 0.1 in its Fourier amplitude.
  std::vector<double> t, y;
  for (int k = 0; k < 400; ++k) {
    t.push_back(k * 0.0537);
    y.push_back(3 + 0.1 * std::sin(kTwoPi * 4 * t.back()));
  }
  const FrequencyGrid grid = SpectrumGrid(3, 5, t.back() - t.front());
  EXPECT_NEAR(grid.step, 1 / (10 * (t.back() - t.front())), 1e-12);
  const std::vector<double> spectrum = AmplitudeSpectrum(t, y, grid);
  const size_t at4 = static_cast<size_t>(std::lround((4 - grid.start) / grid.step));
  EXPECT_NEAR(spectrum[at4], 0.1, 1e-3);

  // Noise 1 below 1.5 c/d and 3 above: a box of 2 round 1.5 averages 2, a
  // box round 0 is clipped to the grid and sees the ones alone.
  const FrequencyGrid flat{0, 0.01, 301};
  std::vector<double> noise(flat.count, 1.0);
  for (size_t i = 150; i < flat.count; ++i) noise[i] = 3;
  EXPECT_NEAR(SignalToNoise(1.495, 8, flat, noise, 2), 4, 0.05);
  EXPECT_DOUBLE_EQ(SignalToNoise(0, 8, flat, noise, 2), 8);
  EXPECT_TRUE(std::isnan(SignalToNoise(9, 8, flat, noise, 2)));
}

TEST(FrequencyAnalysis, LabelsCombinationsAndAliases) {
  std::vector<AnalysedFrequency> found;
  for (const double f : {10.0, 13.3, 23.31, 20.0, 3.3, 11.02, 6.25, 26.6})
    found.push_back({FittedFrequency{f}, 0, {}, {}});
  LabelCombinations(found, 0.05);
  EXPECT_EQ(found[0].label, "");
  EXPECT_EQ(found[1].label, "");
  EXPECT_EQ(found[2].label, "f1+f2");
  EXPECT_EQ(found[3].label, "2f1");
  EXPECT_EQ(found[4].label, "f2-f1");
  EXPECT_EQ(found[5].alias, "alias of f1?");
  EXPECT_EQ(found[6].label, "");
  EXPECT_EQ(found[6].alias, "");
  EXPECT_EQ(found[7].label, "2f2");
}

TEST(FrequencyAnalysis, StopsForEachReason) {
  FrequencyAnalysisOptions options;
  options.maxFrequencies = 2;
  const Star star(4);
  FrequencyAnalysis r = AnalyseFrequencies(star.t, star.m, {}, options);
  EXPECT_EQ(r.frequencies.size(), 2u);
  EXPECT_EQ(r.stop, StopReason::MaxFrequencies);
  EXPECT_FALSE(r.rejected.has_value());

  // Pure noise: its highest peak is no more than chance.
  const Star noise(5, false);
  options = {};
  options.fap = 0.001;
  r = AnalyseFrequencies(noise.t, noise.m, {}, options);
  EXPECT_TRUE(r.frequencies.empty());
  EXPECT_EQ(r.stop, StopReason::FalseAlarm);
  ASSERT_TRUE(r.rejected.has_value());
  EXPECT_GT(r.rejected->fap, 0.001);
  EXPECT_NEAR(r.zeroPoint, 10, 0.001);

  // Eight observations hold two sinusoids and no third.
  options = {};
  options.snrLimit = 1e-6;
  const std::vector<double> t(star.t.begin(), star.t.begin() + 8),
      m(star.m.begin(), star.m.begin() + 8);
  options.fmax = 20;
  r = AnalyseFrequencies(t, m, {}, options);
  EXPECT_EQ(r.stop, StopReason::FitRefused);
  EXPECT_LE(r.frequencies.size(), 2u);

  options = {};
  options.frequencies = {12.7, 15.3};
  r = AnalyseFrequencies(star.t, star.m, {}, options);
  ASSERT_TRUE(r.ok()) << r.problem;
  EXPECT_EQ(r.stop, StopReason::Given);
  EXPECT_EQ(r.frequencies.size(), 2u);
  EXPECT_GT(r.frequencies[1].snr, 4);
}

}  // namespace
}  // namespace korvel
