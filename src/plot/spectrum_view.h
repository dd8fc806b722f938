// The search spectrum: the statistic of every trial against frequency, drawn
// while a search runs and after it until a result is picked.
#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"
#include "plot/paint.h"

namespace korvel {

// Map B: SpecMin at y = 300, SpecMax at y = 50, by SpecYScale.
int SpectrumY(const AnalysisState& s, double v);

// The line through the low and high values of every non-empty column (empty
// columns bridged). Records DrawnSpecMax and DrawnSpecMin. The timer of a
// running search calls it alone while the range is unchanged.
void DrawSpectrumCurve(AnalysisState& s, Canvas& c);

// The whole spectrum view: status, range guard, the incremental case, frame,
// frequency and value ticks, significance levels, titles and the curve.
void DrawSpectrumView(AnalysisState& s, Canvas& c, const PaintSurroundings& env);

}  // namespace korvel
