#include "app/search_dialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <variant>

#include "search/document_search.h"
#include "search/search_pipeline.h"
#include "support/fake_platform.h"

namespace korvel {
namespace {

using testing::FakePlatform;

class SearchDialogs : public ::testing::Test {
 protected:
  void SetLK(const std::string& pmax, const std::string& pmin, const std::string& shift) {
    p.texts[Control::LK_Pmax] = pmax;
    p.texts[Control::LK_Pmin] = pmin;
    p.texts[Control::LK_PhaseShift] = shift;
  }
  void SetSecP(std::map<Control, std::string> overrides = {}) {
    p.texts[Control::SecP_Period] = "0.5";
    p.texts[Control::SecP_Epoch] = "0";
    p.texts[Control::SecP_ExtrDate] = "0";
    p.texts[Control::SecP_Pmax] = "1000";
    p.texts[Control::SecP_Pmin] = "1";
    p.texts[Control::SecP_NBins] = "8";
    p.texts[Control::SecP_PhaseShift] = "0.05";
    p.checked[Control::SecP_Mode1] = true;
    p.checked[Control::SecP_Mode2] = false;
    for (const auto& [c, t] : overrides) p.texts[c] = t;
  }
  // Expects a refusal with this message and focus.
  void ExpectRefused(bool ok, const std::string& message, Control focus) {
    EXPECT_FALSE(ok);
    ASSERT_FALSE(p.messages.empty());
    EXPECT_EQ(p.LastMessage(), message);
    ASSERT_FALSE(p.focused.empty());
    EXPECT_EQ(p.focused.back(), focus);
  }

  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(SearchDialogs, InitialParametersAcceptedSetTheFrequencyAxis) {
  SetLK("100", "1", "0.05");
  EXPECT_TRUE(AcceptSearchParameters(a));
  EXPECT_TRUE(p.messages.empty());
  EXPECT_EQ(s.Pmax, 100);
  EXPECT_EQ(s.Pmin, 1);
  EXPECT_EQ(s.FreqStep, 0.05);
  EXPECT_DOUBLE_EQ(s.FreqLo, 0.01);
  EXPECT_DOUBLE_EQ(s.FreqHi, 1.0);
}

TEST_F(SearchDialogs, InitialParametersRefusals) {
  for (const char* bad : {"0", "-5", "abc", ""}) {
    SetLK(bad, "1", "0.05");
    ExpectRefused(AcceptSearchParameters(a), "Error in Pmax...", Control::LK_Pmax);
    SetLK("100", bad, "0.05");
    ExpectRefused(AcceptSearchParameters(a), "Error in Pmin...", Control::LK_Pmin);
    SetLK("100", "1", bad);
    ExpectRefused(AcceptSearchParameters(a), "Error in phase shift...", Control::LK_PhaseShift);
  }
  SetLK("3", "3", "0.05");
  ExpectRefused(AcceptSearchParameters(a), "Error in P range...", Control::LK_Pmax);
  SetLK("2", "3", "0.05");
  ExpectRefused(AcceptSearchParameters(a), "Error in P range...", Control::LK_Pmax);
}

TEST_F(SearchDialogs, RefusedFieldsStayStoredAndTheAxisIsNotSet) {
  SetLK("50", "-5", "0.05");
  s.FreqLo = 7;
  EXPECT_FALSE(AcceptSearchParameters(a));
  EXPECT_EQ(s.Pmax, 50);
  EXPECT_EQ(s.Pmin, -5);  // stored before its check
  EXPECT_EQ(s.FreqLo, 7);
}

TEST_F(SearchDialogs, SecondaryPeriodAcceptedWithItsMode) {
  SetSecP({{Control::SecP_Epoch, "-12.5"}, {Control::SecP_ExtrDate, "0"}});
  p.checked[Control::SecP_Mode1] = false;
  p.checked[Control::SecP_Mode2] = true;
  EXPECT_TRUE(AcceptSecondarySearchParameters(a));
  EXPECT_EQ(s.Period, 0.5);
  EXPECT_EQ(s.Epoch, -12.5);
  EXPECT_EQ(s.NBins, 8);
  EXPECT_EQ(s.SecPMode, 2);
  EXPECT_DOUBLE_EQ(s.FreqLo, 0.001);
  SetSecP();
  EXPECT_TRUE(AcceptSecondarySearchParameters(a));
  EXPECT_EQ(s.SecPMode, 1);
}

TEST_F(SearchDialogs, SecondaryPeriodRefusalsInFieldOrder) {
  struct Case {
    Control field;
    const char* text;
    const char* message;
    Control focus;
  };
  const Case cases[] = {
      {Control::SecP_Period, "0", "Error in Po...", Control::SecP_Period},
      {Control::SecP_Epoch, "x", "Error in JD max...", Control::SecP_Epoch},
      {Control::SecP_ExtrDate, "1,5", "Error in JD ext...", Control::SecP_ExtrDate},
      {Control::SecP_Pmax, "-1", "Error in P max...", Control::SecP_Pmax},
      {Control::SecP_Pmin, "abc", "Error in P min...", Control::SecP_Pmin},
      {Control::SecP_Pmin, "1000", "Error in P ranges...", Control::SecP_Pmax},
      {Control::SecP_NBins, "1", "Error in Number of bins...", Control::SecP_NBins},
      {Control::SecP_NBins, "2.5", "Error in Number of bins...", Control::SecP_NBins},
      {Control::SecP_PhaseShift, "0", "Error in Phase shift...", Control::SecP_PhaseShift},
  };
  for (const Case& c : cases) {
    SetSecP({{c.field, c.text}});
    ExpectRefused(AcceptSecondarySearchParameters(a), c.message, c.focus);
  }
  SetSecP({{Control::SecP_NBins, "2"}});
  EXPECT_TRUE(AcceptSecondarySearchParameters(a));
}

TEST_F(SearchDialogs, ShowingTheSecondaryDialogTrimsThePeriodAndDate) {
  p.texts[Control::SecP_Period] = "keep";
  p.texts[Control::SecP_Epoch] = "keep";
  ShowSecondarySearchDialog(a);
  EXPECT_EQ(p.texts[Control::SecP_Period], "keep");
  EXPECT_EQ(p.texts[Control::SecP_Epoch], "keep");
  s.Period = 0.4;
  s.Epoch = 3.0;
  ShowSecondarySearchDialog(a);
  EXPECT_EQ(p.texts[Control::SecP_Period], "0.4");
  EXPECT_EQ(p.texts[Control::SecP_Epoch], "3.0");
  s.Period = 2.5;
  ShowSecondarySearchDialog(a);
  EXPECT_EQ(p.texts[Control::SecP_Period], "2.5");
}

// 150 nights of 20 observations 0.004 d apart, as a photometric run of a
// short-period star: span 149.076 d.
void LoadNights(AnalysisState& s) {
  s.NObs = 3000;
  s.JD.assign(3001, 0);
  s.Mag.assign(3001, 0);
  int i = 0;
  for (int night = 0; night < 150; ++night)
    for (int k = 0; k < 20; ++k) {
      ++i;
      s.JD[i] = 59000 + night + 0.004 * k;
      s.Mag[i] = 12 + 0.2 * std::sin(s.JD[i] * 40.0);
    }
  double sum = 0, squares = 0;
  for (int j = 1; j <= s.NObs; ++j) sum += s.Mag[j];
  s.MagMean = sum / s.NObs;
  for (int j = 1; j <= s.NObs; ++j) squares += (s.Mag[j] - s.MagMean) * (s.Mag[j] - s.MagMean);
  s.MagVar = squares / s.NObs;
}

bool Says(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(SearchDialogs, GuidanceCountsTheTrialsAndWarnsOfAPoorlySampledRange) {
  LoadNights(s);
  SetLK("1000", "0.0001", "0.05");
  ShowInitialSearchDialog(a, SearchKind::LaflerKinman);
  const std::string text = p.texts[Control::LK_Guidance];
  SearchRequest r;
  r.pmin = 0.0001;
  r.pmax = 1000;
  r.phaseShift = 0.05;
  const auto prepared = PrepareSearch(r, ObservationsOf(s));
  ASSERT_TRUE(std::holds_alternative<PreparedSearch>(prepared));
  const auto trials = static_cast<int64_t>(std::get<PreparedSearch>(prepared).trials);
  EXPECT_TRUE(Says(text, "days")) << text;
  EXPECT_TRUE(Says(text, std::to_string(trials) + " trials, about ")) << text;
  EXPECT_TRUE(Says(text, "below twice the typical spacing") && Says(text, "(0.00400\u00a0d)"))
      << text;
  EXPECT_TRUE(Says(text, "beyond half the time span") && Says(text, "74.5\u00a0d of 149\u00a0d"))
      << text;

  // A range the dates sample well: no warning, and the label follows the fields.
  SetLK("50", "0.01", "0.05");
  UpdateSearchGuidance(a);
  EXPECT_FALSE(Says(p.texts[Control::LK_Guidance], "Warning")) << p.texts[Control::LK_Guidance];
  EXPECT_TRUE(p.messages.empty());  // guidance never refuses
}

TEST_F(SearchDialogs, GuidanceNamesAFieldThatIsNotANumber) {
  LoadNights(s);
  SetLK("100", "one", "0.05");
  SetSecP({{Control::SecP_NBins, "eight"}});
  UpdateSearchGuidance(a);
  EXPECT_TRUE(Says(p.texts[Control::LK_Guidance], "\"Minimum trial period\" is not a number"));
  EXPECT_TRUE(Says(p.texts[Control::SecP_Guidance],
                   "\"Phase bin number for secondary period\" is not a number"));
  // What the search itself would refuse is said as OK would say it.
  SetLK("1", "5", "0.05");
  SetSecP({{Control::SecP_Period, "0"}});
  UpdateSearchGuidance(a);
  EXPECT_TRUE(Says(p.texts[Control::LK_Guidance], "Error in P range..."))
      << p.texts[Control::LK_Guidance];
  EXPECT_TRUE(Says(p.texts[Control::SecP_Guidance], "Error in Po..."))
      << p.texts[Control::SecP_Guidance];
  EXPECT_TRUE(p.messages.empty());
}

TEST_F(SearchDialogs, GuidanceWithoutObservationsSaysSo) {
  SetLK("100", "1", "0.05");
  SetSecP();
  ShowSecondarySearchDialog(a);
  EXPECT_FALSE(Says(p.texts[Control::LK_Guidance], "trials"));
  EXPECT_GT(p.texts[Control::SecP_Guidance].size(),
            std::string("Periods and dates in days. ").size());
}

}  // namespace
}  // namespace korvel
