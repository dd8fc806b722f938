// QtCanvas: the Canvas port over Qt, for the window's picture and the
// picture files. On an image the lines, outlines, fills and pixels are
// written pixel by pixel by the shared raster rule, so that XOR is exact and
// the window, the files and the test canvas hold the same pixels; on a vector
// device (SVG, PDF) they become painter primitives.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <string>
#include <vector>

#include "plot/canvas.h"

class QPainter;

namespace korvel::render {

// The plot text font (DejaVu Sans) at a size in points. The pixel size is 5/6
// of the points: a 12-point label is 10 pixels high and its digits are the 6
// pixels wide that the label offsets of the views assume. (At 12 pixels the
// digits are 7 or 8 wide, and the dense frequency labels of a spectrum run
// into each other.) 20 points (the About title) are 17 pixels, 8 points (the
// significance levels) 7.
QFont PlotFont(int points);
int PlotFontPixelSize(int points);

// The image every picture is drawn on: 32-bit RGB at 96 dots per inch, so
// that the window's picture and a PNG written by korvel-batch are the same
// pixels.
QImage NewPlotImage(int width, int height);

class QtCanvas final : public Canvas {
 public:
  // Draws on an image of NewPlotImage's format (raster: XOR is exact).
  explicit QtCanvas(QImage& image);
  // Draws through a painter already begun on a vector device whose logical
  // size is width x height pixels. XOR is drawn as copy there.
  QtCanvas(QPainter& painter, int width, int height);
  // Draws what is still pending on a vector device.
  ~QtCanvas() override;
  QtCanvas(const QtCanvas&) = delete;
  QtCanvas& operator=(const QtCanvas&) = delete;

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  void SetPenColour(Rgb colour) override { pen_ = colour; }
  void SetPenMode(PenMode mode) override { penMode_ = mode; }
  void SetBrushColour(Rgb colour) override { brush_ = colour; }
  void SetBrushStyle(BrushStyle style) override { brushStyle_ = style; }
  void SetFontColour(Rgb colour) override { fontColour_ = colour; }
  void SetFontSize(int points) override;

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void SetPixel(int x, int y, Rgb colour) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;

 private:
  // One pixel of the image in the pen mode (raster only).
  void Plot(int x, int y, Rgb colour, PenMode mode);

  // On a vector device, pixels set one after another in one colour are drawn
  // as one filled path, and lines one after another in one colour as one
  // stroked path: a picture of thousands of points stays small.
  enum class Pending { None, Fill, Stroke };
  QPainterPath& Queue(Pending kind, Rgb colour);
  // A pixel of the fill queued, joined to the rectangle before it where it
  // continues it (a point marker becomes one rectangle).
  void QueuePixel(int x, int y, Rgb colour);
  void Flush();

  QImage* image_ = nullptr;      // raster target
  QPainter* painter_ = nullptr;  // vector target
  int width_ = 0, height_ = 0;

  Rgb pen_ = kBlack;
  PenMode penMode_ = PenMode::Copy;
  Rgb brush_ = kWhite;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  Rgb fontColour_ = kBlack;
  QFont font_;
  int curX_ = 0, curY_ = 0;

  Pending pending_ = Pending::None;
  Rgb pendingColour_;
  QPainterPath pendingPath_;
  std::vector<QRect> pendingPixels_;
};

}  // namespace korvel::render
