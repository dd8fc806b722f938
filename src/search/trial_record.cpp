#include "search/trial_record.h"

#include <cmath>

#include "core/text_format.h"
#include "search/trial_grid.h"

namespace korvel {

namespace {

void InsertAt(AnalysisState& s, int place, double value) {
  for (int k = kBestPlaces; k > place; --k) {
    s.BestPeriod[k] = s.BestPeriod[k - 1];
    s.BestParam[k] = s.BestParam[k - 1];
    s.BestFreq[k] = s.BestFreq[k - 1];
  }
  s.BestPeriod[place] = 1 / s.Freq;
  s.BestParam[place] = value;
  s.BestFreq[place] = s.Freq;
}

// A frequency of 0 (only from a damaged condition file) has no period.
bool HasPeriod(const AnalysisState& s) {
  return std::isfinite(1 / s.Freq);
}

}  // namespace

void InitBestList(AnalysisState& s, double emptyValue) {
  for (int k = 1; k <= kBestPlaces; ++k) {
    s.BestPeriod[k] = 0;
    s.BestParam[k] = emptyValue;
    s.BestFreq[k] = 0;
  }
}

void ClearSpectrum(AnalysisState& s) {
  s.SpecHigh.fill(0);
  s.SpecLow.fill(0);
  s.SpecMax = 0;
  s.SpecMin = 100;
  s.DrawnSpecMax = 0;
  s.DrawnSpecMin = 0;
}

void PlaceSmallest(AnalysisState& s, double value) {
  if (value > s.BestParam[kBestPlaces] || !HasPeriod(s)) return;
  for (int k = 1; k <= kBestPlaces; ++k) {
    if (value < s.BestParam[k]) {
      InsertAt(s, k, value);
      return;
    }
  }
}

void PlaceLargest(AnalysisState& s, double value) {
  if (value < s.BestParam[kBestPlaces] || !HasPeriod(s)) return;
  for (int k = 1; k <= kBestPlaces; ++k) {
    if (value > s.BestParam[k]) {
      InsertAt(s, k, value);
      return;
    }
  }
}

int FilledBestPlaces(const AnalysisState& s) {
  int filled = 0;
  while (filled < kBestPlaces && s.BestPeriod[filled + 1] > 0) ++filled;
  return filled;
}

std::string GridCellText(const AnalysisState& s, int row, int column) {
  static const char* const kHeaders[] = {"Period", "Parameter", "Frequency"};
  if (row == 0) return kHeaders[column];
  switch (column) {
    case 0:
      return Str(s.BestPeriod[row], 0, 7);
    case 1:
      return Str(s.BestParam[row], 0, 3);
    default:
      return Str(s.BestFreq[row], 0, 7);
  }
}

}  // namespace korvel
