#include "app/fit_commands.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "app/dialog_fields.h"
#include "app/run_control.h"
#include "app/search_commands.h"
#include "app/undo_commands.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "plot/search_views.h"
#include "search/document_search.h"
#include "search/peak_text.h"

namespace korvel {

namespace {

// A default frequency in the dialog: five decimals are finer than any
// resolution 1 / T of a real span.
std::string FrequencyText(double f) {
  return TrimZeros(Str(f, 0, 5));
}

std::string SnrText(double snr) {
  return std::isfinite(snr) ? Str(snr, 0, 1) : kNoValue;
}

// "12.70009(12)": the error in units of the value's last digits, as
// frequency tables print it (12.70009 +- 0.00012); the rounding is
// PeriodWithError's. Narrower than "value ± error", so that the six columns
// fit beside the plot.
std::string ValueWithError(double value, double error) {
  const std::string text = PeriodWithError(value, error);
  const std::string sign = " \u00b1 ";
  const size_t at = text.find(sign);
  if (at == std::string::npos) return text;
  std::string digits;
  for (char c : text.substr(at + sign.size()))
    if (c != '.' && (c != '0' || !digits.empty())) digits += c;
  return text.substr(0, at) + "(" + digits + ")";
}

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::isspace(c) != 0; });
}

// An empty field takes the default (0 for the range, none for the limit).
std::optional<double> OptionalRealOf(AppContext& a, Control field, double empty) {
  if (IsBlank(a.p.Text(field))) return empty;
  return RealOf(a, field);
}

}  // namespace

std::string FitCellText(const FrequencyAnalysis& fit, int row, int column) {
  static const char* const kHeaders[kFitColumns] = {
      "Frequency (c/d)", "Period (d)", "Amplitude (mag)", "Phase", "S/N", "Label"};
  if (column < 0 || column >= kFitColumns) return {};
  if (row == 0) return kHeaders[column];
  if (row < 0 || row > static_cast<int>(fit.frequencies.size())) return {};
  const AnalysedFrequency& f = fit.frequencies[static_cast<size_t>(row - 1)];
  const FittedFrequency& ff = f.fit;
  switch (column) {
    case 0:
      return ValueWithError(ff.frequency, ff.frequencyError);
    case 1:
      // The period's error follows from the frequency's: dP = df / f^2.
      return ValueWithError(1 / ff.frequency, ff.frequencyError / (ff.frequency * ff.frequency));
    case 2:
      return ValueWithError(ff.amplitude, ff.amplitudeError);
    case 3:
      return ValueWithError(ff.phase, ff.phaseError);
    case 4:
      return SnrText(f.snr);
    default:
      if (!f.label.empty() && !f.alias.empty()) return f.label + "; " + f.alias;
      return f.label.empty() ? f.alias : f.label;
  }
}

std::string FitStatusText(const FrequencyAnalysis& fit) {
  const size_t n = fit.frequencies.size();
  std::string text =
      Str(static_cast<int64_t>(n)) + (n == 1 ? " frequency" : " frequencies") + "; stopped: ";
  text += fit.stopText;
  if (fit.rejected) {
    const Candidate& c = *fit.rejected;
    text += " at " + TrimZeros(Str(c.frequency, 0, 4)) + " c/d";
    if (fit.stop == StopReason::FalseAlarm)
      text += " (FAP " + FapText(c.fap) + ")";
    else if (fit.stop == StopReason::LowSnr)
      text += " (S/N " + SnrText(c.snr) + ")";
  }
  if (n > 0) text += "; residual rms " + TrimZeros(Str(fit.residualRms, 0, 4)) + " mag";
  return text;
}

bool AcceptFitParameters(AppContext& a) {
  static constexpr Control kControls[] = {Control::FIT_Fmin,     Control::FIT_Fmax,
                                          Control::FIT_Snr,      Control::FIT_NoiseBox,
                                          Control::FIT_MaxCount, Control::FIT_Fap};
  static constexpr const char* kNames[] = {"The lowest frequency", "The highest frequency",
                                           "The S/N limit",        "The noise box",
                                           "The most frequencies", "The false-alarm limit"};
  FrequencyAnalysisOptions o;
  const std::optional<double> values[] = {OptionalRealOf(a, Control::FIT_Fmin, 0),
                                          OptionalRealOf(a, Control::FIT_Fmax, 0),
                                          RealOf(a, Control::FIT_Snr),
                                          RealOf(a, Control::FIT_NoiseBox),
                                          IntOf(a, Control::FIT_MaxCount),
                                          OptionalRealOf(a, Control::FIT_Fap, 0)};
  for (size_t i = 0; i < std::size(values); ++i)
    if (!values[i]) {
      const char* kind = i == 4 ? " must be a whole number." : " must be a number.";
      return AcceptFields(a, FieldRefusal{std::string(kNames[i]) + kind, static_cast<int>(i)},
                          kControls);
    }
  o.fmin = *values[0];
  o.fmax = *values[1];
  o.snrLimit = *values[2];
  o.noiseBox = *values[3];
  o.maxFrequencies = static_cast<int>(*values[4]);
  if (!IsBlank(a.p.Text(Control::FIT_Fap))) o.fap = *values[5];

  const Observations obs = ObservationsOf(a.s);
  if (const auto problem = FrequencyAnalysisProblem(obs.jd, obs.mag, o)) {
    a.p.ShowMessage(*problem);
    return false;
  }
  a.fitOptions = std::move(o);
  return true;
}

namespace {

// The analysis of the loaded observations on the window's thread. Like a
// search it passes to the event loop every 15 ms, refuses the commands a
// running search refuses, and Stop ends it with the frequencies kept so far.
AppContext::Fit RunFit(AppContext& a, FrequencyAnalysisOptions o) {
  const Observations obs = ObservationsOf(a.s);
  // Copies: the analysis must not see the data change under it.
  std::vector<double> jd(obs.jd.begin(), obs.jd.end()), mag(obs.mag.begin(), obs.mag.end());
  const std::vector<double> err(obs.err.begin(), obs.err.end());
  const char before = a.s.RunCode;
  a.s.RunCode = 'r';
  a.p.SetStatus("Fitting frequencies... Stop ends the fit with the frequencies kept so far.");
  PlatformSearchHooks hooks(a);
  o.goOn = [&a, &hooks] {
    if (hooks.EventsDue()) hooks.BetweenTrials();
    return a.s.RunCode == 'r';
  };
  FrequencyAnalysis fit = AnalyseFrequencies(jd, mag, err, o);
  a.s.RunCode = before;
  return {std::move(fit), std::move(jd), std::move(mag)};
}

}  // namespace

void StartMultiFrequencyFit(AppContext& a) {
  if (a.s.RunCode == 'r') {
    a.p.SetStatus(kSearchRunning);
    return;
  }
  const Observations obs = ObservationsOf(a.s);
  if (obs.size() < 2) {
    a.p.ShowMessage("Open a file of observations first.");
    return;
  }
  const auto [fmin, fmax] = DefaultFrequencyRange(obs.jd);
  a.p.SetText(Control::FIT_Fmin, FrequencyText(fmin));
  a.p.SetText(Control::FIT_Fmax, FrequencyText(fmax));
  a.fitOptions.reset();
  if (!a.p.ShowDialog(Dialog::Fit, [&a] { return AcceptFitParameters(a); }) || !a.fitOptions)
    return;
  AppContext::Fit fit = RunFit(a, *std::exchange(a.fitOptions, std::nullopt));
  // A refused fit leaves the fit shown before, if any, as it was.
  if (!fit.analysis.ok()) {
    a.p.ShowMessage(fit.analysis.problem);
    return;
  }
  a.fit = std::move(fit);
  const FrequencyAnalysis& kept = a.fit->analysis;
  ShowPeakTable(
      a, static_cast<int>(kept.frequencies.size()), kFitColumns,
      [&kept](int row, int column) { return FitCellText(kept, row, column); }, true);
  a.p.SetStatus(FitStatusText(kept));
}

void TakeFitResidualsAsData(AppContext& a) {
  if (a.s.RunCode == 'r') {
    a.p.SetStatus(kSearchRunning);
    return;
  }
  if (!a.fit) {
    a.p.ShowMessage("There is no multi-frequency fit to take the residuals of.");
    return;
  }
  const Observations obs = ObservationsOf(a.s);
  const AppContext::Fit& fit = *a.fit;
  // Residuals of other observations would be dealt to the wrong dates.
  if (!std::equal(obs.jd.begin(), obs.jd.end(), fit.jd.begin(), fit.jd.end()) ||
      !std::equal(obs.mag.begin(), obs.mag.end(), fit.mag.begin(), fit.mag.end())) {
    a.p.ShowMessage("The observations changed since the fit; run the fit again.");
    return;
  }
  const size_t kept = fit.analysis.frequencies.size();
  // With nothing fitted the "residuals" are the magnitudes less their mean:
  // taking them would only shift the data.
  if (kept == 0) {
    a.p.ShowMessage("The fit kept no frequency, so there are no residuals to take.");
    return;
  }
  ObservationSnapshot before = SnapshotOf(a, "residuals of the fit");
  const std::vector<double> residuals = fit.analysis.residuals;
  for (size_t i = 0; i < residuals.size(); ++i) a.s.Mag[i + 1] = residuals[i];
  KeepForUndo(a, std::move(before));
  a.fit.reset();
  a.magnitudes.residuals = true;
  ShowAsLoaded(a);
  ShowCaption(a);
  RepaintThenSay(a, "The magnitudes in memory are now the residuals of the fit of " +
                        Str(static_cast<int64_t>(kept)) +
                        (kept == 1 ? " frequency" : " frequencies") + "; Ctrl+Z restores them.");
}

void FoldOnChosenFrequency(AppContext& a) {
  if (!a.fit) return;
  const std::vector<AnalysedFrequency>& found = a.fit->analysis.frequencies;
  const int k = a.p.SelectedPeakRow();
  if (k < 1 || k > static_cast<int>(found.size())) return;
  if (!IsPhaseCurveView(a.s.View)) a.s.View = 'l';
  FoldOnPeriod(a, 1 / found[static_cast<size_t>(k - 1)].fit.frequency);
}

}  // namespace korvel
