// What each trial leaves behind in a result: its display column and, when it
// ranks, a place in the list of the 20 best trials; and the texts of that
// list.
#pragma once

#include <cmath>
#include <string>

#include "search/search_values.h"
#include "search/trial_grid.h"
#include "search/trial_loop.h"

namespace korvel {

// Best-list value of an empty place: a theta of 10 (Lafler-Kinman, secondary
// period) is far above any real trial; an amplitude of 0 (Deeming) below.
inline constexpr double kEmptyTheta = 10;
inline constexpr double kEmptyAmplitude = 0;

// Every place := (period 0, value, frequency 0).
BestList EmptyBestList(double emptyValue);

// Records the plotted value of the trial at freq: the last column, the
// column's high and low (0 in both marks a column no trial has reached), and
// the running max and min. Inline: it runs once per trial.
inline void RecordSpectrum(DisplayColumns& d, const TrialGrid& g, double freq, double value) {
  const int32_t c = SpectrumColumn(g, freq);
  if (c >= 0) {
    d.last = c;
    double& high = d.high[static_cast<size_t>(c)];
    double& low = d.low[static_cast<size_t>(c)];
    if (high == 0) {
      high = value;
      low = value;
    } else {
      if (high < value) high = value;
      if (low > value) low = value;
    }
  }
  if (value > d.max) d.max = value;
  if (d.min == 0) d.min = 100;
  if (value < d.min) d.min = value;
}

// Inserts (1/freq, value, freq) at the first place whose value it beats
// strictly; the places below move down and the 20th drops out, so among
// equal values the earlier trial stays first. Nearly every trial misses the
// list, which the inline test settles; Place* do the rest. Smallest first:
void PlaceSmallest(BestList& b, double freq, double value);
inline void RankSmallest(BestList& b, double freq, double value) {
  if (!(value > b[kBestPlaces - 1].value)) PlaceSmallest(b, freq, value);
}
// Largest first; a value equal to the 20th is not admitted:
void PlaceLargest(BestList& b, double freq, double value);
inline void RankLargest(BestList& b, double freq, double value) {
  if (!(value < b[kBestPlaces - 1].value)) PlaceLargest(b, freq, value);
}

// The bookkeeping of one trial whose statistic is its ranking value: kept in
// the statistic, ranked, and plotted as it is (largest best) or as its
// inverse (smallest best), so that the best trials always peak upwards. A
// statistic that is not finite is kept as NaN and neither plotted nor
// ranked. Always true: the search goes on.
inline bool KeepRankedTrial(SearchResult& r, double value, bool smaller) {
  KeepTrial(r.statistic, value, smaller);
  r.lastValue = value;
  if (!std::isfinite(value)) return true;
  const double plotted = smaller ? 1 / value : value;
  if (std::isfinite(plotted)) RecordSpectrum(r.display, r.grid, r.freq, plotted);
  if (smaller)
    RankSmallest(r.best, r.freq, value);
  else
    RankLargest(r.best, r.freq, value);
  return true;
}

// How many places hold a trial: fewer than 20 when the search made fewer
// trials (the rest keep the empty value, period 0).
int FilledPlaces(const BestList& b);

// One cell of the results grid as the window and korvel-batch show it: row
// 0 is the header ("Period", "Parameter", "Frequency"), rows 1 .. 20 the
// places with the period and the frequency to 7 decimals and the value to 3.
std::string BestCellText(const BestList& b, int row, int column);

}  // namespace korvel
