// The light-curve steps on the window's document: copies AnalysisState
// (1-based arrays, the window's names) into the values the light-curve
// functions take, and their results back. The document's entry points are
// declared beside their topic (phase_views.h, moving_average.h, ...) and
// defined in document_light_curve.cpp; this header gathers them with the
// copies.
#pragma once

#include <span>

#include "core/analysis_state.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/periodic_curve.h"
#include "lightcurve/phase_views.h"
#include "lightcurve/prewhitening.h"
#include "lightcurve/stat_file.h"
#include "lightcurve/wave_parameters.h"

namespace korvel {

// Period, Epoch; P2, ExtrDate, NBins.
Ephemeris EphemerisOf(const AnalysisState& s);
SecondaryEphemeris SecondaryEphemerisOf(const AnalysisState& s);

// JD, Mag and Phase [1..NObs], 0-based.
std::span<const double> DatesOf(const AnalysisState& s);
std::span<const double> MagsOf(const AnalysisState& s);
std::span<const double> PhasesOf(const AnalysisState& s);

// The mean curve MeanCount .. MeanMagLow [1..MeanPoints], and back (its
// points, at most kMaxMeanPoints, into 1..; EditedMag is left alone).
MeanCurve MeanCurveOf(const AnalysisState& s);
void StoreMeanCurve(AnalysisState& s, const MeanCurve& c);

// The curve prewhitening subtracts: MeanPhase and EditedMag [1..MeanPoints].
PeriodicCurve EditedCurveOf(const AnalysisState& s);

// The current mean curve as the collecting file records it.
CollectingBlock CollectingBlockOf(const AnalysisState& s);

// The curves read back into MLCCurves .. MLCMag, MLCLoaded set.
void StoreCollectedCurves(AnalysisState& s, const std::vector<CollectedCurve>& curves);

}  // namespace korvel
