#include "plot/spectrum_geometry.h"

#include <algorithm>

#include "plot/axes.h"

namespace korvel {

namespace {

// Room around the region at any size: 80 pixels left for the value labels,
// 174 right for the significance labels, 50 above for the title and 132 below
// for the frequency labels, its title and the secondary elements. The region
// never shrinks below its size on the default surface: the tick steps are
// chosen for at least 480 x 250 pixels, so a smaller window clips the picture
// rather than crowding its labels.
constexpr int kLeft = 80, kTop = 50;
constexpr int kSideMargins = 254, kTopAndBottomMargins = 182;
constexpr int kMinimumWidth = 480, kMinimumHeight = 250;

}  // namespace

SpectrumGeometry::SpectrumGeometry(SurfaceSize surface)
    : left(kLeft),
      top(kTop),
      right(kLeft + std::max(surface.width - kSideMargins, kMinimumWidth)),
      bottom(kTop + std::max(surface.height - kTopAndBottomMargins, kMinimumHeight)),
      columnWidth(static_cast<double>(right - left) / (kSpecColumns - 1)) {}

int SpectrumGeometry::ColumnX(int column) const {
  return left + ToPixel(column * columnWidth);
}

}  // namespace korvel
