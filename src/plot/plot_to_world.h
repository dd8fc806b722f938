// From a surface point back to data: what the mouse reads under the cursor,
// from the geometry the last paint left.
#pragma once

#include "core/analysis_state.h"

namespace korvel {

struct WorldPoint {
  bool inside = false;
  double u = 0, v = 0;  // frequency, phase or date; statistic or value
};

// inside is false (and u, v are 0) where the view shown has no region or the
// point lies outside it.
WorldPoint PlotToWorld(const AnalysisState& s, int x, int y);

}  // namespace korvel
