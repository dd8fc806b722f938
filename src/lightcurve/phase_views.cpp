#include "lightcurve/phase_views.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/numeric.h"

namespace korvel {

void ComputePhases(AnalysisState& s) {
  for (int32_t i = 1; i <= s.NObs; ++i) s.Phase[i] = Frac((s.JD[i] - s.Epoch) / s.Period);
}

BinPlace SecondaryBinPlace(const AnalysisState& s, int32_t i) {
  const double u = Frac((s.JD[i] - s.Epoch) / s.Period + 0.5);
  const double v = Frac((s.JD[i] - s.ExtrDate) / s.P2 - 0.5 / s.NBins);
  // v may be exactly 1 (a negative whole number): keep it in the last panel.
  // Clamped as a double: a NaN or huge whole part must not reach the integer
  // conversion (a zero secondary period, dates far out).
  const double whole = IntBelow(v * s.NBins);
  const int32_t last = std::max(s.NBins - 1, 0);
  const int32_t bin = whole >= 0 ? static_cast<int32_t>(std::min(whole, double(last))) : 0;
  return {bin, bin + u};
}

double SecondaryColourParam(const AnalysisState& s, int32_t i) {
  return 2 * Frac((s.JD[i] - s.ExtrDate) / s.P2);
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
