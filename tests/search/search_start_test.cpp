#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "search/deeming.h"
#include "search/document_search.h"
#include "search/engine_support.h"
#include "search_fixtures.h"

namespace korvel {
namespace {

using testing::MakeState;

// Four observations over 30 days with the dialog's values stored: every
// kind of search accepts it.
AnalysisState Searchable() {
  AnalysisState s = MakeState({0, 10, 20, 30}, {1, 2, 1, 3});
  s.Pmax = 100;
  s.Pmin = 1;
  s.FreqStep = 0.05;
  s.Period = 2;
  s.NBins = 2;
  s.SecPMode = 1;
  return s;
}

// What a previous search left behind, which a fresh one must not inherit.
void LeaveAResult(AnalysisState& s) {
  s.RunCode = 'e';
  s.View = 't';
  s.DataReady = 'y';
  s.SpecHigh[7] = 0.9;
  s.SpecLow[7] = 0.4;
  s.SpecMax = 0.9;
  s.SpecMin = 0.4;
  s.DrawnSpecMax = 0.9;
  for (int k = 1; k <= kBestPlaces; ++k) {
    s.BestPeriod[k] = 5;
    s.BestParam[k] = 0.5;
    s.BestFreq[k] = 0.2;
  }
}

TEST(StartSearch, EachKindStartsFromItsOwnEmptyState) {
  struct Case {
    SearchKind kind;
    char view;
    double emptyBest;  // a theta far above any trial, or an amplitude below
  } const cases[] = {
      {SearchKind::LaflerKinman, 'l', 10},
      {SearchKind::Deeming, 'd', 0},
      {SearchKind::Secondary, 's', 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view);
    AnalysisState s = Searchable();
    LeaveAResult(s);
    StartSearch(s, c.kind);
    EXPECT_EQ(s.RunCode, 'r');
    EXPECT_EQ(s.View, c.view);
    EXPECT_EQ(ViewLetter(c.kind), c.view);
    EXPECT_EQ(s.DataReady, 'n');
    EXPECT_EQ(s.SpecHigh[7], 0);
    EXPECT_EQ(s.SpecLow[7], 0);
    EXPECT_EQ(s.SpecMax, 0);
    EXPECT_EQ(s.SpecMin, 100);
    EXPECT_EQ(s.DrawnSpecMax, 0);
    for (int k = 1; k <= kBestPlaces; ++k) {
      EXPECT_EQ(s.BestPeriod[k], 0);
      EXPECT_EQ(s.BestParam[k], c.emptyBest);
      EXPECT_EQ(s.BestFreq[k], 0);
    }
    EXPECT_DOUBLE_EQ(s.FreqStep, 0.05 / 30);
    EXPECT_DOUBLE_EQ(s.Freq + s.FreqStep, 0.01);
  }
}

// Deeming weighs each magnitude by its distance from the mean; the window
// spectrum gives every observation the same weight.
TEST(StartSearch, DeemingWeighsTheObservations) {
  const auto best = [](AnalysisState s, double shift, bool window) {
    for (int i = 1; i <= s.NObs; ++i) s.Mag[i] += shift;
    s.MagMean += shift;
    s.WindowSpec = window;
    StartSearch(s, SearchKind::Deeming);
    SilentSearchHooks hooks;
    RunSearch(s, SearchKind::Deeming, hooks);
    return s.BestParam;
  };
  const AnalysisState s = Searchable();
  // Distances from the mean: a constant added to every magnitude changes
  // nothing (the shift is exact in binary).
  EXPECT_EQ(best(s, 0, false), best(s, 0.5, false));
  EXPECT_GT(best(s, 0, false)[1], 0);
  // The window spectrum ignores the magnitudes.
  AnalysisState other = s;
  for (int i = 1; i <= other.NObs; ++i) other.Mag[i] = 7 * i;
  EXPECT_EQ(best(s, 0, true), best(other, 0, true));
}

// Values no dialog lets through but a condition file or a caller of the
// library may bring: each is refused with the dialog's message, never
// searched with.
TEST(CheckSearchable, RefusesValuesThatAreNotFinite) {
  const double nan = std::nan(""), inf = HUGE_VAL;
  struct Case {
    const char* what;
    void (*spoil)(AnalysisState&, double);
    double value;
    SearchKind kind;
    std::string message;
  } const cases[] = {
      {"Pmin", [](AnalysisState& s, double v) { s.Pmin = v; }, nan, SearchKind::LaflerKinman,
       "Error in P range..."},
      {"Pmax", [](AnalysisState& s, double v) { s.Pmax = v; }, inf, SearchKind::Deeming,
       "Error in P range..."},
      {"Pmax", [](AnalysisState& s, double v) { s.Pmax = v; }, nan, SearchKind::Secondary,
       "Error in P ranges..."},
      {"shift", [](AnalysisState& s, double v) { s.FreqStep = v; }, inf, SearchKind::LaflerKinman,
       "Error in phase shift..."},
      {"shift", [](AnalysisState& s, double v) { s.FreqStep = v; }, nan, SearchKind::Secondary,
       "Error in Phase shift..."},
      {"Period", [](AnalysisState& s, double v) { s.Period = v; }, inf, SearchKind::Secondary,
       "Error in Po..."},
      {"last JD", [](AnalysisState& s, double v) { s.JD[4] = v; }, nan, SearchKind::Deeming,
       kDescendingDates},
      {"last JD", [](AnalysisState& s, double v) { s.JD[4] = v; }, inf, SearchKind::LaflerKinman,
       kDescendingDates},
      {"MagVar", [](AnalysisState& s, double v) { s.MagVar = v; }, inf, SearchKind::LaflerKinman,
       kVarianceNotFinite},
  };
  for (const Case& c : cases) {
    AnalysisState s = Searchable();
    c.spoil(s, c.value);
    EXPECT_EQ(CheckSearchable(s, c.kind), c.message) << c.what << " = " << c.value;
  }
}

TEST(CheckSearchable, RefusesArraysShorterThanTheObservationCount) {
  AnalysisState s = Searchable();
  s.NObs = 5;  // JD and Mag hold 1 .. 4
  EXPECT_EQ(CheckSearchable(s, SearchKind::Deeming), kArraysMismatch);
}

// A resumed search keeps its grid: only the data and a running search are
// checked again.
TEST(DataProblem, ChecksTheDataButNotTheDialogValues) {
  AnalysisState s = Searchable();
  s.Pmin = 0;
  s.FreqStep = 0;
  for (SearchKind k : {SearchKind::LaflerKinman, SearchKind::Deeming, SearchKind::Secondary}) {
    EXPECT_EQ(DataProblem(s, k), std::nullopt);
    EXPECT_TRUE(CheckSearchable(s, k).has_value());
  }
  s.RunCode = 'r';
  EXPECT_EQ(DataProblem(s, SearchKind::Deeming), kSearchRunning);
  s.RunCode = 'e';
  s.JD[4] = 0;
  EXPECT_EQ(DataProblem(s, SearchKind::LaflerKinman), kZeroSpan);
}

class CheckSearchableTest : public ::testing::Test {
 protected:
  AnalysisState s = Searchable();
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
