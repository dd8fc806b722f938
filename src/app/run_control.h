// Run control of the searches and the results grid: Stop, the one-second
// redraw of a running search, Px2, the search switches of the panel, Table,
// picking a row, and About.
#pragma once

#include "app/app_context.h"

namespace korvel {

void BStopClick(AppContext& a);
void Timer1Timer(AppContext& a);
void OnPx2Click(AppContext& a);
void ChBWindowClick(AppContext& a);
void OnSFClick(AppContext& a);
void BTableClick(AppContext& a);
void StrGrClick(AppContext& a);
void Menu3Click(AppContext& a);

// Texts of one row of the results grid (row 0 is the header).
std::string GridCellText(const AnalysisState& s, int row, int column);

}  // namespace korvel
