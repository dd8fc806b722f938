#include "app/search_commands.h"

#include "app/run_control.h"
#include "app/search_dialogs.h"
#include "core/text_format.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/stat_file.h"
#include "search/adopt.h"
#include "search/document_search.h"
#include "search/engine_support.h"
#include "search/peak_text.h"
#include "search/period_error.h"
#include "search/reshuffle.h"
#include "search/significance.h"

namespace korvel {

namespace {

constexpr auto kEventPassInterval = std::chrono::milliseconds(15);

// Deeming's counts in words: korvel-batch keeps the terse "N=...;
// Sigma=..." of its reports.
std::string DeemingCountsInWords(const AmpDistribution& d) {
  return Str(static_cast<int64_t>(d.AmpTrials)) + " trials; amplitude spectrum sigma " +
         Str(d.Sigma, 0, 5);
}

// The status after a run: how it ended, the adopted period where one is
// (where none is, a completed search says why), and Deeming's counts.
std::string OutcomeText(const DocumentRun& run, const std::optional<AdoptedPeriod>& adopted) {
  const SearchResult& r = run.result;
  const bool ok = adopted && adopted->ok();
  const std::string counts = r.amplitudes ? ";   " + DeemingCountsInWords(*r.amplitudes) : "";
  if (!r.completed)
    return StoppedText(run.trialsDone, run.trialsInGrid) +
           (ok ? "; " + AdoptedText(*adopted) : "") + counts;
  if (ok) return AdoptedText(*adopted) + counts;
  const std::string done =
      r.amplitudes ? std::string(kDoneStatus) + " " + DeemingCountsInWords(*r.amplitudes)
                   : kDoneStatus;
  return adopted ? done + "   " + AdoptedText(*adopted) : done;
}

// Only a run from the grid's start has the statistic of everything searched:
// a search resumed from a condition file lists no peaks.
void KeepPeaksOfRun(AppContext& a, const DocumentRun& run) {
  if (!run.searched) return;  // refused or abandoned: the status says why
  std::optional<AdoptedPeriod> adopted;
  if (run.fromGridStart) {
    const Observations o = run.Searched();
    // The dialog that sets a method's parameters is refused while it runs:
    // the document's are those of the run.
    const SearchRequest request = RequestFromDocument(a.s, run.result.method, a.threads);
    a.peaks = {MethodOf(run.result.method).name,
               ReportPeaks(run.result, o, kDefaultPeakCount, {0, 1, a.threads, &request})};
    if (!a.peaks.peaks.empty()) adopted = AdoptPeriod({a.peaks}, o);
  }
  a.p.SetStatus(OutcomeText(run, adopted));
}

}  // namespace

void StartSearchBy(AppContext& a, SearchKind kind) {
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
          : (ShowInitialSearchDialog(a, kind),
             a.p.ShowDialog(Dialog::LK, [&a] { return AcceptSearchParameters(a); }));
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
  RunWindowSearch(a, kind);
}

void RunWindowSearch(AppContext& a, SearchKind kind) {
  // Neither table of the search being replaced applies any more: a row picked
  // there would fold on this search's row of that number.
  a.peaks = {};
  HideResultTables(a);
  PlatformSearchHooks hooks(a);
  const auto start = std::chrono::steady_clock::now();
  const DocumentRun run = RunSearch(a.s, kind, hooks);
  if (run.searched && run.fromGridStart)
    RememberSearchSpeed(
        a, kind, a.s.SecPMode == 1 ? 1 : 2, run.trialsDone,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  KeepPeaksOfRun(a, run);
}

bool PlatformSearchHooks::EventsDue() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastPass_ < kEventPassInterval) return false;
  lastPass_ = now;
  return true;
}

void StartLaflerKinmanSearch(AppContext& a) {
  StartSearchBy(a, SearchKind::LaflerKinman);
}
void StartDeemingSearch(AppContext& a) {
  StartSearchBy(a, SearchKind::Deeming);
}
void StartSecondaryPeriodSearch(AppContext& a) {
  StartSearchBy(a, SearchKind::Secondary);
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
  // The lines belong on the spectrum shown now, not at some later repaint.
  a.p.RequestRepaint();
}

void ToggleMagnitudesIntensities(AppContext& a) {
  ToggleMagMode(a.s);
  a.p.RequestRepaint();
}

}  // namespace korvel
