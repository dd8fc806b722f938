#include "app/analysis_commands.h"

#include <algorithm>
#include <memory>

#include "app/file_commands.h"
#include "app/run_control.h"
#include "app/search_dialogs.h"
#include "app/startup.h"
#include "app/undo_commands.h"
#include "core/text_format.h"
#include "io/analysis_file.h"
#include "io/file_paths.h"
#include "io/param_file.h"
#include "search/document_analysis.h"
#include "search/document_search.h"
#include "search/search_parameters.h"

namespace korvel {

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string FieldOrEmpty(const std::optional<double>& v) {
  return v ? FieldText(*v) : std::string();
}

// What the window holds outside the state: the search dialogs' fields and
// the residual file's name; and from the file last opened or saved, its
// unknown keys and the peaks of a search still shown.
void AddWindowParts(AppContext& a, AnalysisDocument& d) {
  const SearchParameters initial = InitialDialogFields(a), secondary = SecondaryDialogFields(a);
  AnalysisSearchParameters& p = d.search;
  p.pmax = initial.pmax;
  p.pmin = initial.pmin;
  p.phaseShift = initial.phaseShift;
  p.secondaryPeriod = secondary.period;
  p.secondaryEpoch = secondary.epoch;
  p.secondaryExtremumDate = secondary.extremumDate;
  p.secondaryPmax = secondary.pmax;
  p.secondaryPmin = secondary.pmin;
  p.secondaryBins = secondary.bins;
  p.secondaryPhaseShift = secondary.phaseShift;
  p.secondaryMode = secondary.mode;
  d.residualFile = a.p.Text(Control::MLC_Edit4);
  // The peaks of the search shown, where the window computed them.
  if (d.lastSearch && !a.peaks.peaks.empty() && a.peaks.method == d.lastSearch->method) {
    d.lastSearch->peaks.clear();
    for (const PeakReport& r : a.peaks.peaks)
      d.lastSearch->peaks.push_back({r.peak.period, r.peak.frequency, r.peak.statistic,
                                     r.fittedPeriod, r.periodError, r.Fap(), r.peak.label});
    return;
  }
  if (!a.analysis) return;
  d.source = a.analysis->source;
  const auto& before = a.analysis->lastSearch;
  if (d.lastSearch && before && before->method == d.lastSearch->method &&
      before->best == d.lastSearch->best)
    d.lastSearch->peaks = before->peaks;
}

// Whether the magnitudes in memory are residuals or shuffled: the analysis
// file's magnitudes say only that they are no longer the file's, and the
// caption says which, so the window records it under a key of its own.
constexpr const char* kConditionKey = "magnitudes_in_memory";

void RecordMagnitudeCondition(const AppContext& a, AnalysisDocument& d) {
  d.source[kConditionKey] = {{"residuals", a.magnitudes.residuals},
                             {"shuffled", a.magnitudes.shuffled}};
}

MagnitudeCondition RecordedMagnitudeCondition(const AnalysisDocument& d) {
  const auto& root = d.source;
  if (d.observations.magnitudes.empty() || !root.is_object()) return {};
  const auto found = root.find(kConditionKey);
  if (found == root.end() || !found->is_object()) return {};
  const auto flag = [&found](const char* key) {
    const auto f = found->find(key);
    return f != found->end() && f->is_boolean() && f->get<bool>();
  };
  return {flag("residuals"), flag("shuffled")};
}

// The controls that show what the restored state holds.
void ShowRestoredState(AppContext& a, const AnalysisDocument& d) {
  const AnalysisState& s = a.s;
  ShowCaption(a);
  a.p.SetEnabled(Control::MethodMenu, true);
  a.p.SetValue(Control::SpinEdit1, std::clamp(s.DataColumn, kMinColumn, kMaxColumn));
  a.p.SetChecked(Control::ChBZero, d.observations.readZeros);
  ShowDateWindow(a, s.DataJDmin, s.DataJDmax);

  a.p.SetText(Control::LC_Edit1, PeriodFieldText(s.Period));
  a.p.SetText(Control::LC_Edit2, DateFieldText(s.Epoch));
  a.p.SetText(Control::LC_Edit3, PeriodFieldText(s.P2));
  a.p.SetText(Control::LC_Edit4, DateFieldText(s.ExtrDate));
  a.p.SetText(Control::LC_Edit5, BinsFieldText(s.NBins));
  a.p.SetText(Control::Px2, s.Px2State == 'y' ? "P/2" : "Px2");

  const AnalysisSearchParameters& p = d.search;
  a.p.SetText(Control::LK_Pmax, FieldOrEmpty(p.pmax));
  a.p.SetText(Control::LK_Pmin, FieldOrEmpty(p.pmin));
  a.p.SetText(Control::LK_PhaseShift, FieldOrEmpty(p.phaseShift));
  a.p.SetText(Control::SecP_Period, FieldOrEmpty(p.secondaryPeriod));
  a.p.SetText(Control::SecP_Epoch, FieldOrEmpty(p.secondaryEpoch));
  a.p.SetText(Control::SecP_ExtrDate, FieldOrEmpty(p.secondaryExtremumDate));
  a.p.SetText(Control::SecP_Pmax, FieldOrEmpty(p.secondaryPmax));
  a.p.SetText(Control::SecP_Pmin, FieldOrEmpty(p.secondaryPmin));
  a.p.SetText(Control::SecP_NBins,
              p.secondaryBins ? Str(int64_t{*p.secondaryBins}, 0) : std::string());
  a.p.SetText(Control::SecP_PhaseShift, FieldOrEmpty(p.secondaryPhaseShift));
  a.p.SetChecked(Control::SecP_Mode1, p.secondaryMode != 2);
  a.p.SetChecked(Control::SecP_Mode2, p.secondaryMode == 2);
  a.p.SetChecked(Control::ChBWindow, s.WindowSpec);

  a.p.SetValue(Control::MLC_SpinEdit1, s.CurveNumber);
  if (s.MeanPoints > 0) a.p.SetText(Control::MLC_Edit1, Str(int64_t{s.MeanPoints}, 0));
  if (s.BinLength > 0) a.p.SetText(Control::MLC_Edit2, FieldText(s.BinLength));
  a.p.SetText(Control::MLC_Edit3, s.CollectFileName);
  a.p.SetText(Control::MLC_Edit4,
              d.residualFile.empty() ? BaseNameOf(s.DataFileName) + ".o" : d.residualFile);
  a.p.SetVisible(Control::BPrewhite, s.View == 'm' && s.DataReady == 'y');
  a.p.SetVisible(Control::ButAllDiap, !s.FullRange);
}

}  // namespace

void SaveAnalysis(AppContext& a) {
  if (auto problem = AnalysisSaveProblem(a.s)) {
    a.p.ShowMessage(*problem);
    return;
  }
  if (a.p.FileDialogName(FileDialog::SaveAnalysis).empty())
    a.p.SetFileDialogName(FileDialog::SaveAnalysis, a.s.BaseName + kAnalysisSuffix);
  a.p.RunFileDialog(FileDialog::SaveAnalysis, [&a](const std::string& chosen) {
    return AcceptAnalysisSaveChoice(a, chosen);
  });
}

bool AcceptAnalysisSaveChoice(AppContext& a, const std::string& chosen) {
  if (chosen.empty()) return false;
  const std::string name = EndsWith(chosen, ".json") ? chosen : chosen + kAnalysisSuffix;
  if (auto problem = OutputIsInput(name, {a.s.DataFileName})) {
    a.p.ShowMessage(*problem);
    return false;
  }
  if (KindOf(name) != FileKind::Missing) {
    const Answer answer = a.p.AskYesNoCancel("Save analysis", name + " exists. Replace it?");
    if (answer == Answer::No) return false;
    if (answer == Answer::Cancel) return true;
  }
  auto d = std::make_shared<AnalysisDocument>(AnalysisOfState(a.s));
  AddWindowParts(a, *d);
  RecordMagnitudeCondition(a, *d);
  WriteAnalysisFile(*d, name);
  a.analysis = d;
  a.p.SetStatus("File " + name + " is done...");
  return true;
}

void OpenAnalysis(AppContext& a) {
  if (a.s.RunCode == 'r') {
    a.p.SetStatus(kSearchRunning);
    return;
  }
  a.p.RunFileDialog(FileDialog::OpenAnalysis, [&a](const std::string& chosen) {
    return AcceptAnalysisOpenChoice(a, chosen);
  });
}

bool AcceptAnalysisOpenChoice(AppContext& a, const std::string& chosen) {
  auto read = ReadAnalysisFile(chosen);
  if (const auto* refusal = std::get_if<AnalysisRefusal>(&read)) {
    a.p.ShowMessage("The analysis cannot be opened: " + refusal->reason);
    return true;
  }
  auto d = std::make_shared<AnalysisDocument>(std::move(std::get<AnalysisDocument>(read)));
  // Restored into a copy, so that a refusal leaves the window as it was.
  AnalysisState restored = a.s;
  const RestoreOutcome outcome = RestoreAnalysis(restored, *d, ObservationFileOf(*d, chosen));
  if (outcome.refusal) {
    a.p.ShowMessage("The analysis cannot be opened: " + *outcome.refusal);
    return true;
  }
  a.s = std::move(restored);
  a.peaks = {};         // the analysis keeps its peaks as numbers, not as fits
  HideResultTables(a);  // they showed the rows of the state replaced
  a.analysis = d;
  ForgetChanges(a);
  a.magnitudes = RecordedMagnitudeCondition(*d);
  ShowRestoredState(a, *d);
  if (outcome.load.error) a.p.ShowMessage(*outcome.load.error);
  a.p.SetStatus("Analysis " + chosen +
                " is open... Number of observations: " + Str(int64_t{a.s.NObs}));
  a.p.RequestRepaint();
  return true;
}

}  // namespace korvel
