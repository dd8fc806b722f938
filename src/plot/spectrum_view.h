// The search spectrum: the statistic of every trial against frequency, drawn
// while a search runs and after it until a result is picked.
#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"
#include "plot/paint.h"
#include "plot/spectrum_geometry.h"

namespace korvel {

// Map B: SpecMin at the bottom of the region, larger values up by
// SpecYScale (SpecMax at its top after a full paint).
int SpectrumY(const AnalysisState& s, const SpectrumGeometry& g, double v);

// The line through the low and high values of every non-empty column (empty
// columns bridged), over the region of the canvas's size. Records DrawnSpecMax and DrawnSpecMin.
// The timer of a running search calls it alone while the range is unchanged.
void DrawSpectrumCurve(AnalysisState& s, Canvas& c);

// The whole spectrum view: status, range guard, the incremental case, frame,
// frequency and value ticks, significance levels, titles and the curve.
void DrawSpectrumView(AnalysisState& s, Canvas& c, const PaintSurroundings& env);

}  // namespace korvel
