#include "app/run_control.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_platform.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::FakePlatform;

class RunControl : public ::testing::Test {
 protected:
  RunControl() {
    s.NObs = 4;
    s.JD = {0, 10, 11, 12, 13};
    s.Mag = {0, 12.0, 11.5, 11.5, 12.2};
    for (int k = 1; k <= kBestPlaces; ++k) s.BestParam[k] = 10;
    s.BestPeriod[1] = 3.2;
    s.BestParam[1] = 0.25;
    s.BestFreq[1] = 1 / 3.2;
    s.BestPeriod[2] = 1.6;
    s.BestParam[2] = 0.5;
    s.BestFreq[2] = 1 / 1.6;
  }
  std::string Cell(int row, int column) { return p.grid[std::make_pair(row, column)]; }

  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
};

TEST_F(RunControl, TableIsFilledOnlyAfterASearchEnded) {
  for (char code : {'n', 'r', char(0)}) {
    s.RunCode = code;
    RunCommand(a, ShowResultsTable);
    EXPECT_TRUE(p.grid.empty());
    EXPECT_FALSE(p.visible[Control::StrGr]);
  }
  s.RunCode = 'e';
  RunCommand(a, ShowResultsTable);
  EXPECT_TRUE(p.visible[Control::StrGr]);
  EXPECT_EQ(Cell(0, 0), "Period");
  EXPECT_EQ(Cell(0, 1), "Parameter");
  EXPECT_EQ(Cell(0, 2), "Frequency");
  EXPECT_EQ(Cell(1, 0), "3.2000000");
  EXPECT_EQ(Cell(1, 1), "0.250");
  EXPECT_EQ(Cell(1, 2), "0.3125000");
  // Places no trial reached show their initial values.
  EXPECT_EQ(Cell(20, 0), "0.0000000");
  EXPECT_EQ(Cell(20, 1), "10.000");
  EXPECT_EQ(p.grid.size(), 63u);
}

TEST_F(RunControl, TablePressesCycleGridPeaksAndClosed) {
  s.RunCode = 'e';
  a.peaks.peaks.resize(2);
  a.peaks.peaks[0].fittedPeriod = 3.2;
  a.peaks.peaks[1].fittedPeriod = 1.6;
  const auto shown = [&] {
    return std::make_pair(p.visible[Control::StrGr], p.visible[Control::PeakGr]);
  };
  RunCommand(a, ShowResultsTable);
  EXPECT_EQ(shown(), std::make_pair(true, false));
  RunCommand(a, ShowResultsTable);
  EXPECT_EQ(shown(), std::make_pair(false, true));
  EXPECT_EQ(p.peakRows, 2);
  RunCommand(a, ShowResultsTable);
  EXPECT_EQ(shown(), std::make_pair(false, false));
  RunCommand(a, ShowResultsTable);
  EXPECT_EQ(shown(), std::make_pair(true, false));

  // Without peaks the second press closes the grid.
  a.peaks.peaks.clear();
  RunCommand(a, ShowResultsTable);
  EXPECT_EQ(shown(), std::make_pair(false, false));
}

TEST_F(RunControl, HelpOpensTheGuideAtTheSectionOfItsDialog) {
  for (auto* help : {&OpenUserGuide, &ShowInitialParametersHelp, &ShowLightCurveElementsHelp,
                     &ShowSecondarySearchHelp, &ShowMovingAverageHelp})
    RunCommand(a, help);
  EXPECT_EQ(p.helpTopics,
            (std::vector<std::string>{"", "Initial parameters", "Light curve elements",
                                      "Parameters to search the secondary period",
                                      "Moving average method calculation"}));
  EXPECT_TRUE(p.messages.empty());
}

TEST_F(RunControl, PickingARowInAPhaseViewSetsPeriodAndBrightestEpoch) {
  s.View = 'd';
  s.DataReady = 'n';
  p.visible[Control::StrGr] = true;
  p.selectedRow = 2;
  RunCommand(a, FoldOnChosenRow);
  EXPECT_EQ(s.Period, 1.6);
  EXPECT_EQ(s.Epoch, 11);  // first of the two brightest
  EXPECT_EQ(s.DataReady, 'y');
  EXPECT_FALSE(p.visible[Control::StrGr]);
  EXPECT_EQ(p.repaints, 1);
}

TEST_F(RunControl, PickingARowWhileAboutIsShownSwitchesToTheLaflerKinmanView) {
  s.View = 'h';
  p.selectedRow = 1;
  RunCommand(a, FoldOnChosenRow);
  EXPECT_EQ(s.View, 'l');
  EXPECT_EQ(s.Period, 3.2);
}

TEST_F(RunControl, PickingARowAfterASecondarySearchSetsTheSecondaryPeriod) {
  s.View = 's';
  s.Period = 0.55;
  s.P2 = 0;
  p.selectedRow = 1;
  RunCommand(a, FoldOnChosenRow);
  EXPECT_EQ(s.P2, 3.2);
  EXPECT_EQ(s.Period, 0.55);
}

TEST_F(RunControl, PickingAnEmptyRowChangesNothing) {
  s.View = 'l';
  s.Period = 0.55;
  s.DataReady = 'n';
  p.selectedRow = 7;
  RunCommand(a, FoldOnChosenRow);
  EXPECT_EQ(s.Period, 0.55);
  EXPECT_EQ(s.DataReady, 'n');
}

TEST_F(RunControl, Px2DoublesAndHalvesOnlyOnAShownPhaseCurve) {
  s.Period = 3.2;
  s.Px2State = 'n';
  s.View = 'l';
  s.DataReady = 'y';
  RunCommand(a, TogglePeriodTimesTwo);
  EXPECT_EQ(s.Period, 6.4);
  EXPECT_EQ(p.texts[Control::Px2], "P/2");
  EXPECT_EQ(s.Px2State, 'y');
  RunCommand(a, TogglePeriodTimesTwo);
  EXPECT_EQ(s.Period, 3.2);
  EXPECT_EQ(p.texts[Control::Px2], "Px2");
  EXPECT_EQ(s.Px2State, 'n');

  s.DataReady = 'n';  // the spectrum is shown
  RunCommand(a, TogglePeriodTimesTwo);
  for (char view : {'s', 't'}) {
    s.DataReady = 'y';
    s.View = view;
    RunCommand(a, TogglePeriodTimesTwo);
  }
  EXPECT_EQ(s.Period, 3.2);

  // A row picked after a doubling is shown at its own period, and the next
  // press doubles it.
  s.View = 'l';
  RunCommand(a, TogglePeriodTimesTwo);
  p.selectedRow = 2;
  RunCommand(a, FoldOnChosenRow);
  EXPECT_EQ(s.Period, 1.6);
  EXPECT_EQ(p.texts[Control::Px2], "Px2");
  RunCommand(a, TogglePeriodTimesTwo);
  EXPECT_EQ(s.Period, 3.2);
}

TEST_F(RunControl, TimerRedrawsTheCurveOnlyWhileTheRangeIsUnchanged) {
  testing::RecordingCanvas shown;
  p.plotCanvas = &shown;
  s.SpecMax = s.DrawnSpecMax = 2.0;
  s.SpecMin = s.DrawnSpecMin = 0.5;
  s.SpecYScale = 250 / 1.5;  // as the last full paint left it
  for (int i = 0; i <= 9; ++i) s.SpecLow[i] = s.SpecHigh[i] = 1.0;
  s.FreqLo = 0.5;
  s.FreqEnd = 1.5;
  s.Freq = 1.0;  // half of the trial frequencies done
  RunCommand(a, RedrawRunningSpectrum);
  EXPECT_EQ(p.plotDraws, 1);
  EXPECT_EQ(p.repaints, 0);
  // Only the curve, over the picture shown: columns 0 .. 9 at
  // y = 300 - (1.0 - 0.5) * 166.67 = 216.67, ten highs and nine lows.
  EXPECT_EQ(shown.Lines().size(), 19u);
  EXPECT_TRUE(shown.HasLine(80, 217, 81, 217));
  EXPECT_EQ(shown.PixelAt(85, 217), kWhite);
  EXPECT_TRUE(shown.OpsOf(testing::CanvasOp::Kind::Rectangle).empty());
  EXPECT_TRUE(shown.Texts().empty());
  EXPECT_EQ(p.progress, std::vector<double>{0.5});

  // A new maximum needs new axes: a full repaint, nothing drawn over the old picture.
  s.SpecMax = 2.5;
  s.Freq = 1.25;
  RunCommand(a, RedrawRunningSpectrum);
  EXPECT_EQ(p.plotDraws, 1);
  EXPECT_EQ(p.repaints, 1);
  EXPECT_EQ(shown.Lines().size(), 19u);
  EXPECT_EQ(p.progress, (std::vector<double>{0.5, 0.75}));
}

TEST_F(RunControl, StopWindowSpectrumAndSpectrumToFile) {
  s.RunCode = 'r';
  RunCommand(a, StopSearch);
  EXPECT_EQ(s.RunCode, 'e');
  p.checked[Control::ChBWindow] = true;
  RunCommand(a, ToggleWindowSpectrum);
  EXPECT_TRUE(s.WindowSpec);
  p.checked[Control::ChBWindow] = false;
  RunCommand(a, ToggleWindowSpectrum);
  EXPECT_FALSE(s.WindowSpec);
  RunCommand(a, ToggleSpectrumToFile);
  EXPECT_TRUE(s.SpecToFile);
}

TEST_F(RunControl, AboutIsRefusedWhileASearchRuns) {
  s.View = 'd';
  s.RunCode = 'r';
  s.DataReady = 'n';
  RunCommand(a, ShowAbout);
  EXPECT_EQ(s.View, 'd');
  s.RunCode = 'e';
  RunCommand(a, ShowAbout);
  EXPECT_EQ(s.View, 'h');
  EXPECT_EQ(s.DataReady, 'y');
}

}  // namespace
}  // namespace korvel
