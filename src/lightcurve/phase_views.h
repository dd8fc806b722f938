// What the light-curve views compute from the elements before they draw: the
// primary phases, the panel abscissa of the secondary-bin view and the colour
// of a secondary phase.
#pragma once

#include <cstdint>

#include "core/analysis_state.h"
#include "core/colour.h"

namespace korvel {

// Phase[i] := Frac((JD[i] - Epoch) / Period) for i = 1 .. NObs (views 'l',
// 'd' and 'n'; the moving average reads them afterwards).
void ComputePhases(AnalysisState& s);

// View 's': observation i in panel b = 0 .. NBins - 1 at abscissa b + u, u the
// primary phase shifted by half a period. The secondary phases within half a
// bin of (b + 1) / NBins fall into panel b.
struct BinPlace {
  int32_t bin;
  double x;
};
BinPlace SecondaryBinPlace(const AnalysisState& s, int32_t i);

// View 'n': the colour parameter 2 Frac((JD[i] - ExtrDate) / P2), in [0, 2).
double SecondaryColourParam(const AnalysisState& s, int32_t i);

// The colour of the colour parameter w: red near w = 0.5, green near 1, blue
// near 1.5 and 0, each channel truncated and never below 0.
Rgb PhaseColour(double w);

}  // namespace korvel
