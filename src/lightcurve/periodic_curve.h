// A curve given at points of phase, read as periodic in phase: the linear
// interpolation that the model and prewhitening share.
#pragma once

#include <span>

namespace korvel {

// A curve's points, 0-based: phases ascending, the magnitude at each.
struct PeriodicCurve {
  std::span<const double> phase, mag;
};

// The value at phase x: linear between neighbouring points, and across phase
// 1/0 between the last point and the first. A wrap-around gap of 0 (first
// phase 0, last 1) gives the last magnitude. The curve has at least 1 point.
double PeriodicValue(const PeriodicCurve& c, double x);

// The part across phase 1/0: the value at the given phase distance after the
// last point.
double WrapValue(const PeriodicCurve& c, double distance);

}  // namespace korvel
