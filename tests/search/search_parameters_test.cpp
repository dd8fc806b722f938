#include "search/search_parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "search/document_search.h"

namespace korvel {
namespace {

TEST(SearchParameters, EachKindStartsFromItsDialogsDefaults) {
  EXPECT_EQ(DefaultSearchParameters(SearchKind::LaflerKinman).pmax, 100);
  EXPECT_EQ(DefaultSearchParameters(SearchKind::Deeming).pmax, 100);
  EXPECT_EQ(DefaultSearchParameters(SearchKind::Secondary).pmax, 1000);
  const SearchParameters p = DefaultSearchParameters(SearchKind::Secondary);
  EXPECT_EQ(p.pmin, 1);
  EXPECT_EQ(p.phaseShift, 0.05);
  EXPECT_EQ(p.bins, 8);
  EXPECT_EQ(FieldText(0.5568), "0.5568");
  EXPECT_EQ(FieldText(2459000.25), "2459000.25");
}

// The first refused field gives its message and index; the fields before it
// are stored, a value that did not convert is not, and the frequency axis is
// set only once everything is accepted.
TEST(SearchParameters, TheFirstRefusedFieldNamesItselfAndKeepsWhatCameBefore) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    SearchKind kind;
    SearchParameters p;
    const char* message;
    int field;
  };
  SearchParameters badPmin, reversed, noShift, noPeriod, oneBin, unconverted;
  badPmin.pmin = -1;
  reversed.pmax = 0.5;
  noShift.phaseShift = 0;
  noPeriod.period = 0;
  oneBin.period = 2;
  oneBin.bins = 1;
  unconverted.period = 2;
  unconverted.epoch = std::nullopt;
  SearchParameters infinite;
  infinite.pmax = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {SearchKind::LaflerKinman, badPmin, "Error in Pmin...", kPminField},
      {SearchKind::Deeming, reversed, "Error in P range...", kPmaxField},
      {SearchKind::LaflerKinman, noShift, "Error in phase shift...", kPhaseShiftField},
      {SearchKind::LaflerKinman, infinite, "Error in Pmax...", kPmaxField},
      {SearchKind::Secondary, noPeriod, "Error in Po...", kSecPeriodField},
      {SearchKind::Secondary, oneBin, "Error in Number of bins...", kSecBinsField},
      {SearchKind::Secondary, unconverted, "Error in JD max...", kSecEpochField},
  };
  for (const Case& c : cases) {
    AnalysisState s;
    s.Epoch = 7;
    s.Pmax = s.FreqLo = nan;
    const auto refusal = ApplySearchParameters(s, c.kind, c.p);
    ASSERT_TRUE(refusal.has_value()) << c.message;
    EXPECT_EQ(refusal->message, c.message);
    EXPECT_EQ(refusal->field, c.field) << c.message;
    EXPECT_TRUE(std::isnan(s.FreqLo)) << c.message;
    if (c.kind == SearchKind::Secondary && c.field == kSecEpochField) {
      EXPECT_EQ(s.Period, 2);  // stored before the refusal
      EXPECT_EQ(s.Epoch, 7);   // not converted: left as it was
    }
    if (c.kind == SearchKind::LaflerKinman && c.field == kPminField) {
      EXPECT_EQ(s.Pmax, 100);
    }
  }
}

TEST(SearchParameters, AcceptedValuesAreStoredAndSetTheFrequencyAxis) {
  AnalysisState s;
  SearchParameters p = DefaultSearchParameters(SearchKind::Secondary);
  p.period = 0.5568;
  p.epoch = 59000.5;
  p.extremumDate = 59001;
  p.pmin = 10;
  p.bins = 12;
  p.mode = 2;
  EXPECT_FALSE(ApplySearchParameters(s, SearchKind::Secondary, p).has_value());
  EXPECT_EQ(s.Period, 0.5568);
  EXPECT_EQ(s.ExtrDate, 59001);
  EXPECT_EQ(s.NBins, 12);
  EXPECT_EQ(s.SecPMode, 2);
  EXPECT_EQ(s.FreqStep, 0.05);
  EXPECT_DOUBLE_EQ(s.FreqLo, 1.0 / 1000);
  EXPECT_DOUBLE_EQ(s.FreqHi, 1.0 / 10);
}

}  // namespace
}  // namespace korvel
