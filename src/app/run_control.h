// Run control of the searches and the results grid: Stop, the one-second
// redraw of a running search, Px2, the search switches of the panel, Table,
// picking a row, About, Help and closing the window.
#pragma once

#include "app/app_context.h"
#include "search/trial_record.h"  // GridCellText, the texts Table fills in

namespace korvel {

void BStopClick(AppContext& a);
void Timer1Timer(AppContext& a);
void OnPx2Click(AppContext& a);
void ChBWindowClick(AppContext& a);
void OnSFClick(AppContext& a);
void BTableClick(AppContext& a);
void StrGrClick(AppContext& a);
void Menu3Click(AppContext& a);
// Help of a dialog: no help file belongs to the program, and Help says so.
void HelpBtnClick(AppContext& a);
// Closing the main window ends a running search, which would otherwise go on
// computing without a window.
void FormClose(AppContext& a);

}  // namespace korvel
