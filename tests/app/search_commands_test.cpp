#include "app/search_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "app/run_control.h"
#include "app/shell_commands.h"
#include "app/undo_commands.h"
#include "core/text_format.h"
#include "search/pdm.h"
#include "search/peak_text.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::FakePlatform;

// A 10-day sinusoid sampled irregularly over 200 days.
void LoadSinusoid(AnalysisState& s) {
  s.NObs = 300;
  s.JD.assign(301, 0);
  s.Mag.assign(301, 0);
  double t = 1000;
  for (int i = 1; i <= s.NObs; ++i) {
    t += 0.4 + 0.5 * std::fmod(i * 0.618034, 1.0);
    s.JD[i] = t;
    s.Mag[i] = 12 + 0.3 * std::sin(2 * std::numbers::pi * t / 10.0);
  }
  double sum = 0;
  for (int i = 1; i <= s.NObs; ++i) sum += s.Mag[i];
  s.MagMean = sum / s.NObs;
  double sq = 0;
  for (int i = 1; i <= s.NObs; ++i) sq += (s.Mag[i] - s.MagMean) * (s.Mag[i] - s.MagMean);
  s.MagVar = sq / s.NObs;
  for (auto* v : {&s.Phase, &s.SortPhase, &s.WMag}) v->assign(301, 0);
  s.BinOf.assign(301, 0);
  s.Marks.assign(301, 0);
  s.RunCode = 'n';
  s.View = 't';
  s.DataReady = 'y';
}

class SearchCommands : public ::testing::Test {
 protected:
  SearchCommands() {
    LoadSinusoid(s);
    p.visible[Control::BPrewhite] = true;
    p.texts[Control::SpFN] = "SpFName.dat";
  }
  void AnswerLK(const std::string& pmax, const std::string& pmin, const std::string& shift) {
    p.dialogAnswers.push_back(
        {true,
         {{Control::LK_Pmax, pmax}, {Control::LK_Pmin, pmin}, {Control::LK_PhaseShift, shift}}});
  }

  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(SearchCommands, LaflerKinmanFromTheWindowFindsThePeriodAndFillsTheGrid) {
  // Below twice the period: folding with 2P is as smooth as with P.
  AnswerLK("15", "5", "0.05");
  bool timerSeenOn = false;
  p.onProcessEvents = [&] { timerSeenOn = timerSeenOn || p.timerEnabled; };
  s.Marks[3] = 1;
  RunCommand(a, StartLaflerKinmanSearch);
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(p.dialogsShown, std::vector<Dialog>{Dialog::LK});
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.DataReady, 'n');
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_TRUE(timerSeenOn);
  EXPECT_FALSE(p.timerEnabled);
  EXPECT_FALSE(p.visible[Control::BPrewhite]);
  EXPECT_EQ(p.LastStatus().rfind("P = 10.0", 0), 0u) << p.LastStatus();
  EXPECT_NE(p.LastStatus().find(" d (Lafler-Kinman"), std::string::npos) << p.LastStatus();
  EXPECT_NEAR(s.BestPeriod[1], 10.0, 0.2);
  EXPECT_EQ(s.Marks[3], 1);  // the extraction marks survive a search

  RunCommand(a, ShowResultsTable);
  EXPECT_TRUE(p.visible[Control::StrGr]);
  p.selectedRow = 1;
  RunCommand(a, FoldOnChosenRow);
  EXPECT_EQ(s.Period, s.BestPeriod[1]);
  EXPECT_EQ(s.DataReady, 'y');
}

TEST_F(SearchCommands, AfterASearchTablePressedTwiceListsTheDistinctPeaksAndAPickFoldsOnOne) {
  AnswerLK("15", "2", "0.05");
  RunCommand(a, StartLaflerKinmanSearch);
  const std::vector<PeakReport>& peaks = a.peaks.peaks;
  ASSERT_GE(peaks.size(), 2u);
  EXPECT_NEAR(PeakPeriod(peaks[0]), 10.0, 0.05);
  EXPECT_FALSE(p.visible[Control::PeakGr]);

  RunCommand(a, ShowResultsTable);  // the 20 best trials
  EXPECT_TRUE(p.visible[Control::StrGr]);
  EXPECT_FALSE(p.visible[Control::PeakGr]);
  RunCommand(a, ShowResultsTable);  // the distinct peaks in their place
  EXPECT_FALSE(p.visible[Control::StrGr]);
  EXPECT_TRUE(p.visible[Control::PeakGr]);
  EXPECT_EQ(p.peakRows, static_cast<int>(peaks.size()));
  const auto cell = [&](int row, int column) { return p.peakCells[{row, column}]; };
  EXPECT_EQ(cell(0, 0), "Period");
  EXPECT_EQ(cell(0, 3), "Label");
  for (int row = 1; row <= p.peakRows; ++row) {
    const PeakReport& peak = peaks[static_cast<size_t>(row - 1)];
    // The period shown is the peak's, to the decimals its error warrants.
    const double shown = std::isfinite(peak.periodError) ? 0.5 * peak.periodError : 5e-8;
    EXPECT_NEAR(std::stod(cell(row, 0)), PeakPeriod(peak), shown) << cell(row, 0);
    EXPECT_EQ(cell(row, 3), peak.peak.label);
    for (int column = 0; column < kPeakColumns; ++column)
      EXPECT_EQ(cell(row, column).find_first_of("nN"), std::string::npos) << cell(row, column);
  }
  EXPECT_NE(cell(1, 0).find(" \u00b1 "), std::string::npos) << cell(1, 0);

  p.selectedPeakRow = 2;
  RunCommand(a, FoldOnChosenPeak);
  EXPECT_EQ(s.Period, PeakPeriod(peaks[1]));
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.DataReady, 'y');
  EXPECT_FALSE(p.visible[Control::PeakGr]);
}

TEST_F(SearchCommands, ANewSearchOrALoadHidesTheTablesOfTheRowsItReplaces) {
  AnswerLK("15", "5", "0.05");
  RunCommand(a, StartLaflerKinmanSearch);
  RunCommand(a, ShowResultsTable);
  ASSERT_TRUE(p.visible[Control::StrGr]);
  AnswerLK("4", "2", "0.05");
  RunCommand(a, StartLaflerKinmanSearch);
  EXPECT_FALSE(p.visible[Control::StrGr]);
  RunCommand(a, ShowResultsTable);  // the rows of the search just run
  const double shown = std::stod(p.grid[{1, 0}]);
  EXPECT_TRUE(shown >= 2 && shown <= 4) << shown;

  testing::TempDir dir;
  p.fileAnswers.push_back({false, dir.Write("star.dat", "1 10\n2 11\n3 12\n")});
  testing::InDirectory(dir.path(), [&] { RunCommand(a, OpenObservationsInWindow); });
  EXPECT_EQ(s.NObs, 3);
  EXPECT_FALSE(p.visible[Control::StrGr]);
}

TEST_F(SearchCommands, StopEndsTheSearchAfterTheCurrentTrialKeepingTheBestSoFar) {
  AnswerLK("20", "5", "0.05");
  p.onProcessEvents = [&] { RunCommand(a, StopSearch); };
  RunCommand(a, StartLaflerKinmanSearch);
  EXPECT_EQ(s.RunCode, 'e');
  SearchRequest request;
  request.pmin = 5;
  request.pmax = 20;
  request.phaseShift = 0.05;
  const double trials = std::get<PreparedSearch>(PrepareSearch(request, ObservationsOf(s))).trials;
  EXPECT_EQ(p.LastStatus().rfind("Stopped after 1 of " + Str(trials, 0, 0) + " trials", 0), 0u)
      << p.LastStatus();
  EXPECT_FALSE(p.timerEnabled);
  EXPECT_GT(s.BestPeriod[1], 0);
  EXPECT_EQ(s.BestPeriod[2], 0);  // one trial was made
  EXPECT_EQ(s.BestParam[2], 10);
}

TEST_F(SearchCommands, ASearchCommandWhileOneRunsIsRefused) {
  s.RunCode = 'r';
  AnswerLK("20", "5", "0.05");
  RunCommand(a, StartDeemingSearch);
  EXPECT_TRUE(p.dialogsShown.empty());
  EXPECT_EQ(s.RunCode, 'r');
  EXPECT_FALSE(p.LastStatus().empty());
}

TEST_F(SearchCommands, DataThatCannotBeSearchedIsRefusedBeforeTheStateChanges) {
  for (int i = 1; i <= s.NObs; ++i) s.Mag[i] = 12;
  s.MagVar = 0;
  s.BestPeriod[1] = 7;
  AnswerLK("20", "5", "0.05");
  RunCommand(a, StartLaflerKinmanSearch);
  EXPECT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_EQ(s.View, 't');
  EXPECT_EQ(s.BestPeriod[1], 7);
  EXPECT_TRUE(p.visible[Control::BPrewhite]);
}

TEST_F(SearchCommands, CancelStartsNothing) {
  p.dialogAnswers.push_back({false, {}});
  RunCommand(a, StartLaflerKinmanSearch);
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_EQ(s.View, 't');
}

void StartPdm(AppContext& a) {
  StartSearchBy(a, SearchKind::Pdm);
}

TEST_F(SearchCommands, OwnParametersTypedInTheDialogReachTheSearchAndF5TakesThemAgain) {
  p.dialogAnswers.push_back({true,
                             {{Control::LK_Pmax, "15"},
                              {Control::LK_Pmin, "5"},
                              {Control::LK_PhaseShift, "0.05"},
                              {Control::LK_Own1, "20"},
                              {Control::LK_Own2, "3"}}});
  RunCommand(a, StartPdm);
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_TRUE(p.visible[Control::LK_Own2]);
  EXPECT_EQ(p.texts[Control::LK_Own1Caption], "Bins");
  // The best theta is the one of 20 bins and 3 covers, not of the defaults.
  const double best[] = {s.BestFreq[1]};
  const Observations o = ObservationsOf(s);
  EXPECT_DOUBLE_EQ(s.BestParam[1], PdmThetas(o, 20, 3, best)[0]);
  EXPECT_NE(s.BestParam[1], PdmThetas(o, kDefaultPdmBins, kDefaultPdmCovers, best)[0]);

  // F5 shows the dialog filled with them; OK as shown searches alike.
  p.texts[Control::LK_Own1] = p.texts[Control::LK_Own2] = "";
  const double before = s.BestParam[1];
  p.dialogAnswers.push_back({true, {}});
  RunCommand(a, RepeatLastSearch);
  EXPECT_EQ(p.texts[Control::LK_Own1], "20");
  EXPECT_EQ(p.texts[Control::LK_Own2], "3");
  EXPECT_EQ(s.BestParam[1], before);

  // A search without parameters of its own shows neither field.
  p.dialogAnswers.push_back({false, {}});
  RunCommand(a, [](AppContext& c) { StartSearchBy(c, SearchKind::LombScargle); });
  EXPECT_FALSE(p.visible[Control::LK_Own1]);
  EXPECT_FALSE(p.visible[Control::LK_Own2]);
}

TEST_F(SearchCommands, AnOwnParameterTheSearchRefusesKeepsTheDialogOpenAndNamesItsField) {
  AnswerLK("15", "5", "0.05");
  p.dialogAnswers.back().texts[Control::LK_Own1] = "1";
  p.dialogAnswers.push_back({true, {{Control::LK_Own1, "10"}, {Control::LK_Own2, "two"}}});
  p.dialogAnswers.push_back({true, {{Control::LK_Own2, "17"}}});
  p.dialogAnswers.push_back({false, {}});
  RunCommand(a, StartPdm);
  ASSERT_EQ(p.messages.size(), 3u);
  // The messages are the method's own check's, after the field's caption.
  EXPECT_EQ(p.messages[0], "Bins: At least 2 phase bins are needed...");
  EXPECT_EQ(p.messages[1], "Covers: a whole number is needed...");
  EXPECT_EQ(p.messages[2], "Covers: The number of covers must be from 1 to 16...");
  EXPECT_EQ(p.focused,
            (std::vector<Control>{Control::LK_Own1, Control::LK_Own2, Control::LK_Own2}));
  // Nothing ran, and the values last accepted stay.
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_EQ(s.PdmBins, kDefaultPdmBins);
  EXPECT_EQ(s.PdmCovers, kDefaultPdmCovers);
}

TEST_F(SearchCommands, DeemingFindsThePeriodAndSummarises) {
  p.texts[Control::LK_Pmax] = "15";
  p.texts[Control::LK_Pmin] = "5";
  p.texts[Control::LK_PhaseShift] = "0.05";
  AnswerLK("15", "5", "0.05");
  RunCommand(a, StartDeemingSearch);
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(s.View, 'd');
  EXPECT_NEAR(s.BestPeriod[1], 10.0, 0.2);
  EXPECT_NEAR(s.BestParam[1], 0.3, 0.03);
  EXPECT_EQ(p.LastStatus().rfind("P = 10.0", 0), 0u) << p.LastStatus();
  // The counts in words; korvel-batch keeps its terse "N=...;   Sigma=...".
  const std::string counts = ";   " + std::to_string(s.AmpDist.AmpTrials) +
                             " trials; amplitude spectrum sigma " + Str(s.AmpDist.Sigma, 0, 5);
  EXPECT_NE(p.LastStatus().find(counts), std::string::npos) << p.LastStatus();
  // Its dialog's guidance was written for the search about to run.
  EXPECT_NE(p.texts[Control::LK_Guidance].find(" trials"), std::string::npos);
}

TEST_F(SearchCommands, SecondaryDialogShowsThePrimaryPeriodAndRunsInView_s) {
  s.Period = 10;
  p.checked[Control::SecP_Mode1] = true;
  p.dialogAnswers.push_back({true,
                             {{Control::SecP_Epoch, "0"},
                              {Control::SecP_ExtrDate, "1000"},
                              {Control::SecP_Pmax, "100"},
                              {Control::SecP_Pmin, "20"},
                              {Control::SecP_NBins, "4"},
                              {Control::SecP_PhaseShift, "0.1"}}});
  RunCommand(a, StartSecondaryPeriodSearch);
  ASSERT_TRUE(p.messages.empty()) << p.LastMessage();
  EXPECT_EQ(p.texts[Control::SecP_Period], "10.0");
  EXPECT_EQ(s.View, 's');
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_NE(p.LastStatus().find(" d (Secondary period"), std::string::npos) << p.LastStatus();
  EXPECT_GT(s.SpecMax, 0);
}

TEST_F(SearchCommands, ChaosStatisticsAndMagInt) {
  RunCommand(a, ReshuffleMagnitudes);
  EXPECT_EQ(p.LastMessage(), "Reshuffled 1 time.");
  RunCommand(a, ReshuffleMagnitudes);
  EXPECT_EQ(p.LastMessage(), "Reshuffled 2 times.");
  // Each reshuffle shows the magnitudes now in memory.
  const int repaintsAfterChaos = p.repaints;
  EXPECT_EQ(repaintsAfterChaos, 2);

  testing::TempDir dir;
  testing::InDirectory(dir.path(), [&] { RunCommand(a, SaveStatistics); });
  EXPECT_FALSE(std::filesystem::exists(dir.File("stat.dat")));
  EXPECT_EQ(p.messages.size(), 3u);

  // Stat draws the levels it reads at once.
  dir.Write("stat.dat",
            "90.00   0.10000000\r\n99.00   0.20000000\r\n"
            "99.90   0.30000000\r\n99.99   0.40000000\r\n0 \r\n");
  testing::InDirectory(dir.path(), [&] { RunCommand(a, ShowSignificanceLevels); });
  EXPECT_TRUE(s.StatLoaded);
  EXPECT_EQ(s.SigLevel[4], 0.4);
  EXPECT_EQ(p.repaints, repaintsAfterChaos + 1);

  s.MagMode = true;
  RunCommand(a, ToggleMagnitudesIntensities);
  EXPECT_EQ(s.MagLabel, "Flux");
  RunCommand(a, ToggleMagnitudesIntensities);
  EXPECT_EQ(s.MagLabel, "Mag");
  EXPECT_EQ(p.repaints, repaintsAfterChaos + 3);
}

}  // namespace
}  // namespace korvel
