// The multi-frequency fit from the window: its dialog, the table of the
// frequencies found by automatic prewhitening (in the peaks table's place)
// and the fit's residuals taken as the data.
#pragma once

#include <string>

#include "app/app_context.h"

namespace korvel {

// Method > Multi-frequency fit: the dialog (the frequency range starts at the
// data's default), then AnalyseFrequencies on a copy of the loaded
// observations (with their errors when the file gave them), the table of what
// it kept and the count and stop reason on the status line. The fit runs as a
// search does: serving the window's events, and Stop ends it with the
// frequencies kept so far. A value or a fit that is refused gives its reason
// and changes nothing.
void StartMultiFrequencyFit(AppContext& a);
// The dialog's OK: its texts converted and checked against the data, and the
// options kept for the fit; false (the dialog stays) when they are refused.
bool AcceptFitParameters(AppContext& a);

// Method > Residuals of the fit as data: the magnitudes replaced by the last
// fit's residuals, undoable with Ctrl+Z. Refused when there is no fit, the
// fit kept no frequency or the observations changed since it.
void TakeFitResidualsAsData(AppContext& a);

// Row 0 the headers; row k the k-th frequency found: frequency, period,
// amplitude and phase each with its one-sigma error in units of its last
// digits ("12.70009(12)"), S/N, label.
inline constexpr int kFitColumns = 6;
std::string FitCellText(const FrequencyAnalysis& fit, int row, int column);
// "3 frequencies; stopped: S/N < 4 at 37.8588 c/d (S/N 3.5); residual rms
// 0.0049 mag".
std::string FitStatusText(const FrequencyAnalysis& fit);

// Picking a row of the fit's table: the light curve folded on its period.
void FoldOnChosenFrequency(AppContext& a);

}  // namespace korvel
