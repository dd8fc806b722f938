#include "plot/error_bars.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace korvel {

double ObservationError(const AnalysisState& s, int32_t i) {
  if (i < 1 || static_cast<size_t>(i) >= s.Err.size())
    return std::numeric_limits<double>::quiet_NaN();
  return s.Err[static_cast<size_t>(i)];
}

void DrawErrorBar(Canvas& c, const ValueMap& map, int x, double value, double err, Rgb colour) {
  if (!(err > 0) || !std::isfinite(err) || !map.range.usable) return;
  const double low = std::clamp(value - err, map.range.low, map.range.high);
  const double high = std::clamp(value + err, map.range.low, map.range.high);
  if (!std::isfinite(low) || !std::isfinite(high)) return;
  int y1 = map.Y(low), y2 = map.Y(high);
  if (y1 > y2) std::swap(y1, y2);
  // Drawn pixel by pixel, so that the pen and its mode stay as they were.
  for (int y = y1; y <= y2; ++y) c.SetPixel(x, y, colour);
}

}  // namespace korvel
