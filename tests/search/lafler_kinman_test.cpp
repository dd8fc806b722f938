#include "search/lafler_kinman.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "search/engine_support.h"
#include "search/trial_grid.h"
#include "search_fixtures.h"

namespace korvel {
namespace {

using testing::Begin;
using testing::MakeState;
using testing::RandomDates;
using testing::RecordingHooks;
using testing::Sinusoid;

AnalysisState TenDayStar() {
  const std::vector<double> t = RandomDates(300, 1000, 42, 2450000);
  return MakeState(t, Sinusoid(t, 10, 0.5));
}

TEST(SearchLK, RecoversATenDaySinusoidWithinOneStep) {
  AnalysisState s = TenDayStar();
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  RecordingHooks hooks;
  SearchLK(s, hooks);

  EXPECT_NEAR(s.BestFreq[1], 0.1, s.FreqStep);
  EXPECT_NEAR(s.BestPeriod[1], 10, 0.01);
  EXPECT_LT(s.BestParam[1], 0.05);
  const auto top = std::max_element(s.SpecHigh.begin(), s.SpecHigh.end());
  EXPECT_EQ(top - s.SpecHigh.begin(), SpectrumColumn(s, 0.1));
  EXPECT_EQ(*top, s.SpecMax);
  // The best list is ordered, best first.
  for (int k = 2; k <= 20; ++k) EXPECT_LE(s.BestParam[k - 1], s.BestParam[k]);
}

TEST(SearchLK, RunsBetweenTheTimerAndEndsWithDone) {
  AnalysisState s = TenDayStar();
  Begin(s, SearchKind::LaflerKinman, 20, 5, 0.05);
  RecordingHooks hooks;
  SearchLK(s, hooks);
  EXPECT_GT(hooks.betweenTrials, 0);
  EXPECT_TRUE(hooks.timerOnAtEveryTrial);
  EXPECT_EQ(hooks.timerCalls, (std::vector<bool>{true, false}));
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_EQ(hooks.LastStatus(), "Done...");
  EXPECT_GE(hooks.repaints, 1);
}

TEST(SearchLK, SpectrumColumnsHoldTheirRangeAndEmptyColumnsStayZero) {
  AnalysisState s = TenDayStar();
  // About 100 trials over 481 columns: most columns stay empty.
  Begin(s, SearchKind::LaflerKinman, 11, 9, 0.5);
  RecordingHooks hooks;
  SearchLK(s, hooks);
  int reached = 0;
  for (int c = 0; c < kSpecColumns; ++c) {
    EXPECT_LE(s.SpecLow[c], s.SpecHigh[c]);
    EXPECT_EQ(s.SpecLow[c] == 0, s.SpecHigh[c] == 0);
    if (s.SpecHigh[c] != 0) ++reached;
  }
  EXPECT_GT(reached, 10);
  EXPECT_LT(reached, 200);
  EXPECT_GT(s.SpecHigh[0], 0);  // the first trial
  EXPECT_LE(s.SpecMin, s.SpecMax);
}

TEST(SearchLK, StopKeepsTheBestOfTheTrialsMade) {
  AnalysisState s = TenDayStar();
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  RecordingHooks hooks;
  hooks.watched = &s;
  hooks.onBetweenTrials = [&] {
    if (hooks.betweenTrials == 30) s.RunCode = 'e';
  };
  SearchLK(s, hooks);
  // The trial under way when Stop came is still completed.
  EXPECT_EQ(hooks.betweenTrials, 30);
  EXPECT_EQ(hooks.LastStatus(), "Done...");
  EXPECT_EQ(hooks.timerCalls.back(), false);
  for (int k = 1; k <= 20; ++k) {
    EXPECT_LT(s.BestParam[k], 10);
    EXPECT_GE(s.BestFreq[k], hooks.freqAtTrial.front());
    EXPECT_LE(s.BestFreq[k], hooks.freqAtTrial.back());
  }
}

TEST(SearchLK, LeavesTheExtractionMarksUntouched) {
  AnalysisState s = TenDayStar();
  for (int i = 1; i <= s.NObs; ++i) s.Marks[i] = i % 3 == 0;
  const iarray marks = s.Marks;
  Begin(s, SearchKind::LaflerKinman, 20, 5, 0.05);
  RecordingHooks hooks;
  SearchLK(s, hooks);
  EXPECT_EQ(s.Marks, marks);
}

TEST(SearchLK, DatesBeforeTheFirstObservationFoldTheSame) {
  // Out of date order, JD[i] - JD[1] is negative for some observations; such
  // folds take the scalar path and must find the same period.
  AnalysisState s = TenDayStar();
  std::swap(s.JD[1], s.JD[150]);
  std::swap(s.Mag[1], s.Mag[150]);
  s.Pmax = 100;
  s.Pmin = 1;
  SetFreqAxis(s);
  StartSearch(s, SearchKind::LaflerKinman);
  s.FreqStep = 0.05 / 1000;  // the grid of the sorted set
  s.Freq = s.P2 - s.FreqStep;
  RecordingHooks hooks;
  SearchLK(s, hooks);
  EXPECT_NEAR(s.BestFreq[1], 0.1, s.FreqStep);
}

TEST(SearchLK, EqualMagnitudesEndTheRunWithAReasonAndNoSpectrum) {
  AnalysisState s = MakeState({0, 10, 20, 30}, {5, 5, 5, 5});
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  RecordingHooks hooks;
  SearchLK(s, hooks);
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_EQ(hooks.betweenTrials, 0);
  EXPECT_EQ(hooks.LastStatus(), "All magnitudes are equal: there is nothing to search...");
  for (double v : s.SpecHigh) EXPECT_EQ(v, 0);
}

TEST(SearchLK, AZeroTimeSpanEndsTheRunCleanly) {
  AnalysisState s = MakeState({7, 7, 7}, {1, 2, 3});
  s.Pmax = 100;
  s.Pmin = 1;
  s.FreqStep = 0.05;
  SetFreqAxis(s);
  StartSearch(s, SearchKind::LaflerKinman);  // step 0.05 / 0
  RecordingHooks hooks;
  SearchLK(s, hooks);
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_EQ(hooks.LastStatus(), kZeroSpan);
  for (int k = 1; k <= 20; ++k) EXPECT_EQ(s.BestParam[k], 10);
}

TEST(SearchLK, AStepTooSmallToMoveTheFrequencyEndsInsteadOfRepeating) {
  AnalysisState s = TenDayStar();
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  s.Freq = 0.5;
  s.FreqStep = 1e-20;  // as a damaged condition file may give it
  RecordingHooks hooks;
  SearchLK(s, hooks);
  EXPECT_EQ(hooks.betweenTrials, 0);
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_EQ(hooks.LastStatus(), "Done...");
}

TEST(SearchLK, AReloadBetweenTrialsEndsTheRun) {
  AnalysisState s = TenDayStar();
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  RecordingHooks hooks;
  hooks.onBetweenTrials = [&] {
    if (hooks.betweenTrials == 5) {
      s.NObs = 3;  // File > Open of a shorter set
      s.JD.resize(4);
      s.Mag.resize(4);
    }
  };
  SearchLK(s, hooks);
  EXPECT_EQ(hooks.betweenTrials, 5);
  EXPECT_EQ(s.RunCode, 'e');
}

}  // namespace
}  // namespace korvel
