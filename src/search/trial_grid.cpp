#include "search/trial_grid.h"

#include <cmath>

#include "core/nice_steps.h"

namespace korvel {

void SetFreqAxis(AnalysisState& s) {
  s.FreqHi = 1 / s.Pmin;
  s.FreqLo = 1 / s.Pmax;
  s.AxisFreqHi = s.FreqHi;
  s.AxisFreqLo = s.FreqLo;
  s.FreqScale = 480 / (s.AxisFreqHi - s.AxisFreqLo);
  s.AxisStep = ChooseStep(s.AxisFreqHi - s.AxisFreqLo).step;
  s.AxisFirst = std::trunc(s.FreqLo / s.AxisStep) * s.AxisStep;
}

void SetUpTrialGrid(AnalysisState& s) {
  // The start frequency is FreqLo alone: the secondary period P2 is the
  // user's and a search leaves it as it was.
  s.FreqEnd = 1 / s.Pmin;
  s.FreqHi = s.FreqEnd;
  s.FreqLo = 1 / s.Pmax;
  s.FreqScale = 480 / (s.FreqHi - s.FreqLo);
  s.FreqStep = s.FreqStep / (s.JD[s.NObs] - s.JD[1]);
  s.Freq = s.FreqLo - s.FreqStep;
}

int32_t SpectrumColumn(const AnalysisState& s, double freq) {
  const double column = std::nearbyint((freq - s.FreqLo) * s.FreqScale);
  if (!(column >= 0 && column <= kSpecColumns - 1)) return -1;
  return static_cast<int32_t>(column);
}

double TrialCount(const AnalysisState& s) {
  constexpr double kCountedTrials = 1e7;
  // Freq is one step below the first trial; each trial adds the step first
  // and runs while the frequency moves and stays within FreqEnd.
  const double estimate = std::floor((s.FreqEnd - s.Freq) / s.FreqStep);
  if (!(estimate <= kCountedTrials)) return estimate;
  int64_t trials = 0;
  for (double f = s.Freq;; ++trials) {
    const double next = f + s.FreqStep;
    if (!(next > f) || next > s.FreqEnd) break;
    f = next;
  }
  return static_cast<double>(trials);
}

}  // namespace korvel
