#include "search/engine_support.h"

#include <algorithm>
#include <cmath>

namespace korvel {

std::optional<std::string> CheckObservations(const AnalysisState& s, bool needsVariance) {
  if (s.NObs <= 0) return kNoObservations;
  const size_t need = static_cast<size_t>(s.NObs) + 1;
  if (s.JD.size() < need || s.Mag.size() < need) return kArraysMismatch;
  if (needsVariance) {
    if (!std::isfinite(s.MagVar)) return kVarianceNotFinite;
    if (!(s.MagVar > 0)) return kConstantMagnitudes;
  }
  return std::nullopt;
}

std::optional<std::string> CheckSecondaryParameters(const AnalysisState& s) {
  if (!(s.Period > 0) || !std::isfinite(s.Period)) return kErrorInPeriod;
  if (s.NBins < 2) return kErrorInBins;
  if (s.NBins > 255) return kTooManyBins;
  if (s.SecPMode == 1 && s.NObs <= s.NBins) return kTooFewForBins;
  return std::nullopt;
}

std::optional<std::string> CheckGrid(const AnalysisState& s) {
  if (!std::isfinite(s.Freq) || !std::isfinite(s.FreqEnd) || !std::isfinite(s.FreqLo) ||
      !std::isfinite(s.FreqScale) || !(s.FreqStep > 0) || !std::isfinite(s.FreqStep))
    return kGridNotSet;
  return std::nullopt;
}

void EnsureWorkArrays(AnalysisState& s) {
  const size_t need = static_cast<size_t>(s.NObs) + 1;
  for (rarray* a : {&s.Phase, &s.SortPhase, &s.WMag})
    if (a->size() < need) a->resize(need, 0.0);
  if (s.BinOf.size() < need) s.BinOf.resize(need, 0);
  if (s.BinByte.size() < need) s.BinByte.resize(need, 0);
}

void RefuseRun(AnalysisState& s, SearchHooks& hooks, const std::string& reason) {
  s.RunCode = 'e';
  hooks.SetStatus(reason);
  hooks.RequestRepaint();
}

RunBracket::RunBracket(AnalysisState& s, SearchHooks& hooks) : s_(s), hooks_(hooks) {
  hooks_.SetTimerEnabled(true);
}

RunBracket::~RunBracket() {
  if (!finished_) Finish();
}

void RunBracket::Finish() {
  finished_ = true;
  hooks_.SetTimerEnabled(false);
  s_.RunCode = 'e';
}

Offsets OffsetsFrom(const rarray& x, int32_t n, double origin) {
  Offsets o;
  o.values.resize(static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i) o.values[static_cast<size_t>(i - 1)] = x[i] - origin;
  if (n > 0) {
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
