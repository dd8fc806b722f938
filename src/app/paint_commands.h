// The window's drawing entries: the full paint of the plot surface and the
// share of a running search's trials done.
#pragma once

#include "app/app_context.h"
#include "plot/canvas.h"

namespace korvel {

// Draws the whole picture for the analysis state; the status texts of the
// views go to the status line.
void PWinPaint(AppContext& a, Canvas& c);

// The share 0 .. 1 of the trial frequencies FreqLo .. FreqEnd behind Freq; 0
// where the grid is not set.
double SearchProgress(const AnalysisState& s);

}  // namespace korvel
