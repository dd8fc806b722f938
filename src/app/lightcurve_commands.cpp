#include "app/lightcurve_commands.h"

#include "app/dialog_fields.h"

namespace korvel {

namespace {

// Shows the dialog in the given mode. A Cancel puts back the elements an
// attempt overwrote, so that no rejected (non-positive) period or bin count
// is left for the views to divide by.
bool ShowElementsDialog(AppContext& a, int32_t mode) {
  AnalysisState& s = a.s;
  const double period = s.Period, epoch = s.Epoch, p2 = s.P2, extrDate = s.ExtrDate;
  const int32_t nBins = s.NBins;
  if (a.p.ShowDialog(Dialog::LC, [&a, mode] { return LCOKBtnClick(a, mode); })) return true;
  s.Period = period;
  s.Epoch = epoch;
  s.P2 = p2;
  s.ExtrDate = extrDate;
  s.NBins = nBins;
  return false;
}

}  // namespace

bool LCOKBtnClick(AppContext& a, int32_t mode) {
  AnalysisState& s = a.s;
  FieldReader f(a);
  if (!f.Real(Control::LC_Edit1, s.Period, true, "Error in Po...")) return false;
  if (!f.Real(Control::LC_Edit2, s.Epoch, false, "Error in JD max...")) return false;
  if (mode != 2) return true;
  if (!f.Real(Control::LC_Edit3, s.P2, true, "Error in P2...")) return false;
  if (!f.Real(Control::LC_Edit4, s.ExtrDate, false, "Error in JD extremal amplitude..."))
    return false;
  return f.Int(Control::LC_Edit5, s.NBins, 1, "Error in Number of bins...");
}

void Lightcurveofthemainperiod1Click(AppContext& a) {
  if (a.s.RunCode == 'r') return;
  if (!ShowElementsDialog(a, 1)) return;
  a.p.SetVisible(Control::BPrewhite, false);
  a.s.DataReady = 'y';
  a.s.View = 'l';
  a.p.SetVisible(Control::StrGr, false);
  a.p.RequestRepaint();
}

void MenuLCSecClick(AppContext& a) {
  if (!ShowElementsDialog(a, 2)) return;
  a.p.SetVisible(Control::BPrewhite, false);
  a.s.DataReady = 'y';
  a.s.View = 's';
  a.p.SetVisible(Control::StrGr, false);
  a.p.RequestRepaint();
}

void Colr2PCurveClick(AppContext& a) {
  if (!ShowElementsDialog(a, 2)) return;
  a.s.DataReady = 'y';
  a.s.View = 'n';
  a.p.RequestRepaint();
}

void TimeOnClick(AppContext& a) {
  a.s.View = 't';
  a.s.DataReady = 'y';
  a.p.RequestRepaint();
}

}  // namespace korvel
