#include "app/wave_commands.h"

#include <utility>

#include "app/dialog_fields.h"
#include "app/undo_commands.h"
#include "io/observation_file.h"
#include "io/text_reader.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/phase_views.h"
#include "lightcurve/prewhitening.h"
#include "lightcurve/wave_parameters.h"
#include "plot/search_views.h"

namespace korvel {

void ShowWaveDialog(AppContext& a) {
  a.p.SetChecked(Control::MLC_CheckBox1, true);
}

void CollectingFileNameChanged(AppContext& a) {
  a.p.SetEnabled(Control::MLC_CheckBox1, FileExists(a.p.Text(Control::MLC_Edit3)));
}

void BrowseCollectingFile(AppContext& a) {
  a.p.SetFileDialogName(FileDialog::MLCDialog, a.p.Text(Control::MLC_Edit3));
  if (a.p.RunFileDialog(FileDialog::MLCDialog, [](const std::string&) { return true; }))
    a.p.SetText(Control::MLC_Edit3, a.p.FileDialogName(FileDialog::MLCDialog));
}

bool AcceptWaveParameters(AppContext& a) {
  static constexpr Control kControls[] = {Control::MLC_Edit1, Control::MLC_Edit2,
                                          Control::MLC_Edit3, Control::MLC_Edit4};
  WaveParameters p;
  p.curveNumber = a.p.Value(Control::MLC_SpinEdit1);
  p.points = IntOf(a, Control::MLC_Edit1);
  p.binLength = RealOf(a, Control::MLC_Edit2);
  p.collectFile = a.p.Text(Control::MLC_Edit3);
  p.residualFile = a.p.Text(Control::MLC_Edit4);
  return AcceptFields(a, ApplyWaveParameters(a.s, p), kControls);
}

void ShowWaveDialogForCurve(AppContext& a) {
  AnalysisState& s = a.s;
  if (s.DataReady != 'y' || !IsPhaseCurveView(s.View)) return;
  if (!(s.Period > 0)) return;  // no phase light curve to smooth
  // A Cancel puts back what a rejected attempt overwrote: MeanPoints is also
  // the size of the current mean curve, which Prewhitening still subtracts.
  const int32_t curveNumber = s.CurveNumber, meanPoints = s.MeanPoints;
  const double binLength = s.BinLength;
  const std::string collect = s.CollectFileName;
  ShowWaveDialog(a);
  if (!a.p.ShowDialog(Dialog::MLC, [&a] { return AcceptWaveParameters(a); })) {
    s.CurveNumber = curveNumber;
    s.MeanPoints = meanPoints;
    s.BinLength = binLength;
    s.CollectFileName = collect;
    return;
  }
  a.p.SetVisible(Control::BPrewhite, true);
  ComputePhases(s);
  ComputeMeanCurve(s);
  s.View = 'm';
  s.DataReady = 'y';
  s.WaveState = 'd';
  a.p.RequestRepaint();
}

void PrewhitenObservations(AppContext& a) {
  AnalysisState& s = a.s;
  if (auto problem = PrewhitenProblem(s)) {
    a.p.ShowMessage(*problem);
    return;
  }
  const std::string residualFile =
      a.p.Checked(Control::MLC_CheckBox2) ? std::string() : a.p.Text(Control::MLC_Edit4);
  if (auto problem = PrewhitenFileProblem(s, s.CollectFileName, residualFile)) {
    a.p.ShowMessage(*problem);
    return;
  }
  // A file that fails leaves the state and both files as they were: the
  // button stays for another try, and there is nothing to undo.
  ObservationSnapshot before = SnapshotOf(a, "prewhitening");
  PrewhitenWithFiles(s, s.CollectFileName, a.p.Checked(Control::MLC_CheckBox1), residualFile);
  KeepForUndo(a, std::move(before));
  a.magnitudes.residuals = true;
  a.p.SetVisible(Control::BPrewhite, false);
  ShowCaption(a);
  RepaintThenSay(a,
                 (residualFile.empty() ? std::string() : "File " + residualFile + " is done... ") +
                     "The magnitudes in memory are now residuals; Ctrl+Z restores them.");
}

void OpenMeanCurveFile(AppContext& a) {
  a.p.RunFileDialog(FileDialog::MLCFileShow, [&a](const std::string& chosen) {
    return AcceptMeanCurveFileChoice(a, chosen);
  });
  ReadChosenMeanCurveFile(a);
}

bool AcceptMeanCurveFileChoice(AppContext& a, const std::string& chosen) {
  a.s.MLCFileName = chosen;
  return true;
}

void ReadChosenMeanCurveFile(AppContext& a) {
  const std::string& name = a.s.MLCFileName;
  if (name == "none") return;
  if (!FileExists(name)) {
    a.p.ShowMessage("File " + name + " does not exist.");
    return;
  }
  ReadMeanCurveFile(a.s, name);
  a.p.RequestRepaint();
}

}  // namespace korvel
