// stat.dat: the significance levels of spectrum peaks, taken from the
// amplitude distribution of the last Deeming run (on reshuffled magnitudes
// they describe noise at the same dates) and read back later to be drawn on
// the spectrum of the real data. Also the magnitude/intensity switch of the
// ordinate.
#pragma once

#include <string>

#include "core/analysis_state.h"
#include "search/significance.h"  // SignificanceLevels, which Save statistics runs

namespace korvel {

inline constexpr const char* kStatFileName = "stat.dat";
inline constexpr const char* kNoDistribution =
    "No amplitude distribution yet: run a Deeming search first...";

struct StatSaveResult {
  bool written = false;
  std::string text;  // status text when written, else the message to show
};

// Save statistics: the four levels (SignificanceLevels of search/significance), then line 5 ("0 " and
// the number of trials) and one line per class 0 .. AmpTopBin (upper amplitude, cumulative per
// cent); sets StatLoaded. Before any Deeming run (no trial counted) nothing is written and the
// result carries kNoDistribution. Throws "I/O error %d" when the file cannot be written.
StatSaveResult WriteStatistics(AnalysisState& s, const std::string& path = kStatFileName);

// Stat: StatFromFile := true, then reads the four levels (the percentage of
// each line is skipped) into SigLevel and sets StatLoaded. A missing file or
// fewer than four numeric lines throw, leaving SigLevel and StatLoaded as
// they were.
void ReadStatistics(AnalysisState& s, const std::string& path = kStatFileName);

// Mag/Int: magnitudes (down the axis, "Mag") or intensities (up, "Flux").
void ToggleMagMode(AnalysisState& s);

}  // namespace korvel
