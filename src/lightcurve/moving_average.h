// The mean light curve of Wave: a moving average over the phase with N
// equally spaced centres and a window of length BinLength, wrapped across
// phase 1 to 0.
#pragma once

#include "core/analysis_state.h"

namespace korvel {

// Reads Phase[1..NObs] (the phases of the last phase-curve paint), Mag,
// MeanPoints (N, 2 .. 99) and BinLength; writes the mean points with their
// standard errors, drops empty points and points of the same mean phase as
// their successor (MeanPoints becomes the number kept), copies MeanMag to
// EditedMag and sets the ordinate range MeanMagHigh .. MeanMagLow.
void ComputeMeanCurve(AnalysisState& s);

}  // namespace korvel
