#include "search/trial_record.h"

#include <cmath>

#include "core/text_format.h"

namespace korvel {

namespace {

void InsertAt(BestList& b, int place, double freq, double value) {
  for (int k = kBestPlaces - 1; k > place; --k)
    b[static_cast<size_t>(k)] = b[static_cast<size_t>(k - 1)];
  b[static_cast<size_t>(place)] = {1 / freq, value, freq};
}

// A frequency of 0 (only from a damaged condition file) has no period.
bool HasPeriod(double freq) {
  return std::isfinite(1 / freq);
}

}  // namespace

BestList EmptyBestList(double emptyValue) {
  BestList b;
  for (BestTrial& t : b) t = {0, emptyValue, 0};
  return b;
}

void PlaceSmallest(BestList& b, double freq, double value) {
  if (value > b[kBestPlaces - 1].value || !HasPeriod(freq)) return;
  for (int k = 0; k < kBestPlaces; ++k) {
    if (value < b[static_cast<size_t>(k)].value) {
      InsertAt(b, k, freq, value);
      return;
    }
  }
}

void PlaceLargest(BestList& b, double freq, double value) {
  if (value < b[kBestPlaces - 1].value || !HasPeriod(freq)) return;
  for (int k = 0; k < kBestPlaces; ++k) {
    if (value > b[static_cast<size_t>(k)].value) {
      InsertAt(b, k, freq, value);
      return;
    }
  }
}

int FilledPlaces(const BestList& b) {
  int filled = 0;
  while (filled < kBestPlaces && b[static_cast<size_t>(filled)].period > 0) ++filled;
  return filled;
}

std::string BestCellText(const BestList& b, int row, int column) {
  static const char* const kHeaders[] = {"Period", "Parameter", "Frequency"};
  if (row == 0) return kHeaders[column];
  const BestTrial& t = b[static_cast<size_t>(row - 1)];
  switch (column) {
    case 0:
      return Str(t.period, 0, 7);
    case 1:
      return Str(t.value, 0, 3);
    default:
      return Str(t.freq, 0, 7);
  }
}

}  // namespace korvel
