#include "app/run_control.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "app/fit_commands.h"
#include "app/paint_commands.h"
#include "plot/search_views.h"
#include "plot/spectrum_view.h"

namespace korvel {

void StopSearch(AppContext& a) {
  a.s.RunCode = 'e';
}

void RedrawRunningSpectrum(AppContext& a) {
  AnalysisState& s = a.s;
  // An unchanged vertical range keeps the axes valid: only the line is drawn
  // again. A new range needs the axes redrawn, so the whole surface repaints.
  if (s.SpecMax == s.DrawnSpecMax && s.SpecMin == s.DrawnSpecMin) {
    a.p.DrawOnPlot([&s](Canvas& c) { DrawSpectrumCurve(s, c); });
  } else {
    a.p.RequestRepaint();
  }
  a.p.SetProgress(SearchProgress(s));
}

void TogglePeriodTimesTwo(AppContext& a) {
  AnalysisState& s = a.s;
  if (s.DataReady != 'y' || !IsPhaseCurveView(s.View)) return;
  if (s.Px2State != 'n') {
    s.Period /= 2;
    a.p.RequestRepaint();
    a.p.SetText(Control::Px2, "Px2");
    s.Px2State = 'n';
  } else {
    s.Period *= 2;
    a.p.RequestRepaint();
    a.p.SetText(Control::Px2, "P/2");
    s.Px2State = 'y';
  }
}

void ToggleWindowSpectrum(AppContext& a) {
  a.s.WindowSpec = a.p.Checked(Control::ChBWindow);
}

void ToggleSpectrumToFile(AppContext& a) {
  a.s.SpecToFile = true;
}

void ShowResultsTable(AppContext& a) {
  if (a.s.RunCode != 'e') return;
  // The press after the last table of the cycle closes the panel.
  const std::vector<PeakReport>& peaks = a.peaks.peaks;
  if (a.p.Visible(Control::PeakGr) || (a.p.Visible(Control::StrGr) && peaks.empty())) {
    HideResultTables(a);
    return;
  }
  if (a.p.Visible(Control::StrGr)) {
    ShowPeakTable(a, static_cast<int>(peaks.size()), kPeakColumns,
                  [&peaks](int row, int column) { return PeakCellText(peaks, row, column); });
    return;
  }
  for (int row = 0; row <= kBestPlaces; ++row)
    for (int column = 0; column < 3; ++column)
      a.p.SetGridCell(row, column, GridCellText(a.s, row, column));
  a.p.SetVisible(Control::PeakGr, false);
  a.p.SetVisible(Control::StrGr, true);
}

void ShowPeakTable(AppContext& a, int rows, int columns,
                   const std::function<std::string(int, int)>& cell, bool fit) {
  a.p.SetPeakRows(rows);
  for (int row = 0; row <= rows; ++row)
    for (int column = 0; column < columns; ++column)
      a.p.SetPeakCell(row, column, cell(row, column));
  a.p.SetVisible(Control::StrGr, false);
  a.p.SetVisible(Control::PeakGr, true);
  a.fitTableShown = fit;
}

void FoldOnChosenRow(AppContext& a) {
  const int k = a.p.SelectedGridRow();
  if (k < 1 || k > kBestPlaces) return;
  FoldOnPeriod(a, a.s.BestPeriod[k]);
}

void FoldOnChosenPeak(AppContext& a) {
  if (a.fitTableShown) {
    FoldOnChosenFrequency(a);
    return;
  }
  const std::vector<PeakReport>& peaks = a.peaks.peaks;
  const int k = a.p.SelectedPeakRow();
  if (k < 1 || k > static_cast<int>(peaks.size())) return;
  FoldOnPeriod(a, PeakPeriod(peaks[static_cast<size_t>(k - 1)]));
}

void FoldOnPeriod(AppContext& a, double period) {
  AnalysisState& s = a.s;
  // An empty place holds period 0, which no view can fold with.
  if (!(period > 0) || !std::isfinite(period)) {
    a.p.SetStatus("This row holds no trial period...");
    return;
  }
  if (s.View == 'h') s.View = 'l';
  if (IsPhaseCurveView(s.View)) {
    s.Period = period;
    // Px2 doubled the period picked before; the new one is shown as picked.
    s.Px2State = 'n';
    a.p.SetText(Control::Px2, "Px2");
    // Zero phase at the brightest observation; the first of equals wins.
    if (s.NObs >= 1) {
      double brightest = s.Mag[1];
      s.Epoch = s.JD[1];
      for (int32_t i = 2; i <= s.NObs; ++i)
        if (s.Mag[i] < brightest) {
          brightest = s.Mag[i];
          s.Epoch = s.JD[i];
        }
    }
  } else {
    s.P2 = period;
  }
  s.DataReady = 'y';
  HideResultTables(a);
  a.p.RequestRepaint();
}

void HideResultTables(AppContext& a) {
  a.p.SetVisible(Control::StrGr, false);
  a.p.SetVisible(Control::PeakGr, false);
  a.fitTableShown = false;
}

void OpenObservationsInWindow(AppContext& a) {
  HideResultTables(a);
  OpenObservationFile(a);
}

void ShowAbout(AppContext& a) {
  if (a.s.RunCode == 'r') return;
  a.s.View = 'h';
  a.s.DataReady = 'y';
  a.p.RequestRepaint();
}

void OpenUserGuide(AppContext& a) {
  a.p.ShowHelp("");
}
void ShowInitialParametersHelp(AppContext& a) {
  a.p.ShowHelp("Initial parameters");
}
void ShowLightCurveElementsHelp(AppContext& a) {
  a.p.ShowHelp("Light curve elements");
}
void ShowSecondarySearchHelp(AppContext& a) {
  a.p.ShowHelp("Parameters to search the secondary period");
}
void ShowMovingAverageHelp(AppContext& a) {
  a.p.ShowHelp("Moving average method calculation");
}

void ShowMultiFrequencyFitHelp(AppContext& a) {
  a.p.ShowHelp("Multi-frequency fit");
}

void CloseWindow(AppContext& a) {
  if (a.s.RunCode == 'r') a.s.RunCode = 'e';
}

}  // namespace korvel
