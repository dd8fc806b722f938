#include "app/lightcurve_commands.h"

#include "app/dialog_fields.h"
#include "app/run_control.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/wave_parameters.h"

namespace korvel {

namespace {

// Shows the dialog in the given mode. A Cancel puts back the elements an
// attempt overwrote, so that no rejected (non-positive) period or bin count
// is left for the views to divide by.
bool ShowElementsDialog(AppContext& a, int32_t mode) {
  AnalysisState& s = a.s;
  const double period = s.Period, epoch = s.Epoch, p2 = s.P2, extrDate = s.ExtrDate;
  const int32_t nBins = s.NBins;
  if (a.p.ShowDialog(Dialog::LC, [&a, mode] { return AcceptLightCurveElements(a, mode); }))
    return true;
  s.Period = period;
  s.Epoch = epoch;
  s.P2 = p2;
  s.ExtrDate = extrDate;
  s.NBins = nBins;
  return false;
}

}  // namespace

bool AcceptLightCurveElements(AppContext& a, int32_t mode) {
  static constexpr Control kControls[] = {Control::LC_Edit1, Control::LC_Edit2, Control::LC_Edit3,
                                          Control::LC_Edit4, Control::LC_Edit5};
  LightCurveElements e;
  e.period = RealOf(a, Control::LC_Edit1);
  e.epoch = RealOf(a, Control::LC_Edit2);
  e.p2 = RealOf(a, Control::LC_Edit3);
  e.extremumDate = RealOf(a, Control::LC_Edit4);
  e.bins = IntOf(a, Control::LC_Edit5);
  return AcceptFields(a, ApplyLightCurveElements(a.s, mode, e), kControls);
}

void ShowPrimaryLightCurve(AppContext& a) {
  if (a.s.RunCode == 'r') return;
  if (!ShowElementsDialog(a, 1)) return;
  a.p.SetVisible(Control::BPrewhite, false);
  a.s.DataReady = 'y';
  a.s.View = 'l';
  HideResultTables(a);
  a.p.RequestRepaint();
}

void ShowSecondaryLightCurve(AppContext& a) {
  if (!ShowElementsDialog(a, 2)) return;
  a.p.SetVisible(Control::BPrewhite, false);
  a.s.DataReady = 'y';
  a.s.View = 's';
  HideResultTables(a);
  a.p.RequestRepaint();
}

void ShowSecondaryPhaseColours(AppContext& a) {
  if (!ShowElementsDialog(a, 2)) return;
  a.s.DataReady = 'y';
  a.s.View = 'n';
  a.p.RequestRepaint();
}

void ShowTimeView(AppContext& a) {
  a.s.View = 't';
  a.s.DataReady = 'y';
  a.p.RequestRepaint();
}

}  // namespace korvel
