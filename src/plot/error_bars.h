// The error bars of the light-curve views: a thin vertical line of +-err
// magnitudes through an observation's point, only for files that give errors.
#pragma once

#include <cstdint>

#include "core/analysis_state.h"
#include "plot/axes.h"
#include "plot/canvas.h"

namespace korvel {

// The error of observation i; not a number when the set has none for it.
double ObservationError(const AnalysisState& s, int32_t i);

// The bar value +-err at column x over the map, clipped to the map's range
// (the frame); nothing for an error that is not finite and positive.
void DrawErrorBar(Canvas& c, const ValueMap& map, int x, double value, double err, Rgb colour);

}  // namespace korvel
