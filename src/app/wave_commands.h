// Mean light curves from the window: the "Moving average method calculation"
// dialog, Wave, Prewhitening and the Mean light curve file command.
#pragma once

#include <string>

#include "app/app_context.h"

namespace korvel {

// The dialog: each showing checks "Append the existing file", which is
// enabled only while the collecting-file name names an existing file; "..."
// browses for that name.
void ShowWaveDialog(AppContext& a);
void CollectingFileNameChanged(AppContext& a);
void BrowseCollectingFile(AppContext& a);
// OK: curve number, points (1 < N < 100), bin length (0 < L <= 0.25), the
// collecting file and the residual file names, in this order.
bool AcceptWaveParameters(AppContext& a);

// Wave: on the phase light curve (views 'l' and 'd'), asks for the
// parameters and computes the mean light curve (view 'm').
void ShowWaveDialogForCurve(AppContext& a);
// Prewhitening: records the mean curve, subtracts it, writes the residuals.
void PrewhitenObservations(AppContext& a);

// Mean light curve file: the open dialog, then the file named last is read
// (on a cancel too).
void OpenMeanCurveFile(AppContext& a);
bool AcceptMeanCurveFileChoice(AppContext& a, const std::string& chosen);
void ReadChosenMeanCurveFile(AppContext& a);

}  // namespace korvel
