#include "app/file_commands.h"

#include <filesystem>
#include <system_error>

#include "app/startup.h"
#include "app/undo_commands.h"
#include "core/text_format.h"
#include "io/observation_file.h"
#include "io/param_file.h"
#include "io/read_observations.h"
#include "io/text_reader.h"
#include "plot/search_views.h"

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

namespace {

// What the status line says after a load: an archive's file adds what was
// read and dropped, its time system and whether the dates had to be sorted;
// a plain file keeps the plain words.
std::string LoadStatus(const AnalysisState& s) {
  const std::string count = "Number of observations: " + Str(int64_t{s.NObs});
  if (s.Loaded.format == ObservationFormat::Plain) return "Done... " + count;
  std::string text = DroppedRowsText(s.Loaded) + ", dates " + s.Loaded.timeSystem;
  if (s.Loaded.sorted) text += ", dates sorted";
  return text + ". " + count;
}

// The plain reader keeps what comes before the first line it cannot read:
// a file another format claims (a header line, a FITS file) would replace
// the set loaded with nothing, so reading it as plain is refused.
void RefuseAsPlain(const std::string& path) {
  const ObservationFormat recognised = DetectObservationFormat(path);
  if (recognised == ObservationFormat::Plain) return;
  throw FormatError(path + ":1: not a plain observation file (a date and values on each line); " +
                    "its content is recognised as " + ObservationFormatLabel(recognised));
}

}  // namespace

bool LoadDataFile(AppContext& a, const std::string& path, ReadOptions read) {
  AnalysisState& s = a.s;
  read.column = s.DataColumn;
  read.readZeros = a.p.Checked(Control::ChBZero);
  read.jdLow = s.JDLow;
  read.jdHigh = s.JDHigh;
  std::optional<std::string> error;
  try {
    if (read.format == ObservationFormat::Plain) RefuseAsPlain(path);
    error = LoadObservations(s, path, read);
  } catch (const FormatError& e) {
    // Nothing was read: the set, its analysis and the caption stay.
    a.p.ShowMessage(e.what());
    a.p.SetStatus(e.what());
    return false;
  } catch (const FileError& e) {
    a.p.ShowMessage(e.what());
    a.p.SetStatus(e.Detail());
    return false;
  }
  // A file loaded begins a new analysis: nothing of the analysis file last
  // opened or saved carries over into the next save.
  a.analysis.reset();
  a.peaks = {};  // of the data replaced
  ForgetChanges(a);
  a.p.SetText(Control::MLC_Edit4, BaseNameOf(s.DataFileName) + ".o");
  if (error) a.p.ShowMessage(*error);
  // An empty set leaves the edits as the user typed them, so that the next
  // load is not confined to a window of zero width.
  if (s.NObs > 0) ShowDateWindow(a, s.JDLow, s.JDHigh);
  a.p.SetStatus(LoadStatus(s));
  return true;
}

bool LoadDataFile(AppContext& a) {
  return LoadDataFile(a, a.s.DataFileName, a.s.ReadWith);
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
  // nothing about it, unless the user typed a window since that load. The
  // range is put back when the file cannot be read.
  const double low = s.JDLow, high = s.JDHigh;
  const bool sameFile = SameFile(chosen, s.DataFileName);
  if (!sameFile && JDEditsUntouched(a)) {
    const ReadOptions open;
    s.JDLow = open.jdLow;
    s.JDHigh = open.jdHigh;
  }
  // The same file is read again as it was read (band, columns, offset)
  // unless the dialog chose otherwise; another starts from the defaults.
  ReadOptions read = sameFile ? s.ReadWith : ReadOptions{};
  const FileReadChoice choice = a.p.ObservationReadChoice();
  if (choice.format != ObservationFormat::Auto) {
    read.format = choice.format;
    read.band = choice.band;
  }
  if (!LoadDataFile(a, chosen, read)) {
    s.JDLow = low;
    s.JDHigh = high;
    return true;
  }
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
  } else if (IsPhaseCurveView(s.View)) {
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
