#include "search/trial_grid.h"

#include <cmath>

#include "core/nice_steps.h"

namespace korvel {

FrequencyAxis AxisOf(double pmin, double pmax) {
  FrequencyAxis a;
  a.hi = 1 / pmin;
  a.lo = 1 / pmax;
  a.scale = 480 / (a.hi - a.lo);
  a.step = ChooseStep(a.hi - a.lo).step;
  a.first = std::trunc(a.lo / a.step) * a.step;
  return a;
}

TrialGrid GridOf(double pmin, double pmax, double phaseShift, double span) {
  TrialGrid g;
  g.freqEnd = 1 / pmin;
  g.freqLo = 1 / pmax;
  g.scale = 480 / (g.freqEnd - g.freqLo);
  g.step = phaseShift / span;
  g.start = g.freqLo - g.step;
  return g;
}

int32_t SpectrumColumn(const TrialGrid& g, double freq) {
  const double column = std::nearbyint((freq - g.freqLo) * g.scale);
  if (!(column >= 0 && column <= kSpecColumns - 1)) return -1;
  return static_cast<int32_t>(column);
}

double TrialCount(const TrialGrid& g, double from) {
  constexpr double kCountedTrials = 1e7;
  const double estimate = std::floor((g.freqEnd - from) / g.step);
  if (!(estimate <= kCountedTrials)) return estimate;
  int64_t trials = 0;
  for (double f = from; AdvanceFrequency(f, g);) ++trials;
  return static_cast<double>(trials);
}

}  // namespace korvel
