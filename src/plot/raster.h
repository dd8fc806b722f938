// Which pixels a line and a rectangle outline light: the one rule shared by
// every raster surface, so that the window's image, the files and the test
// canvas hold the same pixels, and an XOR figure drawn twice restores the
// picture (each pixel is visited exactly once).
#pragma once

#include <algorithm>
#include <cstdlib>

namespace korvel {

// The pixels of a line from (x1, y1) to (x2, y2), the end pixel excluded
// (Bresenham along the major axis).
template <class F>
void ForEachLinePixel(int x1, int y1, int x2, int y2, F&& pixel) {
  const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  const int steps = std::max(dx, dy);
  int x = x1, y = y1;
  if (dx >= dy) {
    int err = 2 * dy - dx;
    for (int k = 0; k < steps; ++k) {
      pixel(x, y);
      if (err > 0) {
        y += sy;
        err -= 2 * dx;
      }
      err += 2 * dy;
      x += sx;
    }
  } else {
    int err = 2 * dx - dy;
    for (int k = 0; k < steps; ++k) {
      pixel(x, y);
      if (err > 0) {
        x += sx;
        err -= 2 * dy;
      }
      err += 2 * dx;
      y += sy;
    }
  }
}

// The corners of a rectangle (x1, y1, x2, y2) in any order, normalised: the
// right and bottom edges lie at right - 1 and bottom - 1.
struct PixelRect {
  int left, top, right, bottom;  // inclusive; empty when right < left or bottom < top
  bool Empty() const { return right < left || bottom < top; }
};
inline PixelRect NormalRect(int x1, int y1, int x2, int y2) {
  return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) - 1, std::max(y1, y2) - 1};
}

// Every pixel of the outline once.
template <class F>
void ForEachOutlinePixel(const PixelRect& r, F&& pixel) {
  if (r.Empty()) return;
  for (int x = r.left; x <= r.right; ++x) pixel(x, r.top);
  if (r.bottom == r.top) return;
  for (int x = r.left; x <= r.right; ++x) pixel(x, r.bottom);
  for (int y = r.top + 1; y < r.bottom; ++y) {
    pixel(r.left, y);
    if (r.right != r.left) pixel(r.right, y);
  }
}

// Every pixel inside the outline once, within a width x height surface.
template <class F>
void ForEachInteriorPixel(const PixelRect& r, int width, int height, F&& pixel) {
  const int y0 = std::max(r.top + 1, 0), y1 = std::min(r.bottom - 1, height - 1);
  const int x0 = std::max(r.left + 1, 0), x1 = std::min(r.right - 1, width - 1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) pixel(x, y);
}

}  // namespace korvel
