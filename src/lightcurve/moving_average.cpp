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

void RemovePoint(AnalysisState& s, int32_t k, int32_t& n) {
  for (int32_t j = k; j < n; ++j) {
    s.MeanCount[j] = s.MeanCount[j + 1];
    s.MeanPhase[j] = s.MeanPhase[j + 1];
    s.MeanMag[j] = s.MeanMag[j + 1];
    s.MeanPhaseErr[j] = s.MeanPhaseErr[j + 1];
    s.MeanMagErr[j] = s.MeanMagErr[j + 1];
  }
  --n;
}

}  // namespace

void ComputeMeanCurve(AnalysisState& s) {
  // The dialog keeps N in 2 .. 99; a caller that does not must not overrun.
  int32_t n = std::clamp(s.MeanPoints, 0, AnalysisState::kMeanSize - 1);
  const double h = 0.5 * s.BinLength;
  for (int32_t k = 1; k <= n; ++k) {
    s.MeanCount[k] = s.MeanPhase[k] = s.MeanMag[k] = 0;
    s.MeanPhaseErr[k] = s.MeanMagErr[k] = 0;
    const double c = static_cast<double>(k - 1) / n;
    double x = 0;
    for (int32_t i = 1; i <= s.NObs; ++i)
      if (InWindow(s.Phase[i], c, h, x)) {
        s.MeanCount[k] += 1;
        s.MeanPhase[k] += x;
        s.MeanMag[k] += s.Mag[i];
      }
    const double count = s.MeanCount[k];
    if (count == 0) continue;
    s.MeanPhase[k] /= count;
    if (s.MeanPhase[k] < 0) s.MeanPhase[k] = 0;
    s.MeanMag[k] /= count;
    for (int32_t i = 1; i <= s.NObs; ++i)
      if (InWindow(s.Phase[i], c, h, x)) {
        s.MeanMagErr[k] += (s.Mag[i] - s.MeanMag[k]) * (s.Mag[i] - s.MeanMag[k]);
        s.MeanPhaseErr[k] += (x - s.MeanPhase[k]) * (x - s.MeanPhase[k]);
      }
    if (count > 1) {
      s.MeanPhaseErr[k] = std::sqrt(s.MeanPhaseErr[k] / (count - 1)) / std::sqrt(count);
      s.MeanMagErr[k] = std::sqrt(s.MeanMagErr[k] / (count - 1)) / std::sqrt(count);
    } else {
      s.MeanPhaseErr[k] = s.MeanMagErr[k] = 0;
    }
  }

  for (int32_t k = 1; k < n;) {
    if (s.MeanCount[k] == 0 || s.MeanPhase[k] == s.MeanPhase[k + 1])
      RemovePoint(s, k, n);
    else
      ++k;
  }
  if (n >= 1 && s.MeanCount[n] == 0) --n;
  s.MeanPoints = n;

  s.MeanMagHigh = -1000000;
  s.MeanMagLow = 1000000;
  for (int32_t k = 1; k <= n; ++k) {
    s.EditedMag[k] = s.MeanMag[k];
    if (s.MeanMag[k] + s.MeanMagErr[k] > s.MeanMagHigh)
      s.MeanMagHigh = s.MeanMag[k] + s.MeanMagErr[k];
    if (s.MeanMag[k] - s.MeanMagErr[k] < s.MeanMagLow)
      s.MeanMagLow = s.MeanMag[k] - s.MeanMagErr[k];
  }
}

}  // namespace korvel
