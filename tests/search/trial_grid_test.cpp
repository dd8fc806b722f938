#include "search/trial_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/nice_steps.h"
#include "search/lafler_kinman.h"
#include "search/search_start.h"
#include "search_fixtures.h"

namespace korvel {
namespace {

using testing::Begin;
using testing::MakeState;
using testing::RecordingHooks;

TEST(ChooseStep, ComparesWithTheStepChosenSoFar) {
  EXPECT_EQ(ChooseStep(4).step, 0.5);
  EXPECT_EQ(ChooseStep(4).index, 14);
  EXPECT_EQ(ChooseStep(10).step, 1);
  EXPECT_EQ(ChooseStep(100).step, 10);
  EXPECT_EQ(ChooseStep(0.5).step, 0.05);  // a target equal to an entry gives the next one
  // Targets (span / 5) 0.2, 0.198, 0.35, 1.0 and 4.5:
  EXPECT_EQ(ChooseStep(1.0).step, 0.1);
  EXPECT_EQ(ChooseStep(0.99).step, 0.1);
  EXPECT_EQ(ChooseStep(1.75).step, 0.2);
  EXPECT_EQ(ChooseStep(5).step, 0.5);
  EXPECT_EQ(ChooseStep(22.5).step, 2);
}

TEST(ChooseStep, NoEntryPassesForAHugeSpan) {
  const StepChoice c = ChooseStep(200000);
  EXPECT_EQ(c.step, 10000);
  EXPECT_EQ(c.index, 0);
  EXPECT_EQ(ChooseStep(std::nan("")).index, 0);
}

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
  Begin(s, SearchKind::LaflerKinman, 100, 1, 0.05);
  EXPECT_DOUBLE_EQ(s.FreqStep, 0.00005);
  EXPECT_DOUBLE_EQ(s.P2, 0.01);
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

class CheckSearchableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s = MakeState({0, 10, 20, 30}, {1, 2, 1, 3});
    s.Pmax = 100;
    s.Pmin = 1;
    s.FreqStep = 0.05;
    s.Period = 2;
    s.NBins = 2;
    s.SecPMode = 1;
  }
  AnalysisState s;
};

TEST_F(CheckSearchableTest, AcceptsASearchableSet) {
  for (SearchKind k : {SearchKind::LaflerKinman, SearchKind::Deeming, SearchKind::Secondary})
    EXPECT_EQ(CheckSearchable(s, k), std::nullopt);
}

TEST_F(CheckSearchableTest, RefusesWhileASearchRuns) {
  s.RunCode = 'r';
  EXPECT_EQ(CheckSearchable(s, SearchKind::Deeming), kSearchRunning);
}

TEST_F(CheckSearchableTest, RefusesWithoutObservations) {
  AnalysisState empty;
  EXPECT_EQ(CheckSearchable(empty, SearchKind::LaflerKinman), "No observations loaded...");
}

TEST_F(CheckSearchableTest, RefusesAZeroOrNegativeTimeSpan) {
  AnalysisState one = MakeState({5, 5}, {1, 2});
  one.Pmax = 100;
  one.Pmin = 1;
  one.FreqStep = 0.05;
  EXPECT_NE(CheckSearchable(one, SearchKind::Deeming)->find("same date"), std::string::npos);
  s.JD[4] = -1;
  EXPECT_NE(CheckSearchable(s, SearchKind::LaflerKinman)->find("ascending"), std::string::npos);
}

TEST_F(CheckSearchableTest, RefusesEqualMagnitudesExceptForTheWindowSpectrum) {
  AnalysisState flat = MakeState({0, 10, 20}, {5, 5, 5});
  flat.Pmax = 100;
  flat.Pmin = 1;
  flat.FreqStep = 0.05;
  EXPECT_EQ(CheckSearchable(flat, SearchKind::LaflerKinman),
            "All magnitudes are equal: there is nothing to search...");
  EXPECT_TRUE(CheckSearchable(flat, SearchKind::Deeming).has_value());
  flat.WindowSpec = true;
  EXPECT_EQ(CheckSearchable(flat, SearchKind::Deeming), std::nullopt);
}

TEST_F(CheckSearchableTest, RefusesBadGridParameters) {
  s.Pmin = 100;
  EXPECT_EQ(CheckSearchable(s, SearchKind::LaflerKinman), "Error in P range...");
  EXPECT_EQ(CheckSearchable(s, SearchKind::Secondary), "Error in P ranges...");
  s.Pmin = 1;
  s.FreqStep = 0;
  EXPECT_EQ(CheckSearchable(s, SearchKind::Deeming), "Error in phase shift...");
  s.FreqStep = 1e-30;  // the frequency would never pass 1/Pmin
  EXPECT_EQ(CheckSearchable(s, SearchKind::Deeming), kStepTooSmall);
}

TEST_F(CheckSearchableTest, RefusesSecondaryParametersTheSearchCannotUse) {
  s.NBins = 256;
  EXPECT_EQ(CheckSearchable(s, SearchKind::Secondary), "At most 255 phase bins are possible...");
  s.NBins = 4;  // mode 1 divides by NObs - NBins = 0
  EXPECT_NE(CheckSearchable(s, SearchKind::Secondary)->find("more observations than bins"),
            std::string::npos);
  s.SecPMode = 2;
  EXPECT_EQ(CheckSearchable(s, SearchKind::Secondary), std::nullopt);
  s.NBins = 1;
  EXPECT_EQ(CheckSearchable(s, SearchKind::Secondary), "Error in Number of bins...");
  s.NBins = 2;
  s.Period = 0;
  EXPECT_EQ(CheckSearchable(s, SearchKind::Secondary), "Error in Po...");
  EXPECT_EQ(CheckSearchable(s, SearchKind::LaflerKinman), std::nullopt);
}

}  // namespace
}  // namespace korvel
