#include "app/save_commands.h"

#include "app/file_commands.h"
#include "app/search_commands.h"
#include "io/condition_file.h"
#include "io/observation_file.h"
#include "search/document_search.h"

namespace korvel {

namespace {

bool RunSaveDialog(AppContext& a) {
  return a.p.RunFileDialog(FileDialog::SaveFile, [&a](const std::string& chosen) {
    return AcceptSaveFileChoice(a, chosen);
  });
}

// Whether the loaded observations can carry the search the file resumes:
// the same refusals as a fresh start, on the elements the file holds.
std::optional<std::string> ResumeProblem(const AnalysisState& s, const SearchMethod& m,
                                         const ConditionRecord& c) {
  if (auto problem = DataProblem(s, m.kind)) return problem;
  if (!m.extraCheck) return std::nullopt;
  AnalysisState probe = s;
  probe.Period = c.Period;
  probe.NBins = c.NBins;
  return m.extraCheck(RequestFromDocument(probe, m.kind), ObservationsOf(probe));
}

void ApplyCondition(AnalysisState& s, const ConditionRecord& c) {
  s.Resumed = true;
  s.Pmax = c.r[3];
  s.Pmin = c.r[2];
  s.Freq = 1 / c.r[1];
  s.FreqHi = 1 / c.r[2];
  s.FreqLo = 1 / c.r[3];
  s.FreqStep = c.r[4];
  s.SpecMax = s.DrawnSpecMax = c.r[5];
  s.SpecMin = s.DrawnSpecMin = c.r[6];
  s.SpecYScale = 250 / (s.SpecMax - s.SpecMin);
  s.View = c.View;
  s.NBins = c.NBins;
  s.ExtrDate = c.ExtrDate;
  s.Period = c.Period;
  s.P2Epoch = c.P2Epoch;
  s.SpecHigh = c.SpecHigh;
  s.SpecLow = c.SpecLow;
  s.BestPeriod = c.BestPeriod;
  s.BestParam = c.BestParam;
  s.BestFreq = c.BestFreq;
}

}  // namespace

void SaveAllObservations(AppContext& a) {
  a.s.SaveAll = true;
  a.s.SaveMarked = false;
  RunSaveDialog(a);
}

void SaveExtraction(AppContext& a) {
  if (!a.s.SelMade) {
    a.p.ShowMessage(kNotSelected);
    return;
  }
  a.s.SelMade = false;
  a.s.SaveMarked = true;
  // A cancelled dialog keeps the selection for the next attempt.
  if (!RunSaveDialog(a)) {
    a.s.SelMade = true;
    a.s.SaveMarked = false;
  }
}

bool AcceptSaveFileChoice(AppContext& a, const std::string& chosen) {
  AnalysisState& s = a.s;
  if (FileExists(chosen)) {
    a.p.ShowMessage(kNameExists);
    return false;
  }
  // The command that opened the dialog decides what is written: a deletion
  // sets SaveAll too, yet Save extraction must still write the marked ones.
  if (s.SaveMarked) {
    WriteMarkedObservations(s, chosen);
    s.SaveMarked = false;
  } else {
    WriteAllObservations(s, chosen);
    s.SaveAll = false;
  }
  a.p.SetStatus("File " + chosen + " is done...");
  return true;
}

void SaveCondition(AppContext& a) {
  if (const std::string problem = ConditionSaveProblem(a.s); !problem.empty()) {
    a.p.ShowMessage(problem);
    return;
  }
  WriteConditionFile(a.s, a.s.BaseName + ".img");
}

void ContinueSearch(AppContext& a) {
  AnalysisState& s = a.s;
  if (s.RunCode == 'r') {
    a.p.SetStatus(kSearchRunning);
    return;
  }
  const std::string path = s.BaseName + ".img";
  if (!FileExists(path)) {
    s.Resumed = false;
    a.p.ShowMessage("File " + path + " does not exist...");
    return;
  }
  // Read and judged whole before anything changes: a bad file leaves the
  // state as it was.
  const ConditionRecord c = ReadConditionFile(path);
  if (const std::string problem = ConditionRecordProblem(c); !problem.empty()) {
    a.p.ShowMessage(problem);
    return;
  }
  const SearchMethod* method = MethodOfView(c.View);
  if (method) {
    if (const auto problem = ResumeProblem(s, *method, c)) {
      a.p.ShowMessage(*problem);
      return;
    }
  }
  ApplyCondition(s, c);
  if (!method) return;

  a.p.SetVisible(Control::BPrewhite, false);
  s.RunCode = 'r';
  s.DataReady = 'n';
  SetFreqAxis(s);
  s.FreqEnd = s.FreqHi;
  // The engine steps forward before each trial: the saved trial is made again.
  s.Freq -= s.FreqStep;
  a.p.RequestRepaint();
  RunWindowSearch(a, method->kind);
}

}  // namespace korvel
