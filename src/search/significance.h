// Significance of spectrum peaks: the distribution of the trial amplitudes
// of a Deeming run, kept in a fixed 101-bin histogram whose full scale
// doubles whenever a larger amplitude arrives (so that no list of all
// amplitudes is stored), and the levels its percentiles give. Made on
// reshuffled magnitudes, the levels describe noise at the same dates
// (Deeming 1975, Astrophys. Space Sci. 36, 137). stat.dat, where the levels
// are kept between runs, is read and written in lightcurve/stat_file.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>

#include "core/amp_distribution.h"

namespace korvel {

// A run's distribution starts empty with the scale unset (-1).
void ResetAmpDistribution(AmpDistribution& d);

// The part of CountAmplitude beyond the quick case: the first amplitude, a
// zero scale, an amplitude above the scale and one that is not finite.
void CountAmplitudeBeyondScale(AmpDistribution& d, double a, double& sumSquares);

// Counts one amplitude a >= 0 and adds a^2 to sumSquares. The first sets the
// scale (and lands in bin 100); a larger one doubles the scale, merging bin
// pairs, until the scale exceeds it; an amplitude equal to the scale is bin
// 100. While every amplitude so far is 0 the scale is 0 and they wait in bin
// 100; the first positive amplitude becomes the scale and moves them to
// bin 0. Inline for the loop of a search, where nearly every trial is a
// finite amplitude within the scale: a / AmpScale is then at most 1, so the
// class is 0 .. 100 without clamping.
inline void CountAmplitude(AmpDistribution& d, double a, double& sumSquares) {
  if (d.AmpScale > 0 && a >= 0 && a <= d.AmpScale && std::isfinite(a)) {
    ++d.AmpHist[static_cast<size_t>(a / d.AmpScale * 100)];
    ++d.AmpTrials;
    sumSquares += a * a;
    return;
  }
  CountAmplitudeBeyondScale(d, a, sumSquares);
}

// End of a run: Sigma, AmpTopBin, and AmpLevel / AmpCumPct for bins
// 0 .. AmpTopBin (zero above). With no trial counted everything is 0.
// Returns the "Discount in Total Number" text when the bins do not add up to
// AmpTrials, which would mean the histogram lost a trial.
std::optional<std::string> FinishAmpDistribution(AmpDistribution& d, double sumSquares);

// "Done... " + DeemingCounts(d).
std::string DeemingSummary(const AmpDistribution& d);
// "N=<trials>;   Sigma=<Sigma, 7 wide, 5 decimals>".
std::string DeemingCounts(const AmpDistribution& d);

// The percentage of significance level j = 1 .. 4: 90, 99, 99.9, 99.99.
double SigPercentage(int j);

// The significance levels: element j = 1 .. 4 the amplitude below which SigPercentage(j) per
// cent of the trials fall, interpolated linearly between the upper edges of
// the histogram classes. Where no class lies below the percentage the level
// is the lowest class amplitude AmpLevel[0]. Element 0 is unused (0).
using SigLevels = std::array<double, 5>;
SigLevels SignificanceLevels(const AmpDistribution& d);

}  // namespace korvel
