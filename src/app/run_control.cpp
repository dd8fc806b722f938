#include "app/run_control.h"

#include "app/paint_commands.h"
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
  if (s.DataReady != 'y' || (s.View != 'l' && s.View != 'd')) return;
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
  for (int row = 0; row <= kBestPlaces; ++row)
    for (int column = 0; column < 3; ++column)
      a.p.SetGridCell(row, column, GridCellText(a.s, row, column));
  a.p.SetVisible(Control::StrGr, true);
}

void FoldOnChosenRow(AppContext& a) {
  AnalysisState& s = a.s;
  const int k = a.p.SelectedGridRow();
  if (k < 1 || k > kBestPlaces) return;
  // An empty place holds period 0, which no view can fold with.
  if (!(s.BestPeriod[k] > 0)) {
    a.p.SetStatus("This row holds no trial period...");
    return;
  }
  if (s.View == 'h') s.View = 'l';
  if (s.View == 'd' || s.View == 'l') {
    s.Period = s.BestPeriod[k];
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
    s.P2 = s.BestPeriod[k];
  }
  s.DataReady = 'y';
  a.p.SetVisible(Control::StrGr, false);
  a.p.RequestRepaint();
}

void ShowAbout(AppContext& a) {
  if (a.s.RunCode == 'r') return;
  a.s.View = 'h';
  a.s.DataReady = 'y';
  a.p.RequestRepaint();
}

void ShowHelp(AppContext& a) {
  a.p.ShowMessage("No help is installed...");
}

void CloseWindow(AppContext& a) {
  if (a.s.RunCode == 'r') a.s.RunCode = 'e';
}

}  // namespace korvel
