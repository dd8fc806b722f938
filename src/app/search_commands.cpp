#include "app/search_commands.h"

#include "app/search_dialogs.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/stat_file.h"
#include "search/document_search.h"
#include "search/reshuffle.h"

namespace korvel {

namespace {

constexpr auto kEventPassInterval = std::chrono::milliseconds(15);

void RunSearchCommand(AppContext& a, SearchKind kind) {
  // A second search would run nested inside the first and leave it on the
  // second's values.
  if (a.s.RunCode == 'r') {
    a.p.SetStatus(kSearchRunning);
    return;
  }
  const bool ok =
      MethodOf(kind).secondary
          ? (ShowSecondarySearchDialog(a),
             a.p.ShowDialog(Dialog::SecP, [&a] { return AcceptSecondarySearchParameters(a); }))
          : a.p.ShowDialog(Dialog::LK, [&a] { return AcceptSearchParameters(a); });
  if (!ok) return;
  if (const auto refusal = CheckSearchable(a.s, kind)) {
    a.p.ShowMessage(*refusal);
    return;
  }
  a.p.SetVisible(Control::BPrewhite, false);
  StartSearch(a.s, kind);
  // The first pass through the event loop then shows the empty spectrum and
  // "Running...", however short the search.
  a.p.RequestRepaint();
  PlatformSearchHooks hooks(a);
  RunSearch(a.s, kind, hooks);
}

}  // namespace

bool PlatformSearchHooks::EventsDue() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPass_ < kEventPassInterval) return false;
  lastPass_ = now;
  return true;
}

void StartLaflerKinmanSearch(AppContext& a) {
  RunSearchCommand(a, SearchKind::LaflerKinman);
}
void StartDeemingSearch(AppContext& a) {
  RunSearchCommand(a, SearchKind::Deeming);
}
void StartSecondaryPeriodSearch(AppContext& a) {
  RunSearchCommand(a, SearchKind::Secondary);
}

void ReshuffleMagnitudes(AppContext& a) {
  a.p.ShowMessage(ReshuffleMags(a.s, static_cast<uint64_t>(a.p.MillisecondsOfDay())));
}

void SaveStatistics(AppContext& a) {
  const StatSaveResult result = WriteStatistics(a.s);
  if (result.written)
    a.p.SetStatus(result.text);
  else
    a.p.ShowMessage(result.text);
}

void ShowSignificanceLevels(AppContext& a) {
  ReadStatistics(a.s);
}

void ToggleMagnitudesIntensities(AppContext& a) {
  ToggleMagMode(a.s);
  a.p.RequestRepaint();
}

}  // namespace korvel
