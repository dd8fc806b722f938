// The frequency axis of the spectrum and the grid of trial frequencies that
// every search scans.
#pragma once

#include "core/analysis_state.h"

namespace korvel {

// From Pmin and Pmax: FreqLo, FreqHi, the plot axis ends AxisFreqLo and
// AxisFreqHi, FreqScale (480 columns over the range), AxisStep and AxisFirst.
void SetFreqAxis(AnalysisState& s);

// Turns the search parameters into the trial grid just before an engine
// runs: FreqEnd = FreqHi = 1/Pmin,
// FreqLo = 1/Pmax, FreqScale, FreqStep divided by the time span
// JD[NObs] - JD[1], and Freq one step below the start (each trial adds the
// step first). FreqStep must still hold the maximum phase shift. The caller
// has checked the data with CheckSearchable.
void SetUpTrialGrid(AnalysisState& s);

// Spectrum column of a frequency: Round((f - FreqLo) * FreqScale), halves to
// the even neighbour. Returns -1 for a frequency outside columns 0 .. 480
// (or a scale that is not a number), so that no caller indexes beyond them.
int32_t SpectrumColumn(const AnalysisState& s, double freq);

// The refusal of a grid without a single trial: the step from the phase
// shift jumps over the whole range.
inline constexpr const char* kNoTrialInGrid =
    "The phase shift makes the frequency step larger than the whole range, so no trial would be "
    "made: choose a smaller phase shift...";

// The number of trials the grid set up by SetUpTrialGrid will make, known
// before the first: counted by the engines' own additions up to 10^7
// trials (a few milliseconds), estimated from the range over the step
// beyond, where a miscount of one no longer matters.
double TrialCount(const AnalysisState& s);

}  // namespace korvel
