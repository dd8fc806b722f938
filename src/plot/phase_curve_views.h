// The light curves against phase: the phase light curve (views 'd' and 'l',
// full and zoomed), the curves divided by secondary-phase bins (view 's') and
// the curve coloured by secondary phase (view 'n'), with their ephemeris text.
#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace korvel {

void DrawPhaseView(AnalysisState& s, Canvas& c);
void DrawBinsView(AnalysisState& s, Canvas& c);
void DrawColourView(AnalysisState& s, Canvas& c);

// The two ephemeris lines of the primary and secondary elements at
// (x, H - dy - 29) and (x, H - dy - 10).
void DrawLightElements(const AnalysisState& s, Canvas& c, int x, int dy, int H);

}  // namespace korvel
