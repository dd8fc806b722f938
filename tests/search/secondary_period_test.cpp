#include "search/secondary_period.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "search_fixtures.h"

namespace korvel {
namespace {

using testing::Begin;
using testing::MakeState;
using testing::RandomDates;
using testing::RecordingHooks;

// One trial at frequency f: the grid set by hand.
void SingleTrial(AnalysisState& s, double f) {
  StartSearch(s, SearchKind::Secondary);
  s.FreqStep = 1;
  s.Freq = f - 1;
  s.FreqEnd = f * (1 + 1e-12);  // f - 1 + 1 may round just above f
  s.FreqLo = f;
  s.FreqScale = 1;
}

TEST(SearchSecP, PrimaryBinsWithTwoBinsSplitAtAQuarterCycle) {
  // Primary period 1 day, extremal shape at date 0: bin 0 holds primary
  // phases in [-0.25, 0.25).
  const std::vector<double> phases = {-0.25, -0.1, 0.0, 0.2499, 0.25, 0.5, 0.7499};
  std::vector<double> t, m;
  for (size_t i = 0; i < phases.size(); ++i) {
    t.push_back(10.0 * (i + 1) + phases[i]);
    m.push_back(static_cast<double>(i % 3));
  }
  AnalysisState s = MakeState(t, m);
  s.Period = 1;
  s.ExtrDate = 0;
  s.NBins = 2;
  s.SecPMode = 2;
  const std::vector<uint8_t> bins =
      PrimaryBins(ObservationsOf(s), RequestFromDocument(s, SearchKind::Secondary).secondary);
  const std::vector<int> expected = {0, 0, 0, 0, 1, 1, 1};
  for (size_t i = 0; i < phases.size(); ++i)
    EXPECT_EQ(bins[i], expected[i]) << "primary phase " << phases[i];
}

TEST(SearchSecP, ModeOneIgnoresLoneObservationsAndDividesByNMinusB) {
  // Primary period 1, ExtrDate 0: the primary order (by frac(JD + 0.5)) is
  // 4.6, 29.7, 9.8, 89.9, 2.0. At secondary frequency 0.01 with 3 bins only
  // 29.7 falls in bin 1; the other four form one run in bin 0.
  AnalysisState s = MakeState({2.0, 4.6, 9.8, 29.7, 89.9}, {3, 1, 2, 4, 7});
  s.Period = 1;
  s.ExtrDate = 0;
  s.NBins = 3;
  s.SecPMode = 1;
  SingleTrial(s, 0.01);
  RecordingHooks hooks;
  SearchSecP(s, hooks);
  // Primary fold: magnitudes 1, 4, 2, 7, 3 around the cycle.
  EXPECT_NEAR(s.PrimaryTheta * s.MagVar, (9 + 4 + 25 + 16 + 4) / 5.0, 1e-12);
  // Bin 0 run 1, 2, 7, 3: steps 1 + 25 + 16 over N - B = 2 (not over the 3
  // observations that have a predecessor, nor N minus the filled bins).
  const double s2 = 42.0 / 2;
  EXPECT_NEAR(s.TrialParam, (s2 / s.MagVar) / s.PrimaryTheta, 1e-12);
  EXPECT_EQ(s.BestParam[1], s.TrialParam);
  EXPECT_NEAR(s.BestPeriod[1], 100, 1e-9);
}

TEST(SearchSecP, BinsWithoutPairsGiveNoValueAndNoInfinity) {
  // Four observations in three bins: 29.7 and 60.0 are alone, and the one
  // pair (2.0 and 84.0, both in bin 0) has equal magnitudes, so S = 0.
  AnalysisState s = MakeState({2.0, 29.7, 60.0, 84.0}, {3, 1, 2, 3});
  s.Period = 1;
  s.ExtrDate = 0;
  s.NBins = 3;
  s.SecPMode = 1;
  SingleTrial(s, 0.01);
  RecordingHooks hooks;
  SearchSecP(s, hooks);
  EXPECT_EQ(s.BestParam[1], 10);
  for (double v : s.SpecHigh) EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(s.RunCode, 'e');
}

// A 0.5-day pulsation whose amplitude swings with a 40-day cycle.
AnalysisState ModulatedStar() {
  const std::vector<double> t = RandomDates(900, 400, 2024);
  std::mt19937 gen(99);
  std::normal_distribution<double> noise(0, 0.01);
  std::vector<double> m;
  for (double x : t) {
    const double amplitude = 0.3 * (1 + 0.6 * std::sin(2 * std::numbers::pi * x / 40));
    m.push_back(12 + amplitude * std::sin(2 * std::numbers::pi * x / 0.5) + noise(gen));
  }
  AnalysisState s = MakeState(t, m);
  s.Period = 0.5;
  s.ExtrDate = 0;
  s.NBins = 8;
  return s;
}

TEST(SearchSecP, BothModesFindTheModulationPeriod) {
  for (uint8_t mode : {1, 2}) {
    AnalysisState s = ModulatedStar();
    s.SecPMode = mode;
    Begin(s, SearchKind::Secondary, 100, 10, 0.05);
    RecordingHooks hooks;
    SearchSecP(s, hooks);
    EXPECT_NEAR(s.BestPeriod[1], 40, 1.0) << "mode " << int{mode};
    EXPECT_LT(s.BestParam[1], 1) << "mode " << int{mode};  // smoother than the primary fold
    EXPECT_EQ(hooks.LastStatus(), "Done...");
    EXPECT_EQ(s.RunCode, 'e');
    for (int k = 2; k <= 20; ++k) EXPECT_LE(s.BestParam[k - 1], s.BestParam[k]);
  }
}

TEST(SearchSecP, LeavesMarksAndClearsResumed) {
  AnalysisState s = ModulatedStar();
  s.SecPMode = 2;
  for (int i = 1; i <= s.NObs; ++i) s.Marks[i] = i % 2;
  const iarray marks = s.Marks;
  Begin(s, SearchKind::Secondary, 100, 50, 0.05);
  s.Resumed = true;
  RecordingHooks hooks;
  SearchSecP(s, hooks);
  EXPECT_EQ(s.Marks, marks);
  EXPECT_FALSE(s.Resumed);
  EXPECT_EQ(hooks.timerCalls, (std::vector<bool>{true, false}));
}

TEST(SearchSecP, RefusesModeOneWithNoMoreObservationsThanBins) {
  AnalysisState s = MakeState({0, 1, 2}, {1, 2, 3});
  s.Period = 1;
  s.NBins = 3;
  s.SecPMode = 1;
  SingleTrial(s, 0.1);
  RecordingHooks hooks;
  SearchSecP(s, hooks);
  EXPECT_EQ(hooks.betweenTrials, 0);
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_NE(hooks.LastStatus().find("more observations than bins"), std::string::npos);
}

}  // namespace
}  // namespace korvel
