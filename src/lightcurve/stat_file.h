// stat.dat: the significance levels of spectrum peaks, taken from the
// amplitude distribution of the last Deeming run (on reshuffled magnitudes
// they describe noise at the same dates) and read back later to be drawn on
// the spectrum of the real data. Also the direction and label of the
// ordinate for magnitudes and intensities.
#pragma once

#include <array>
#include <span>
#include <string>

#include "core/amp_distribution.h"
#include "search/significance.h"  // SignificanceLevels, which Save statistics runs

namespace korvel {

inline constexpr const char* kStatFileName = "stat.dat";
inline constexpr const char* kNoDistribution =
    "No amplitude distribution yet: run a Deeming search first...";

// The four levels (at SigPercentage(1 .. 4)), then line 5 ("0 " and the number
// of trials) and one line per class 0 .. AmpTopBin (upper amplitude, cumulative
// per cent). Throws "I/O error %d" when the file cannot be written.
void WriteStatFile(const AmpDistribution& d, std::span<const double, 4> levels,
                   const std::string& path);

// The four levels of lines 1 .. 4 (the percentage of each line is skipped). A
// missing file or fewer than four numeric lines throw.
std::array<double, 4> ReadSignificanceLevels(const std::string& path);

// The ordinate: magnitudes grow down the axis ("Mag"), intensities up ("Flux").
struct OrdinateDirection {
  int32_t flip, sign;
  const char* label;
};
OrdinateDirection OrdinateFor(bool magnitudes);

}  // namespace korvel
