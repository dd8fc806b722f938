// The mean light curve of the moving average (view 'm'): mean points with
// their error bars and the hand-adjustable curve.
#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace korvel {

void DrawMeanCurveView(AnalysisState& s, Canvas& c);

// The segment of the hand-adjustable curve from point a to point b (again
// one cycle on when a lies in the first half), with the pen as set, over the
// geometry the last paint of the view left.
void DrawMeanSegment(const AnalysisState& s, Canvas& c, int32_t a, int32_t b);
// The two segments that meet at point k.
void DrawNodeLinks(const AnalysisState& s, Canvas& c, int32_t k);

}  // namespace korvel
