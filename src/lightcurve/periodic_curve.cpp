// Periodic linear interpolation of a curve given at points of phase.
#include "lightcurve/periodic_curve.h"

namespace korvel {

double WrapValue(const PeriodicCurve& c, double distance) {
  const std::span<const double> ph = c.phase, m = c.mag;
  const size_t last = ph.size() - 1;
  const double gap = 1 + ph[0] - ph[last];
  // Gap 0 only for a first phase 0 and a last phase 1: nothing lies between.
  if (!(gap > 0)) return m[last];
  return m[last] + (m[0] - m[last]) * distance / gap;
}

double PeriodicValue(const PeriodicCurve& c, double x) {
  const std::span<const double> ph = c.phase, m = c.mag;
  if (x < ph[0]) return WrapValue(c, 1 + x - ph.back());
  // ph[j - 1] <= x < ph[j] at the first j found, so the width is positive.
  for (size_t j = 1; j < ph.size(); ++j)
    if (x < ph[j]) return m[j - 1] + (m[j] - m[j - 1]) * (x - ph[j - 1]) / (ph[j] - ph[j - 1]);
  return WrapValue(c, x - ph.back());
}

}  // namespace korvel
