// The phase rules of the light-curve views on plain values.
#include "lightcurve/phase_views.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/numeric.h"

namespace korvel {

double PhaseOf(double jd, const Ephemeris& e) {
  return Frac((jd - e.epoch) / e.period);
}

std::vector<double> Phases(std::span<const double> dates, const Ephemeris& e) {
  std::vector<double> phases(dates.size());
  std::transform(dates.begin(), dates.end(), phases.begin(),
                 [&e](double jd) { return PhaseOf(jd, e); });
  return phases;
}

BinPlace SecondaryBinPlace(double jd, const Ephemeris& primary, const SecondaryEphemeris& second) {
  const double u = Frac((jd - primary.epoch) / primary.period + 0.5);
  const double v = Frac((jd - second.extremumDate) / second.period - 0.5 / second.bins);
  // v may be exactly 1 (a negative whole number): keep it in the last panel.
  // Clamped as a double: a NaN or huge whole part must not reach the integer
  // conversion (a zero secondary period, dates far out).
  const double whole = IntBelow(v * second.bins);
  const int32_t last = std::max(second.bins - 1, 0);
  const int32_t bin = whole >= 0 ? static_cast<int32_t>(std::min(whole, double(last))) : 0;
  return {bin, bin + u};
}

double SecondaryColourParam(double jd, const SecondaryEphemeris& second) {
  return 2 * Frac((jd - second.extremumDate) / second.period);
}

Rgb PhaseColour(double w) {
  const double pi = std::numbers::pi;
  const auto channel = [](double term) {
    return term > 0 ? static_cast<int32_t>(std::trunc(255 * std::min(term, 1.0))) : 0;
  };
  return {channel((std::cos((w - 0.5) * pi) + 1) / 2), channel((std::cos((w - 1) * pi) + 1) / 2),
          channel((1 - std::cos((w - 0.5) * pi)) / 2)};
}

}  // namespace korvel
