#include "app/undo_commands.h"

#include <utility>

#include "app/run_control.h"
#include "core/text_format.h"
#include "io/observation_file.h"
#include "search/document_search.h"
#include "search/reshuffle.h"

namespace korvel {

namespace {

std::string CountText(int32_t n) {
  return Str(int64_t{n}) + (n == 1 ? " observation" : " observations");
}

void Restore(AppContext& a, ObservationSnapshot&& before) {
  AnalysisState& s = a.s;
  s.JD = std::move(before.JD);
  s.Mag = std::move(before.Mag);
  s.Err = std::move(before.Err);
  s.Marks = std::move(before.Marks);
  s.LoadIndex = std::move(before.LoadIndex);
  s.NObs = static_cast<int32_t>(s.JD.size()) - 1;
  const size_t n = s.JD.size();
  s.Phase.resize(n, 0.0);
  s.SortPhase.resize(n, 0.0);
  s.WMag.resize(n, 0.0);
  s.BinOf.resize(n, 0);
  s.SaveAll = before.SaveAll;
  s.SelMade = before.SelMade;
  s.ShuffleCount = before.ShuffleCount;
  a.magnitudes = before.condition;
}

}  // namespace

void ShowAsLoaded(AppContext& a) {
  AnalysisState& s = a.s;
  ComputeLoadStatistics(s);
  s.PhMin = s.PhMinAll;
  s.PhMax = s.PhMaxAll;
  s.FullRange = true;
  s.View = 't';
  s.DataReady = 'y';
  a.peaks = {};
  HideResultTables(a);
  a.p.SetVisible(Control::ButAllDiap, false);
  a.p.SetVisible(Control::BPrewhite, false);
}

void UndoLastChange(AppContext& a) {
  if (a.s.RunCode == 'r') {
    a.p.SetStatus(kSearchRunning);
    return;
  }
  if (a.undo.empty()) {
    a.p.SetStatus("Nothing to undo.");
    return;
  }
  ObservationSnapshot before = std::move(a.undo.back());
  a.undo.pop_back();
  const std::string change = before.change;
  Restore(a, std::move(before));
  ShowAsLoaded(a);
  ShowCaption(a);
  RepaintThenSay(a, "Undone: " + change + "; " + CountText(a.s.NObs) + ".");
}

ObservationSnapshot SnapshotOf(const AppContext& a, std::string change) {
  const AnalysisState& s = a.s;
  return {std::move(change), s.JD,      s.Mag,     s.Err,          s.Marks,
          s.LoadIndex,       s.SaveAll, s.SelMade, s.ShuffleCount, a.magnitudes};
}

void KeepForUndo(AppContext& a, ObservationSnapshot before) {
  a.undo.push_back(std::move(before));
  size_t bytes = 0;
  for (const ObservationSnapshot& u : a.undo) bytes += u.Bytes();
  while (a.undo.size() > 1 && (a.undo.size() > kUndoLevels || bytes > kUndoBytes)) {
    bytes -= a.undo.front().Bytes();
    a.undo.pop_front();
  }
}

void ForgetChanges(AppContext& a) {
  a.undo.clear();
  a.fit.reset();
  a.magnitudes = {};
}

std::string CaptionOf(const AppContext& a) {
  const MagnitudeCondition& m = a.magnitudes;
  const std::string& name = a.s.DataFileName;
  if (m.residuals && m.shuffled) return name + " (residuals, shuffled)";
  if (m.residuals) return name + " (residuals)";
  if (m.shuffled) return name + " (shuffled)";
  return name;
}

void RepaintThenSay(AppContext& a, const std::string& status) {
  a.p.RequestRepaint();
  // Drawing over the picture draws a pending full picture first.
  a.p.DrawOnPlot([](Canvas&) {});
  a.p.SetStatus(status);
}

void ShowCaption(AppContext& a) {
  a.p.SetText(Control::MainWindow, CaptionOf(a));
}

void ReshuffleMagnitudes(AppContext& a) {
  ObservationSnapshot before = SnapshotOf(a, "reshuffle");
  const std::string text = ReshuffleMags(a.s, static_cast<uint64_t>(a.p.MillisecondsOfDay()));
  if (text != kNothingToReshuffle) {
    a.magnitudes.shuffled = true;
    KeepForUndo(a, std::move(before));
    ShowCaption(a);
    // The view shows the magnitudes now in memory, not the ones replaced.
    RepaintThenSay(a, text + " The magnitudes in memory are now shuffled; Ctrl+Z restores them.");
  }
  a.p.ShowMessage(text);
}

}  // namespace korvel
