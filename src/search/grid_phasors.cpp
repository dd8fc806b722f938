#include "search/grid_phasors.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvel {

namespace {

// The cycles f * dt reduced to [0, 1) before the angle keep large f * dt exact.
double AngleOf(double f, double dt) {
  const double cycles = f * dt;
  return 2 * std::numbers::pi * (cycles - std::floor(cycles));
}

// Above this many cycles between a frequency and its place on the ideal grid
// the Taylor series of the turn would lose digits: computed directly instead.
constexpr double kMaxDriftCycles = 1e-4;

}  // namespace

GridPhasors::GridPhasors(const Offsets& dt, double origin, double step, kernels::Isa isa)
    : dt_(dt),
      origin_(origin),
      step_(step),
      stepping_(std::isfinite(step) && step > 0 && std::isfinite(origin)),
      isa_(isa),
      cos_(dt.values.size()),
      sin_(dt.values.size()) {
  if (!stepping_) return;
  Direct(step, rotCos_, rotSin_);
  anchorCos_.resize(dt.values.size());
  anchorSin_.resize(dt.values.size());
  runCos_.resize(dt.values.size());
  runSin_.resize(dt.values.size());
}

void GridPhasors::Direct(double f, std::vector<double>& c, std::vector<double>& s) const {
  const size_t n = dt_.values.size();
  c.resize(n);
  s.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const double angle = AngleOf(f, dt_.values[i]);
    c[i] = std::cos(angle);
    s[i] = std::sin(angle);
  }
}

void GridPhasors::At(double f) {
  const double steps = (f - origin_) / step_;
  if (!stepping_ || !(steps >= 0 && steps < 0x1.0p50)) return Direct(f, cos_, sin_);
  const auto k = static_cast<int64_t>(std::llround(steps));
  const int64_t segment = k / kSegment, m = k - segment * kSegment;
  const double anchor = origin_ + static_cast<double>(segment * kSegment) * step_;
  const double drift = (f - anchor) - static_cast<double>(m) * step_;
  const double reach = std::max(std::fabs(dt_.min), std::fabs(dt_.max));
  if (!(std::fabs(drift) * reach <= kMaxDriftCycles)) return Direct(f, cos_, sin_);

  const size_t n = dt_.values.size();
  if (segment != segment_) {
    Direct(anchor, anchorCos_, anchorSin_);
    segment_ = segment;
    steps_ = m + 1;  // forces the restart below
  }
  if (m < steps_) {
    runCos_ = anchorCos_;
    runSin_ = anchorSin_;
    steps_ = 0;
  }
  for (; steps_ < m; ++steps_)
    kernels::RotatePhasors(runCos_.data(), runSin_.data(), rotCos_.data(), rotSin_.data(), n, isa_);
  if (drift == 0) {
    cos_ = runCos_;
    sin_ = runSin_;
    return;
  }
  // The drift's turn: |e| <= 2 pi 1e-4, so the terms left out are below 1e-15.
  kernels::TurnPhasors(runCos_.data(), runSin_.data(), dt_.values.data(),
                       2 * std::numbers::pi * drift, n, cos_.data(), sin_.data(), isa_);
}

}  // namespace korvel
