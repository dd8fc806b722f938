// Where the search spectrum lies on a plot surface of a given size: the one
// rule the drawing and the mouse read-out share. At the default surface of
// 734 x 432 the columns 0 .. 480 lie at x = 80 .. 560 and the statistic spans
// y = 300 (SpecMin) up to y = 50 (SpecMax); a larger surface widens and
// heightens that region, keeping the margins the labels need; a smaller one
// clips it.
#pragma once

#include "core/search_sizes.h"
#include "plot/canvas.h"

namespace korvel {

// A plot surface's size in pixels; the default is the window's initial one.
struct SurfaceSize {
  int width = 734, height = 432;
};

inline SurfaceSize SizeOf(const Canvas& c) {
  return {c.Width(), c.Height()};
}

// Columns 0 .. kSpecColumns - 1 run from left to right; SpecMin lies at
// bottom and SpecMax at top.
struct SpectrumGeometry {
  explicit SpectrumGeometry(SurfaceSize surface);

  int left, top, right, bottom;
  double columnWidth;  // pixels per spectrum column: 1 on the default surface

  int ColumnX(int column) const;
};

}  // namespace korvel
