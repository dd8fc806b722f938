// A Canvas for the fuzz targets: it keeps no pixels, but walks every line and
// outline pixel by the shared raster rule, as the window's canvas does. A
// picture whose coordinates run far off the surface then costs here what it
// costs on screen, and a line of billions of pixels shows as a hang.
#pragma once

#include <cstdint>
#include <string>

#include "plot/canvas.h"
#include "plot/raster.h"

namespace korvel::fuzz {

class WalkingCanvas : public Canvas {
 public:
  int Width() const override { return 734; }
  int Height() const override { return 432; }

  void SetPenColour(Rgb) override {}
  void SetPenMode(PenMode) override {}
  void SetBrushColour(Rgb) override {}
  void SetBrushStyle(BrushStyle) override {}
  void SetFontColour(Rgb) override {}
  void SetFontSize(int) override {}

  void MoveTo(int x, int y) override {
    x_ = x;
    y_ = y;
  }
  void LineTo(int x, int y) override {
    ForEachLinePixel(x_, y_, x, y, [this](int px, int py) { Visit(px, py); });
    MoveTo(x, y);
  }
  void Rectangle(int x1, int y1, int x2, int y2) override {
    ForEachOutlinePixel(NormalRect(x1, y1, x2, y2), [this](int px, int py) { Visit(px, py); });
  }
  void SetPixel(int x, int y, Rgb) override { Visit(x, y); }
  void TextOut(int x, int y, const std::string&) override { Visit(x, y); }
  int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }

  // Pixels visited on the surface, so that the walk is not optimised away.
  int64_t onSurface = 0;

 private:
  void Visit(int x, int y) {
    if (x >= 0 && y >= 0 && x < Width() && y < Height()) ++onSurface;
  }
  int x_ = 0, y_ = 0;
};

}  // namespace korvel::fuzz
