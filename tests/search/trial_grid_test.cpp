#include "search/trial_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "search/document_search.h"
#include "search/lafler_kinman.h"
#include "search_fixtures.h"

namespace korvel {
namespace {

using testing::Begin;
using testing::MakeState;
using testing::RecordingHooks;

TEST(SetFreqAxis, DialogDefaults) {
  AnalysisState s;
  s.Pmax = 100;
  s.Pmin = 1;
  SetFreqAxis(s);
  EXPECT_DOUBLE_EQ(s.FreqLo, 0.01);
  EXPECT_DOUBLE_EQ(s.FreqHi, 1);
  EXPECT_EQ(s.AxisFreqLo, s.FreqLo);
  EXPECT_EQ(s.AxisFreqHi, s.FreqHi);
  EXPECT_NEAR(s.FreqScale, 484.848484848, 1e-8);
  EXPECT_EQ(s.AxisStep, 0.1);
  EXPECT_EQ(s.AxisFirst, 0);
}

TEST(SetFreqAxis, OneOctaveOfPeriods) {
  AnalysisState s;
  s.Pmax = 2;
  s.Pmin = 1;
  SetFreqAxis(s);
  EXPECT_EQ(s.FreqLo, 0.5);
  EXPECT_EQ(s.FreqHi, 1);
  EXPECT_EQ(s.FreqScale, 960);
  EXPECT_EQ(s.AxisStep, 0.05);
  EXPECT_EQ(s.AxisFirst, 0.5);
}

TEST(TrialGrid, StepIsThePhaseShiftOverTheTimeSpan) {
  AnalysisState s = MakeState({0, 400, 1000}, {1, 2, 3});
  s.P2 = 39.8;  // the user's secondary period, which a search leaves alone
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  EXPECT_DOUBLE_EQ(s.FreqStep, 0.00005);
  EXPECT_DOUBLE_EQ(s.FreqLo, 0.01);
  EXPECT_EQ(s.P2, 39.8);
  EXPECT_DOUBLE_EQ(s.FreqEnd, 1);
  EXPECT_DOUBLE_EQ(s.Freq, 0.01 - 0.00005);
  EXPECT_EQ(s.RunCode, 'r');
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.DataReady, 'n');
}

TEST(TrialGrid, TrialsRunFromOneOverPmaxToTheLastFrequencyNotAboveOneOverPmin) {
  AnalysisState s = MakeState({0, 250, 600, 1000}, {1, 3, 2, 4});
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  RecordingHooks hooks;
  hooks.watched = &s;
  SearchLK(s, hooks);
  const std::vector<double>& f = hooks.freqAtTrial;
  ASSERT_FALSE(f.empty());
  const double step = 0.00005;
  const double expectedTrials = std::floor((1 - 0.01) / step) + 1;  // 19801
  EXPECT_NEAR(static_cast<double>(f.size()), expectedTrials, 1);
  EXPECT_NEAR(f.front(), 0.01, 1e-12);
  EXPECT_LE(f.back(), 1.0);
  EXPECT_GT(f.back() + step, 1.0);
  EXPECT_GT(s.Freq, s.FreqEnd);  // the search stops one step beyond the end
}

TEST(SpectrumColumn, RoundsHalvesToEvenAndRefusesOutsideColumns) {
  AnalysisState s;
  s.FreqLo = 0;
  s.FreqScale = 1;
  EXPECT_EQ(SpectrumColumn(s, 2.5), 2);
  EXPECT_EQ(SpectrumColumn(s, 3.5), 4);
  EXPECT_EQ(SpectrumColumn(s, 480.4), 480);
  EXPECT_EQ(SpectrumColumn(s, -1e-9), 0);
  EXPECT_EQ(SpectrumColumn(s, 480.6), -1);
  EXPECT_EQ(SpectrumColumn(s, -0.6), -1);
  s.FreqScale = std::nan("");
  EXPECT_EQ(SpectrumColumn(s, 1), -1);
}

}  // namespace
}  // namespace korvel
