// A Canvas for tests: records every operation with the pen, brush and font in
// force, and rasterises lines, rectangles and pixels into a pixel buffer by the
// shared rule of plot/raster.h, so that a test can ask both "what was drawn"
// and "what colour is pixel (x, y)". Text is recorded, not rasterised, and
// measures 6 pixels per character. The window's canvas is compared against
// this raster pixel by pixel: keep the constructor and PixelAt stable.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/colour.h"
#include "plot/canvas.h"
#include "plot/raster.h"

namespace korvel::testing {

// The pen, brush and font in force.
struct DrawState {
  Rgb pen = kBlack;
  PenMode penMode = PenMode::Copy;
  Rgb brush = kWhite;
  BrushStyle brushStyle = BrushStyle::Solid;
  Rgb font = kBlack;
  int fontSize = 10;  // none of the sizes a picture sets, so a missing set shows
};

struct CanvasOp {
  enum class Kind {
    PenColour,
    PenMode,
    BrushColour,
    BrushStyle,
    FontColour,
    FontSize,
    MoveTo,
    LineTo,
    Rectangle,
    SetPixel,
    TextOut
  };
  Kind kind;
  // MoveTo: the new position in (x1, y1) and (x2, y2). LineTo: from the
  // current position (x1, y1) to (x2, y2). Rectangle: its corners as given.
  // SetPixel and TextOut: (x1, y1).
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::string text;
  Rgb colour;       // SetPixel: the colour set
  DrawState state;  // in force after the operation
};

class RecordingCanvas : public Canvas {
 public:
  // Far above any picture (the longest, a time view with its model and full
  // axes, takes a few thousand operations).
  static constexpr size_t kMaxOps = 100000;

  explicit RecordingCanvas(int width = 734, int height = 432)
      : width_(width),
        height_(height),
        pixels_(static_cast<size_t>(width) * height, kWindowColour) {}

  std::vector<CanvasOp> ops;

  // ---- The Canvas port. ----
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetPenColour(Rgb colour) override {
    state_.pen = colour;
    Record(CanvasOp::Kind::PenColour);
  }
  void SetPenMode(PenMode mode) override {
    state_.penMode = mode;
    Record(CanvasOp::Kind::PenMode);
  }
  void SetBrushColour(Rgb colour) override {
    state_.brush = colour;
    Record(CanvasOp::Kind::BrushColour);
  }
  void SetBrushStyle(BrushStyle style) override {
    state_.brushStyle = style;
    Record(CanvasOp::Kind::BrushStyle);
  }
  void SetFontColour(Rgb colour) override {
    state_.font = colour;
    Record(CanvasOp::Kind::FontColour);
  }
  void SetFontSize(int points) override {
    state_.fontSize = points;
    Record(CanvasOp::Kind::FontSize);
  }
  void MoveTo(int x, int y) override {
    curX_ = x;
    curY_ = y;
    Record(CanvasOp::Kind::MoveTo, x, y, x, y);
  }
  void LineTo(int x, int y) override {
    Record(CanvasOp::Kind::LineTo, curX_, curY_, x, y);
    ForEachLinePixel(curX_, curY_, x, y, [&](int px, int py) { Plot(px, py, state_.pen); });
    curX_ = x;
    curY_ = y;
  }
  void Rectangle(int x1, int y1, int x2, int y2) override {
    Record(CanvasOp::Kind::Rectangle, x1, y1, x2, y2);
    const PixelRect r = NormalRect(x1, y1, x2, y2);
    if (state_.brushStyle == BrushStyle::Solid)
      ForEachInteriorPixel(r, width_, height_, [&](int px, int py) { Plot(px, py, state_.brush); });
    ForEachOutlinePixel(r, [&](int px, int py) { Plot(px, py, state_.pen); });
  }
  void SetPixel(int x, int y, Rgb colour) override {
    Record(CanvasOp::Kind::SetPixel, x, y, x, y);
    ops.back().colour = colour;
    if (Inside(x, y)) At(x, y) = colour;
  }
  void TextOut(int x, int y, const std::string& text) override {
    Record(CanvasOp::Kind::TextOut, x, y, x, y);
    ops.back().text = text;
  }
  int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }

  // ---- Inspection. ----
  const DrawState& State() const { return state_; }

  // The colour of a pixel; outside the buffer {-1, -1, -1}.
  Rgb PixelAt(int x, int y) const { return Inside(x, y) ? pixels_[Index(x, y)] : Rgb{-1, -1, -1}; }
  // Pixels of a colour in the rectangle x1 <= x < x2, y1 <= y < y2.
  int CountPixels(Rgb colour, int x1, int y1, int x2, int y2) const {
    int n = 0;
    for (int y = y1; y < y2; ++y)
      for (int x = x1; x < x2; ++x)
        if (PixelAt(x, y) == colour) ++n;
    return n;
  }
  int CountPixels(Rgb colour) const { return CountPixels(colour, 0, 0, width_, height_); }
  const std::vector<Rgb>& Pixels() const { return pixels_; }

  std::vector<CanvasOp> OpsOf(CanvasOp::Kind kind) const {
    std::vector<CanvasOp> out;
    for (const CanvasOp& op : ops)
      if (op.kind == kind) out.push_back(op);
    return out;
  }
  std::vector<CanvasOp> Texts() const { return OpsOf(CanvasOp::Kind::TextOut); }
  std::vector<CanvasOp> Lines() const { return OpsOf(CanvasOp::Kind::LineTo); }
  // The texts drawn with their top-left corner at (x, y), in drawing order.
  std::vector<std::string> TextsAt(int x, int y) const {
    std::vector<std::string> out;
    for (const CanvasOp& op : ops)
      if (op.kind == CanvasOp::Kind::TextOut && op.x1 == x && op.y1 == y) out.push_back(op.text);
    return out;
  }
  // Every drawing of a text, in order.
  std::vector<CanvasOp> FindTexts(const std::string& text) const {
    std::vector<CanvasOp> out;
    for (const CanvasOp& op : ops)
      if (op.kind == CanvasOp::Kind::TextOut && op.text == text) out.push_back(op);
    return out;
  }
  bool HasText(const std::string& text) const { return !FindTexts(text).empty(); }
  bool HasTextAt(const std::string& text, int x, int y) const {
    for (const CanvasOp& op : FindTexts(text))
      if (op.x1 == x && op.y1 == y) return true;
    return false;
  }
  // A line-to from (x1, y1) to (x2, y2), as a stroke draws it.
  bool HasLine(int x1, int y1, int x2, int y2) const {
    for (const CanvasOp& op : ops)
      if (op.kind == CanvasOp::Kind::LineTo && op.x1 == x1 && op.y1 == y1 && op.x2 == x2 &&
          op.y2 == y2)
        return true;
    return false;
  }
  // The largest |coordinate| any operation was given: a picture computed
  // from values that cannot be placed must still stay within a known bound.
  long long MaxAbsCoordinate() const {
    long long m = 0;
    for (const CanvasOp& op : ops)
      for (long long v : {op.x1, op.y1, op.x2, op.y2}) m = std::max(m, v < 0 ? -v : v);
    return m;
  }
  // Forgets the record, keeps the pixels and the state: what an incremental
  // drawing adds can then be told apart.
  void ClearRecord() { ops.clear(); }

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
  Rgb& At(int x, int y) { return pixels_[Index(x, y)]; }
  // A pen or brush pixel: copied, or XORed channel by channel in Xor mode.
  void Plot(int x, int y, Rgb colour) {
    if (!Inside(x, y)) return;
    Rgb& p = At(x, y);
    if (state_.penMode == PenMode::Xor)
      p = {p.r ^ colour.r, p.g ^ colour.g, p.b ^ colour.b};
    else
      p = colour;
  }
  void Record(CanvasOp::Kind kind, int x1 = 0, int y1 = 0, int x2 = 0, int y2 = 0) {
    // A runaway drawing loop fails its test here instead of exhausting memory.
    if (ops.size() >= kMaxOps) throw std::length_error("more than 100000 canvas operations");
    CanvasOp op{kind, x1, y1, x2, y2, {}, {}, state_};
    ops.push_back(op);
  }

  int width_, height_;
  std::vector<Rgb> pixels_;
  DrawState state_;
  int curX_ = 0, curY_ = 0;
};

}  // namespace korvel::testing
