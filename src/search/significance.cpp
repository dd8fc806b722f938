#include "search/significance.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "core/text_format.h"

namespace korvel {

namespace {

void DoubleScale(AmpDistribution& d) {
  d.AmpScale *= 2;
  for (int k = 1; k <= 50; ++k) d.AmpHist[k - 1] = d.AmpHist[2 * k - 2] + d.AmpHist[2 * k - 1];
  d.AmpHist[50] = d.AmpHist[100];
  std::fill(d.AmpHist.begin() + 51, d.AmpHist.end(), 0);
}

}  // namespace

void ResetAmpDistribution(AmpDistribution& d) {
  d.AmpTrials = 0;
  d.AmpScale = -1;
  d.AmpHist.fill(0);
}

void CountAmplitudeBeyondScale(AmpDistribution& d, double a, double& sumSquares) {
  // Finite magnitudes give finite amplitudes; anything else would double the
  // scale for ever (infinity) or index no bin (NaN). It is still counted, in
  // the top bin, so the bins keep adding up to the trials.
  if (!std::isfinite(a) || a < 0) {
    ++d.AmpHist[100];
    ++d.AmpTrials;
    if (d.AmpScale < 0) d.AmpScale = 0;
    return;
  }
  if (d.AmpScale < 0) {
    d.AmpScale = a;
    d.AmpHist[100] = 1;
    d.AmpTrials = 1;
    sumSquares = a * a;
    return;
  }
  if (d.AmpScale == 0) {
    if (a > 0) {
      d.AmpHist[0] = d.AmpHist[100];
      d.AmpHist[100] = 0;
      d.AmpScale = a;
    }
  } else if (a > d.AmpScale) {
    while (!(d.AmpScale > a)) DoubleScale(d);
  }
  int bin = 100;
  // 0 <= a <= AmpScale here, so the class is within 0 .. 100 before it
  // becomes an int.
  if (d.AmpScale > 0)
    bin = static_cast<int>(std::clamp(std::trunc(a / d.AmpScale * 100), 0.0, 100.0));
  ++d.AmpHist[static_cast<size_t>(bin)];
  ++d.AmpTrials;
  sumSquares += a * a;
}

std::optional<std::string> FinishAmpDistribution(AmpDistribution& d, double sumSquares) {
  d.AmpLevel.fill(0);
  d.AmpCumPct.fill(0);
  d.AmpTopBin = 0;
  if (d.AmpTrials <= 0) {
    d.Sigma = 0;
    return std::nullopt;
  }
  d.Sigma = std::sqrt(sumSquares / static_cast<double>(d.AmpTrials));
  int64_t total = 0;
  for (int k = 0; k <= 100; ++k) {
    if (d.AmpHist[k] != 0) d.AmpTopBin = k;
    total += d.AmpHist[k];
  }
  int64_t cumulative = 0;
  for (int k = 0; k <= d.AmpTopBin; ++k) {
    cumulative += d.AmpHist[k];
    d.AmpLevel[k] = d.AmpScale / 100 * (k + 1);
    d.AmpCumPct[k] = static_cast<double>(cumulative) / static_cast<double>(d.AmpTrials) * 100;
  }
  if (total != d.AmpTrials)
    return "Discount in Total Number: " + std::to_string(d.AmpTrials) +
           " Sum:" + std::to_string(total);
  return std::nullopt;
}

std::string DeemingSummary(const AmpDistribution& d) {
  return "Done... " + DeemingCounts(d);
}

std::string DeemingCounts(const AmpDistribution& d) {
  return "N=" + std::to_string(d.AmpTrials) + ";   Sigma=" + Str(d.Sigma, 7, 5);
}

double SigPercentage(int j) {
  return 100 - IntPower(10, 2 - j);
}

namespace {

double LevelAt(const AmpDistribution& d, double x) {
  for (int k = d.AmpTopBin - 1; k >= 0; --k) {
    if (d.AmpCumPct[k] < x) {
      const double rise = d.AmpCumPct[k + 1] - d.AmpCumPct[k];
      if (!(rise > 0)) return d.AmpLevel[k + 1];
      return d.AmpLevel[k] + (d.AmpLevel[k + 1] - d.AmpLevel[k]) * (x - d.AmpCumPct[k]) / rise;
    }
  }
  return d.AmpLevel[0];
}

}  // namespace

SigLevels SignificanceLevels(const AmpDistribution& d) {
  SigLevels levels{};
  for (int j = 1; j <= 4; ++j) levels[static_cast<size_t>(j)] = LevelAt(d, SigPercentage(j));
  return levels;
}

}  // namespace korvel
