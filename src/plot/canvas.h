// The Canvas port: the drawing operations every picture of the program is
// made of, and the size of the surface. The window implements it over Qt
// (QtCanvas); tests over a recording raster (RecordingCanvas).
#pragma once

#include <string>

#include "core/colour.h"

namespace korvel {

enum class PenMode { Copy, Xor };
enum class BrushStyle { Solid, Clear };

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Lines and outlines; in Xor mode a pixel becomes pixel XOR colour, so a
  // figure drawn twice restores the picture.
  virtual void SetPenColour(Rgb colour) = 0;
  virtual void SetPenMode(PenMode mode) = 0;
  // Fill of rectangles and background box of text; Clear fills nothing.
  virtual void SetBrushColour(Rgb colour) = 0;
  virtual void SetBrushStyle(BrushStyle style) = 0;
  virtual void SetFontColour(Rgb colour) = 0;
  virtual void SetFontSize(int points) = 0;

  // A line from the current position to (x, y), the end pixel excluded;
  // (x, y) becomes the current position.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Outline in the pen, filled with the brush when solid; the right and
  // bottom edges are x2 - 1 and y2 - 1.
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  virtual void SetPixel(int x, int y, Rgb colour) = 0;
  // Text with its top-left corner at (x, y), glyphs in the font colour on a
  // box in the brush colour (no box when the brush is clear).
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  // Width in pixels of the text in the current font.
  virtual int TextWidth(const std::string& text) = 0;
};

}  // namespace korvel
