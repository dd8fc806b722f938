// The moving average over the phase on plain values.
#include "lightcurve/moving_average.h"

#include <algorithm>
#include <cmath>

namespace korvel {

namespace {

// Whether phase phi lies in the window of centre c and half-length h, and
// the phase it enters the sums with: a window across phase 0 takes the
// phases near 1 as negative, one across phase 1 the phases near 0 as above 1.
bool InWindow(double phi, double c, double h, double& x) {
  x = phi;
  if (c - h < 0) {
    if (phi > 1 + c - h) {
      x = phi - 1;
      return true;
    }
    return phi < c + h;
  }
  if (c + h > 1) {
    if (phi < c + h - 1) {
      x = phi + 1;
      return true;
    }
    return phi > c - h;
  }
  return c - h < phi && phi < c + h;
}

// Mean point k of the window of centre c: the sums, then the scatter about
// the means in a second pass over the same members.
void AverageWindow(std::span<const double> phases, std::span<const double> mags, double c, double h,
                   MeanCurve& curve, size_t k) {
  double x = 0;
  for (size_t i = 0; i < phases.size(); ++i)
    if (InWindow(phases[i], c, h, x)) {
      curve.count[k] += 1;
      curve.phase[k] += x;
      curve.mag[k] += mags[i];
    }
  const double count = curve.count[k];
  if (count == 0) return;
  curve.phase[k] /= count;
  if (curve.phase[k] < 0) curve.phase[k] = 0;
  curve.mag[k] /= count;
  const double phase = curve.phase[k], mag = curve.mag[k];
  for (size_t i = 0; i < phases.size(); ++i)
    if (InWindow(phases[i], c, h, x)) {
      curve.magErr[k] += (mags[i] - mag) * (mags[i] - mag);
      curve.phaseErr[k] += (x - phase) * (x - phase);
    }
  if (count > 1) {
    curve.phaseErr[k] = std::sqrt(curve.phaseErr[k] / (count - 1)) / std::sqrt(count);
    curve.magErr[k] = std::sqrt(curve.magErr[k] / (count - 1)) / std::sqrt(count);
  } else {
    curve.phaseErr[k] = curve.magErr[k] = 0;
  }
}

void ErasePoint(MeanCurve& curve, size_t k) {
  for (std::vector<double>* column :
       {&curve.count, &curve.phase, &curve.mag, &curve.phaseErr, &curve.magErr})
    column->erase(column->begin() + static_cast<std::ptrdiff_t>(k));
}

// An empty window has no mean; of two equal mean phases the first goes (the
// interpolation between them would divide by zero).
void Compact(MeanCurve& curve) {
  for (size_t k = 0; k + 1 < curve.size();) {
    if (curve.count[k] == 0 || curve.phase[k] == curve.phase[k + 1])
      ErasePoint(curve, k);
    else
      ++k;
  }
  if (curve.size() >= 1 && curve.count.back() == 0) ErasePoint(curve, curve.size() - 1);
}

}  // namespace

MeanCurve MovingAverage(std::span<const double> phases, std::span<const double> mags,
                        const MeanCurveParameters& p) {
  const int32_t n = std::max(p.points, 0);
  const double h = 0.5 * p.binLength;
  MeanCurve curve;
  for (std::vector<double>* column :
       {&curve.count, &curve.phase, &curve.mag, &curve.phaseErr, &curve.magErr})
    column->assign(static_cast<size_t>(n), 0.0);
  for (int32_t k = 0; k < n; ++k)
    AverageWindow(phases, mags, static_cast<double>(k) / n, h, curve, static_cast<size_t>(k));
  Compact(curve);
  for (size_t k = 0; k < curve.size(); ++k) {
    if (curve.mag[k] + curve.magErr[k] > curve.magHigh)
      curve.magHigh = curve.mag[k] + curve.magErr[k];
    if (curve.mag[k] - curve.magErr[k] < curve.magLow)
      curve.magLow = curve.mag[k] - curve.magErr[k];
  }
  return curve;
}

MeanCurve MovingAverage(std::span<const double> dates, std::span<const double> mags,
                        const Ephemeris& e, const MeanCurveParameters& p) {
  return MovingAverage(Phases(dates, e), mags, p);
}

}  // namespace korvel
