// Run control of the searches and the results tables: Stop, the one-second
// redraw of a running search, Px2, the search switches of the panel, Table,
// picking a row of the best trials or of the distinct peaks, About, the
// user guide and closing the window.
#pragma once

#include <functional>
#include <string>

#include "app/app_context.h"
#include "search/document_search.h"  // GridCellText, the texts Table fills in
#include "search/peak_text.h"        // PeakCellText

namespace korvel {

void StopSearch(AppContext& a);
void RedrawRunningSpectrum(AppContext& a);
void TogglePeriodTimesTwo(AppContext& a);
void ToggleWindowSpectrum(AppContext& a);
void ToggleSpectrumToFile(AppContext& a);
// Table shows the 20 best trials; pressed again while they show, the
// distinct peaks of the search in their place (when it found any); pressed
// once more, it hides them.
void ShowResultsTable(AppContext& a);
// The peaks table filled from cell(row, column), row 0 the header, and shown
// in the best trials' place; fit: it holds a multi-frequency fit's
// frequencies rather than a search's peaks.
void ShowPeakTable(AppContext& a, int rows, int columns,
                   const std::function<std::string(int, int)>& cell, bool fit = false);
void FoldOnChosenRow(AppContext& a);
void FoldOnChosenPeak(AppContext& a);
// What picking a row does with its period: the phase light curve of the
// period (zero phase at the brightest observation), or the secondary period
// of the secondary views; both tables hidden.
void FoldOnPeriod(AppContext& a, double period);
void HideResultTables(AppContext& a);
// File > Open as the window runs it: the tables go first, since they show
// rows of the data the load replaces.
void OpenObservationsInWindow(AppContext& a);
void ShowAbout(AppContext& a);
// Help > User guide, at its start.
void OpenUserGuide(AppContext& a);
// Help of the five dialogs: the user guide at the section named after the
// dialog's caption.
void ShowInitialParametersHelp(AppContext& a);
void ShowLightCurveElementsHelp(AppContext& a);
void ShowSecondarySearchHelp(AppContext& a);
void ShowMovingAverageHelp(AppContext& a);
void ShowMultiFrequencyFitHelp(AppContext& a);
// Closing the main window ends a running search, which would otherwise go on
// computing without a window.
void CloseWindow(AppContext& a);

}  // namespace korvel
