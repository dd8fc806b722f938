#include "app/search_dialogs.h"

#include "app/dialog_fields.h"
#include "search/document_search.h"

namespace korvel {

namespace {

// The dialogs' controls in the order of their fields.
constexpr Control kInitialControls[] = {Control::LK_Pmax, Control::LK_Pmin, Control::LK_PhaseShift};
constexpr Control kSecondaryControls[] = {
    Control::SecP_Period, Control::SecP_Epoch, Control::SecP_ExtrDate,  Control::SecP_Pmax,
    Control::SecP_Pmin,   Control::SecP_NBins, Control::SecP_PhaseShift};

}  // namespace

SearchParameters InitialDialogFields(AppContext& a) {
  SearchParameters p;
  p.pmax = RealOf(a, Control::LK_Pmax);
  p.pmin = RealOf(a, Control::LK_Pmin);
  p.phaseShift = RealOf(a, Control::LK_PhaseShift);
  return p;
}

SearchParameters SecondaryDialogFields(AppContext& a) {
  SearchParameters p;
  p.period = RealOf(a, Control::SecP_Period);
  p.epoch = RealOf(a, Control::SecP_Epoch);
  p.extremumDate = RealOf(a, Control::SecP_ExtrDate);
  p.pmax = RealOf(a, Control::SecP_Pmax);
  p.pmin = RealOf(a, Control::SecP_Pmin);
  p.bins = IntOf(a, Control::SecP_NBins);
  p.phaseShift = RealOf(a, Control::SecP_PhaseShift);
  p.mode = a.p.Checked(Control::SecP_Mode2) ? 2 : 1;
  return p;
}

bool AcceptSearchParameters(AppContext& a) {
  return AcceptFields(a,
                      ApplySearchParameters(a.s, SearchKind::LaflerKinman, InitialDialogFields(a)),
                      kInitialControls);
}

bool AcceptSecondarySearchParameters(AppContext& a) {
  return AcceptFields(a,
                      ApplySearchParameters(a.s, SearchKind::Secondary, SecondaryDialogFields(a)),
                      kSecondaryControls);
}

void ShowSecondarySearchDialog(AppContext& a) {
  if (a.s.Period != 0) a.p.SetText(Control::SecP_Period, FieldText(a.s.Period));
  if (a.s.Epoch != 0) a.p.SetText(Control::SecP_Epoch, FieldText(a.s.Epoch));
}

void UpdateSearchGuidance(AppContext&) {}

}  // namespace korvel
