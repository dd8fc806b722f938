// What each trial leaves behind: its spectrum column and, when it ranks, a
// place in the list of the 20 best trials; and the texts of that list.
#pragma once

#include <string>

#include "core/analysis_state.h"
#include "search/trial_grid.h"

namespace korvel {

// Best-list value of an empty place: a theta of 10 (Lafler-Kinman, secondary
// period) is far above any real trial; an amplitude of 0 (Deeming) below.
inline constexpr double kEmptyTheta = 10;
inline constexpr double kEmptyAmplitude = 0;

// Every place := (period 0, value, frequency 0).
void InitBestList(AnalysisState& s, double emptyValue);

// Spectrum arrays cleared, SpecMax 0, SpecMin 100, the drawn range 0.
void ClearSpectrum(AnalysisState& s);

// Records the plotted value of the trial at Freq: SpecCol, the column's
// SpecHigh and SpecLow (0 in both marks a column no trial has reached), and
// the running SpecMax and SpecMin. Inline: it runs once per trial.
inline void RecordSpectrum(AnalysisState& s, double value) {
  const int32_t c = SpectrumColumn(s, s.Freq);
  if (c >= 0) {
    s.SpecCol = c;
    if (s.SpecHigh[c] == 0) {
      s.SpecHigh[c] = value;
      s.SpecLow[c] = value;
    } else {
      if (s.SpecHigh[c] < value) s.SpecHigh[c] = value;
      if (s.SpecLow[c] > value) s.SpecLow[c] = value;
    }
  }
  if (value > s.SpecMax) s.SpecMax = value;
  if (s.SpecMin == 0) s.SpecMin = 100;
  if (value < s.SpecMin) s.SpecMin = value;
}

// Inserts (1/Freq, value, Freq) at the first place whose value it beats
// strictly; the places below move down and the 20th drops out, so among
// equal values the earlier trial stays first. Nearly every trial misses the
// list, which the inline test settles; Place* do the rest. Smallest first:
void PlaceSmallest(AnalysisState& s, double value);
inline void RankSmallest(AnalysisState& s, double value) {
  if (!(value > s.BestParam[kBestPlaces])) PlaceSmallest(s, value);
}
// Largest first; a value equal to the 20th is not admitted:
void PlaceLargest(AnalysisState& s, double value);
inline void RankLargest(AnalysisState& s, double value) {
  if (!(value < s.BestParam[kBestPlaces])) PlaceLargest(s, value);
}

// How many places of the best list hold a trial: fewer than 20 when the
// search made fewer trials (the rest keep the empty value, period 0).
int FilledBestPlaces(const AnalysisState& s);

// One cell of the results grid as the window and korvel-batch show it: row
// 0 is the header ("Period", "Parameter", "Frequency"), rows 1 .. 20 the
// best list with the period and the frequency to 7 decimals and the value
// to 3.
std::string GridCellText(const AnalysisState& s, int row, int column);

}  // namespace korvel
