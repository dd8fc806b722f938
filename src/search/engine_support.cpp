#include "search/engine_support.h"

#include <algorithm>
#include <cmath>

namespace korvel {

std::optional<std::string> CheckObservations(const Observations& o, bool needsVariance) {
  if (o.jd.empty()) return kNoObservations;
  if (o.mag.size() != o.jd.size()) return kArraysMismatch;
  if (needsVariance) {
    if (!std::isfinite(o.magVar)) return kVarianceNotFinite;
    if (!(o.magVar > 0)) return kConstantMagnitudes;
  }
  return std::nullopt;
}

std::optional<std::string> CheckSecondaryElements(const SecondaryElements& e, size_t observations) {
  if (!(e.period > 0) || !std::isfinite(e.period)) return kErrorInPeriod;
  if (e.bins < 2) return kErrorInBins;
  if (e.bins > 255) return kTooManyBins;
  if (e.mode == 1 && observations <= static_cast<size_t>(e.bins)) return kTooFewForBins;
  return std::nullopt;
}

std::optional<std::string> CheckGrid(const TrialGrid& g, double freq) {
  if (!std::isfinite(freq) || !std::isfinite(g.freqEnd) || !std::isfinite(g.freqLo) ||
      !std::isfinite(g.scale) || !(g.step > 0) || !std::isfinite(g.step))
    return kGridNotSet;
  return std::nullopt;
}

Offsets OffsetsFrom(std::span<const double> x, double origin) {
  Offsets o;
  o.values.resize(x.size());
  for (size_t i = 0; i < x.size(); ++i) o.values[i] = x[i] - origin;
  if (!x.empty()) {
    const auto [lo, hi] = std::minmax_element(o.values.begin(), o.values.end());
    o.min = *lo;
    o.max = *hi;
  }
  return o;
}

kernels::Isa FoldIsa(const Offsets& t, double f, double c) {
  return kernels::VectorFoldIsExact(t.min, t.max, f, c) ? kernels::BestIsa() : kernels::Isa::Scalar;
}

std::optional<kernels::Isa> FoldIsaOfRun(const Offsets& t, const double* f, size_t count,
                                         double c) {
  const kernels::Isa isa = FoldIsa(t, f[0], c);
  if (isa != FoldIsa(t, f[count - 1], c)) return std::nullopt;
  return isa;
}

}  // namespace korvel
