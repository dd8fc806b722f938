// From a surface point back to data: what the mouse reads under the cursor,
// from the geometry the last paint left.
#pragma once

#include "core/analysis_state.h"
#include "plot/spectrum_geometry.h"

namespace korvel {

struct WorldPoint {
  bool inside = false;
  double u = 0, v = 0;  // frequency, phase or date; statistic or value
};

// inside is false (and u, v are 0) where the view shown has no region or the
// point lies outside it. The light-curve views read the frames their last
// paint left in the state; the spectrum's region follows from the size of the
// surface it was drawn on.
WorldPoint PlotToWorld(const AnalysisState& s, int x, int y, SurfaceSize surface = {});

}  // namespace korvel
