// The values a period search takes and gives: the observations, the request
// and the result. Engines work on these alone; the window copies its
// document into a request and the result back (search/document_search).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/amp_distribution.h"
#include "core/search_sizes.h"

namespace korvel {

enum class SearchKind {
  LaflerKinman,
  Deeming,
  Secondary,
  LombScargle,
  MultiHarmonicAov,
  Pdm,
  ConditionalEntropy
};

// The observations, 0-based, in ascending date order. The magnitudes' mean
// and variance come with them, computed once where the set was made, so
// that every statistic divides by the same numbers bit for bit.
struct Observations {
  std::span<const double> jd, mag;
  std::span<const double> err;  // empty when the file gives no errors
  std::string band;             // empty when the file names none
  double magMean = 0, magVar = 0;
  size_t size() const { return jd.size(); }
};

// Observations over the given dates and magnitudes with their mean and
// variance (the sum of squared deviations over N), summed in date order as
// the loader sums them.
inline Observations ObservationsOf(std::span<const double> jd, std::span<const double> mag) {
  Observations o;
  o.jd = jd;
  o.mag = mag;
  if (mag.empty()) return o;
  const auto n = static_cast<double>(mag.size());
  double sum = 0, squares = 0;
  for (double m : mag) sum += m;
  o.magMean = sum / n;
  for (double m : mag) squares += (m - o.magMean) * (m - o.magMean);
  o.magVar = squares / n;
  return o;
}

// The primary light curve a secondary-period search measures against.
struct SecondaryElements {
  double period = 0;        // the primary period
  double epoch = 0;         // the secondary period's initial date
  double extremumDate = 0;  // the date of the extremal light-curve shape
  int32_t bins = 0;
  int32_t mode = 1;  // 1: secondary phases into bins; 2: primary phases into bins
};

struct SearchRequest {
  SearchKind method = SearchKind::LaflerKinman;
  double pmin = 0, pmax = 0;  // trial periods, days
  double phaseShift = 0;      // of the time span from one trial to the next
  SecondaryElements secondary;
  bool windowSpectrum = false;  // Deeming: the spectral window of the dates
  std::string spectrumFile;     // Deeming: one line per trial into it; empty: none
  int threads = 1;              // the results do not depend on it
  int64_t maxTrials = 0;        // a larger grid is refused; 0: no limit
  // What the methods beyond the first three take: multi-harmonic AoV's
  // harmonics; phase dispersion minimisation's bins and covers; conditional
  // entropy's phase and magnitude bins. Methods that do not use one ignore it.
  int harmonics = kDefaultHarmonics;
  int pdmBins = kDefaultPdmBins, pdmCovers = kDefaultPdmCovers;
  int cePhaseBins = kDefaultCePhaseBins, ceMagBins = kDefaultCeMagBins;
};

// The trial frequencies: from `start` by repeated addition of `step` while
// the sum moves and stays within freqEnd (the first trial is start + step).
// The display columns span freqLo .. freqEnd at `scale` columns per unit.
struct TrialGrid {
  double freqLo = 0, freqEnd = 0, step = 0, start = 0, scale = 0;
};

// One place of the best list; an empty place has period 0.
struct BestTrial {
  double period = 0, value = 0, freq = 0;
};
using BestList = std::array<BestTrial, kBestPlaces>;  // best first

// The spectrum as the window draws it: per display column the lowest and
// highest plotted value of its trials (0 in both: no trial reached it), the
// range of all, and the column of the last trial plotted.
struct DisplayColumns {
  std::array<double, kSpecColumns> low{}, high{};
  double min = 100, max = 0;
  int32_t last = 0;
};

// The statistic of every trial: whole while that stays below kWholeTrials
// entries; beyond, per block of `perEntry` consecutive trials the best one
// (its index in `index`), so that a search of 10^9 trials stays within a
// few hundred megabytes. A trial without a finite statistic holds NaN.
struct TrialValues {
  static constexpr int64_t kWholeTrials = 20'000'000;
  double first = 0;      // the frequency of trial 0
  double step = 0;       // each trial's frequency is the one before plus step
  int64_t trials = 0;    // trials made
  int64_t perEntry = 1;  // 1: value[k] is trial k's statistic
  std::vector<double> value;
  std::vector<int64_t> index;  // empty when whole
  bool Whole() const { return perEntry == 1; }
};

// A request checked against its observations, with its grid and the number
// of trials it will make (PrepareSearch in search/search_pipeline).
struct PreparedSearch {
  SearchRequest request;
  TrialGrid grid;
  double trials = 0;
};

struct SearchResult {
  SearchKind method = SearchKind::LaflerKinman;
  TrialGrid grid;
  double freq = 0;       // the trial frequency reached (past freqEnd once exhausted)
  double lastValue = 0;  // the statistic of the last trial
  TrialValues statistic;
  BestList best;
  DisplayColumns display;
  std::optional<AmpDistribution> amplitudes;  // Deeming
  double primaryTheta = 0;                    // secondary period: the yardstick
  double span = 0;                            // of the observations' dates, days
  bool completed = false;                     // the grid ran to its end
  // A note for the user after the run (Deeming: the histogram lost a trial).
  std::optional<std::string> notice;
};

}  // namespace korvel
