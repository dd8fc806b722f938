// The light curve against time (view 't'), with the model of a loaded
// collecting file and the mirror image.
#pragma once

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace korvel {

void DrawTimeView(AnalysisState& s, Canvas& c);

}  // namespace korvel
