// The shared pieces of every picture: data-to-pixel maps (map A of the value
// axes, map B of the spectrum), the label format of an axis step, the ticks
// of a value axis, and the point marker.
#pragma once

#include <cstdint>

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace korvel {

// A pixel coordinate from a double: rounded to the nearest integer (halves to
// the even one). Values beyond the surface by far, and non-finite ones, are
// clamped to +-kPixelLimit, so that no conversion to int is ever undefined and
// a point that cannot be placed lands off the surface.
inline constexpr int kPixelLimit = 30000;
int ToPixel(double v);

// Tick loops stop after this many ticks: a range of huge numbers may not move
// under repeated addition of its step.
inline constexpr int kMaxTicks = 1000;

// The range a value or date axis is drawn over. A usable range is low..high
// itself; an empty or reversed one (one observation, constant values) is
// widened to one unit around its centre; a range that still cannot be told
// apart in doubles (values near 1e16 and beyond), or a non-finite one, is not
// usable: the view then draws its frame and titles but no ticks and no points.
struct AxisRange {
  double low = 0, high = 1;
  bool usable = false;
};
AxisRange DrawableRange(double low, double high);

// Map A of the light-curve views over a frame top..bottom and a range, in the
// state's magnitude or intensity orientation, and its inverse.
struct ValueMap {
  int top = 0, bottom = 0;
  AxisRange range;
  double scale = 0;  // (bottom - top) / (high - low)
  int32_t sign = 1, flip = 0;
  int Y(double v) const;
  double Inverse(int y) const;
};
ValueMap MakeValueMap(const AnalysisState& s, int top, int bottom, double low, double high);

// Width and decimals of the tick labels of a step at NiceSteps position
// 1 .. 28 (outside that range: as position 1 or 28).
struct LabelFormat {
  int w = 0, d = 0;
};
LabelFormat StepLabelFormat(int32_t stepIndex);

// How a view draws its value-axis ticks: the step is doubled when the span
// holds more than doublingThreshold steps; the tick stroke runs from
// (strokeX1, y) to (strokeX2, y); labels right-align to left - 24 + shift,
// the shift applying to negative ticks only.
struct ValueAxisStyle {
  double doublingThreshold = 16;
  int strokeX1 = 0, strokeX2 = 0;
  int left = 0;
  int negativeShift = 3;
};
// Ticks and labels of a value axis with the "+" rule, pen and font as set.
// Writes StepIndex.
void DrawValueTicks(AnalysisState& s, Canvas& c, const ValueMap& map, const ValueAxisStyle& style);

// The point marker: the 2 x 2 pixels from (x, y) to (x + 1, y + 1).
void PlotPoint(Canvas& c, int x, int y, Rgb colour);

// The observations a view may draw: NObs, or fewer when the arrays are
// shorter (never more than they hold). Grows Phase to match, which the phase
// views write.
int32_t DrawableObservations(AnalysisState& s);

// The frame every light-curve view starts with: its rectangle (x1, y1, x2,
// y2) filled, then the value axis over top .. bottom and low .. high with the
// view's ticks. Writes SpecYScale (and StepIndex) and returns the map.
struct FrameLook {
  int x1, y1, x2, y2;
  Rgb fill;
  ValueAxisStyle axis;
};
ValueMap DrawViewFrame(AnalysisState& s, Canvas& c, const FrameLook& look, int top, int bottom,
                       double low, double high);

// A move-to followed by a line-to.
void Stroke(Canvas& c, int x1, int y1, int x2, int y2);

// Pen and font white, brush colour fill, the rectangle, then brush back to the
// window colour and pen white: how every frame is drawn.
void DrawFrame(Canvas& c, int x1, int y1, int x2, int y2, Rgb fill);

}  // namespace korvel
