// The grid of trial frequencies every search scans, its display columns and
// the frequency axis the spectrum is drawn on: each rule written once.
#pragma once

#include <cstdint>

#include "search/search_values.h"

namespace korvel {

// The spectrum plot's frequency axis over 1/pmax .. 1/pmin: its ends, the
// columns per unit (480 over the range), the tick spacing and the tick from
// which drawing starts.
struct FrequencyAxis {
  double lo = 0, hi = 0, scale = 0, step = 0, first = 0;
};
FrequencyAxis AxisOf(double pmin, double pmax);

// The grid of a fresh search: 1/pmax .. 1/pmin in steps of the phase shift
// over the time span, starting one step below 1/pmax (each trial adds the
// step first).
TrialGrid GridOf(double pmin, double pmax, double phaseShift, double span);

// freq := freq + step. False when the grid is exhausted (freq beyond
// freqEnd), and also when the addition no longer moves freq, which would
// otherwise repeat the same trial for ever.
inline bool AdvanceFrequency(double& freq, const TrialGrid& g) {
  const double next = freq + g.step;
  const bool moved = next > freq;
  freq = next;
  return moved && !(freq > g.freqEnd);
}

// Display column of a frequency: Round((f - freqLo) * scale), halves to the
// even neighbour. -1 for a frequency outside columns 0 .. 480 (or a scale
// that is not a number), so that no caller indexes beyond them.
int32_t SpectrumColumn(const TrialGrid& g, double freq);

// The refusal of a grid without a single trial: the step from the phase
// shift jumps over the whole range.
inline constexpr const char* kNoTrialInGrid =
    "The phase shift makes the frequency step larger than the whole range, so no trial would be "
    "made: choose a smaller phase shift...";

// The number of trials the grid makes from `from` on (the frequency before
// the next trial), known before the first: counted by the engines' own
// additions up to 10^7 trials (a few milliseconds), estimated from the range
// over the step beyond, where a miscount of one no longer matters.
double TrialCount(const TrialGrid& g, double from);

}  // namespace korvel
