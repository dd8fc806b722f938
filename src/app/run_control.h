// Run control of the searches and the results grid: Stop, the one-second
// redraw of a running search, Px2, the search switches of the panel, Table,
// picking a row, and About.
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

}  // namespace korvel
