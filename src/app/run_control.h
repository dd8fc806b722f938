// Run control of the searches and the results grid: Stop, the one-second
// redraw of a running search, Px2, the search switches of the panel, Table,
// picking a row, About, Help and closing the window.
#pragma once

#include "app/app_context.h"
#include "search/document_search.h"  // GridCellText, the texts Table fills in

namespace korvel {

void StopSearch(AppContext& a);
void RedrawRunningSpectrum(AppContext& a);
void TogglePeriodTimesTwo(AppContext& a);
void ToggleWindowSpectrum(AppContext& a);
void ToggleSpectrumToFile(AppContext& a);
void ShowResultsTable(AppContext& a);
void FoldOnChosenRow(AppContext& a);
void ShowAbout(AppContext& a);
// Help of a dialog: no help file belongs to the program, and Help says so.
void ShowHelp(AppContext& a);
// Closing the main window ends a running search, which would otherwise go on
// computing without a window.
void CloseWindow(AppContext& a);

}  // namespace korvel
