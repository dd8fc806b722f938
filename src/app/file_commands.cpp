#include "app/file_commands.h"

#include <filesystem>
#include <system_error>

#include "app/startup.h"
#include "app/undo_commands.h"
#include "core/text_format.h"
#include "io/observation_file.h"
#include "io/param_file.h"
#include "io/text_reader.h"

namespace korvel {

namespace {

// One JD edit into its bound. An empty edit leaves that end open, so that
// clearing it never brings back the window of an earlier load. The exact
// loaded date is used while the edit still holds the text the last load wrote.
void ReadJDEdit(AppContext& a, Control edit, const std::string& written, double writtenValue,
                double openValue, double& bound, const char* message) {
  const std::string text = a.p.Text(edit);
  if (text.empty()) {
    bound = openValue;
    return;
  }
  if (!written.empty() && text == written) {
    bound = writtenValue;
    return;
  }
  double value = 0;
  if (TextToReal(text, value))
    bound = value;
  else
    a.p.ShowMessage(message);
}

// True while both JD edits hold what the last load wrote there (or, before
// any load, are empty): the window is then that load's range, not the user's.
bool JDEditsUntouched(AppContext& a) {
  return a.p.Text(Control::JDmin) == a.writtenJDmin && a.p.Text(Control::JDmax) == a.writtenJDmax;
}

bool SameFile(const std::string& x, const std::string& y) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(x, y, error);
  return error ? x == y : same;
}

}  // namespace

void ReadJDWindowEdits(AppContext& a) {
  AnalysisState& s = a.s;
  if (s.JDHigh == 0) {
    s.JDLow = -10000000;
    s.JDHigh = 10000000;
  }
  const ReadOptions open;
  ReadJDEdit(a, Control::JDmax, a.writtenJDmax, a.writtenJDHigh, open.jdHigh, s.JDHigh,
             "Error in JDmax...");
  ReadJDEdit(a, Control::JDmin, a.writtenJDmin, a.writtenJDLow, open.jdLow, s.JDLow,
             "Error in JDmin...");
}

void ShowDateWindow(AppContext& a, double low, double high) {
  a.writtenJDmin = DateFieldText(low);
  a.writtenJDmax = DateFieldText(high);
  a.writtenJDLow = low;
  a.writtenJDHigh = high;
  a.p.SetText(Control::JDmin, a.writtenJDmin);
  a.p.SetText(Control::JDmax, a.writtenJDmax);
}

void LoadDataFile(AppContext& a) {
  AnalysisState& s = a.s;
  // A file loaded begins a new analysis: nothing of the analysis file last
  // opened or saved carries over into the next save.
  a.analysis.reset();
  a.peaks = {};  // of the data replaced
  ForgetChanges(a);
  a.p.SetText(Control::MLC_Edit4, BaseNameOf(s.DataFileName) + ".o");
  ReadOptions options;
  options.column = s.DataColumn;
  options.readZeros = a.p.Checked(Control::ChBZero);
  options.jdLow = s.JDLow;
  options.jdHigh = s.JDHigh;
  const std::optional<std::string> error = LoadObservations(s, s.DataFileName, options);
  if (error) a.p.ShowMessage(*error);
  // An empty set leaves the edits as the user typed them, so that the next
  // load is not confined to a window of zero width.
  if (s.NObs > 0) ShowDateWindow(a, s.JDLow, s.JDHigh);
  a.p.SetStatus("Done... Number of observations: " + Str(int64_t{s.NObs}));
}

void OpenObservationFile(AppContext& a) {
  AnalysisState& s = a.s;
  ReadJDWindowEdits(a);
  s.DataColumn = a.p.Value(Control::SpinEdit1);
  s.DataReady = 'b';
  s.CfgPath = kParamFileName;
  ReadDefaultParameters(a);
  a.p.RunFileDialog(FileDialog::FindFile, [&a](const std::string& chosen) {
    return AcceptObservationFileChoice(a, chosen);
  });
  s.DataReady = 'y';
  s.View = 't';
  a.p.RequestRepaint();
}

bool AcceptObservationFileChoice(AppContext& a, const std::string& chosen) {
  AnalysisState& s = a.s;
  if (!FileExists(chosen)) {
    // The set loaded before stays, but nothing may read as a load of the
    // name typed: no reread, and the status no longer says "Done...".
    a.p.ShowMessage(kFileDoesNotExist);
    a.p.SetStatus(kFileDoesNotExist);
    return true;
  }
  // Another file is read whole: the range of the file loaded before says
  // nothing about it, unless the user typed a window since that load.
  if (!SameFile(chosen, s.DataFileName) && JDEditsUntouched(a)) {
    const ReadOptions open;
    s.JDLow = open.jdLow;
    s.JDHigh = open.jdHigh;
  }
  s.DataFileName = chosen;
  LoadDataFile(a);
  ShowCaption(a);
  a.p.SetEnabled(Control::MethodMenu, true);
  return true;
}

void ToggleReadZeros(AppContext&) {
  // The reader consults the box itself at every load.
}

void ShowWholeRange(AppContext& a) {
  AnalysisState& s = a.s;
  if (s.View == 't') {
    s.JDHigh = s.DataJDmax;
    s.JDLow = s.DataJDmin;
    s.MagHigh = s.DataMagMax;
    s.MagLow = s.DataMagMin;
  } else if (s.View == 'l' || s.View == 'd') {
    s.PhMax = s.PhMaxAll;
    s.PhMin = s.PhMinAll;
    s.MagHigh = s.DataMagMax;
    s.MagLow = s.DataMagMin;
    s.FullRange = true;
  }
  a.p.SetVisible(Control::ButAllDiap, false);
  a.p.RequestRepaint();
}

void SaveParameters(AppContext& a) {
  AnalysisState& s = a.s;
  s.InitDir = a.p.FileDialogDir(FileDialog::FindFile);
  s.LastFile = a.p.FileDialogName(FileDialog::FindFile);
  WriteParamFile(kParamFileName, s.InitDir, s.LastFile, s);
}

void ExitProgram(AppContext& a) {
  a.p.Quit();
}

}  // namespace korvel
