// The mean light curve of the moving average (view 'm'): mean points with
// their error bars and the hand-adjustable curve.
#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace korvel {

void DrawMeanCurveView(AnalysisState& s, Canvas& c);

}  // namespace korvel
