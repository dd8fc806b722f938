#include "app/search_dialogs.h"

#include "app/dialog_fields.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "search/trial_grid.h"

namespace korvel {

namespace {

std::string TrimmedTenDecimals(double x) {
  return TrimZeros(Str(x, 0, 10));
}

}  // namespace

bool LKParamOK(AppContext& a) {
  AnalysisState& s = a.s;
  FieldReader f(a);
  if (!f.Real(Control::LK_Pmax, s.Pmax, true, "Error in Pmax...")) return false;
  if (!f.Real(Control::LK_Pmin, s.Pmin, true, "Error in Pmin...")) return false;
  if (!f.Check(s.Pmax > s.Pmin, Control::LK_Pmax, "Error in P range...")) return false;
  if (!f.Real(Control::LK_PhaseShift, s.FreqStep, true, "Error in phase shift...")) return false;
  SetFreqAxis(s);
  return true;
}

bool OKBtnClick(AppContext& a) {
  AnalysisState& s = a.s;
  FieldReader f(a);
  if (!f.Real(Control::SecP_Period, s.Period, true, "Error in Po...")) return false;
  if (!f.Real(Control::SecP_Epoch, s.Epoch, false, "Error in JD max...")) return false;
  if (!f.Real(Control::SecP_ExtrDate, s.ExtrDate, false, "Error in JD ext...")) return false;
  if (!f.Real(Control::SecP_Pmax, s.Pmax, true, "Error in P max...")) return false;
  if (!f.Real(Control::SecP_Pmin, s.Pmin, true, "Error in P min...")) return false;
  if (!f.Check(s.Pmax > s.Pmin, Control::SecP_Pmax, "Error in P ranges...")) return false;
  if (!f.Int(Control::SecP_NBins, s.NBins, 1, "Error in Number of bins...")) return false;
  if (!f.Real(Control::SecP_PhaseShift, s.FreqStep, true, "Error in Phase shift...")) return false;
  s.SecPMode = a.p.Checked(Control::SecP_Mode2) ? 2 : 1;
  SetFreqAxis(s);
  return true;
}

void FormShow(AppContext& a) {
  if (a.s.Period != 0) a.p.SetText(Control::SecP_Period, TrimmedTenDecimals(a.s.Period));
  if (a.s.Epoch != 0) a.p.SetText(Control::SecP_Epoch, TrimmedTenDecimals(a.s.Epoch));
}

}  // namespace korvel
