#include "plot/axes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/nice_steps.h"
#include "core/text_format.h"

namespace korvel {

int ToPixel(double v) {
  if (!(v > -kPixelLimit)) return -kPixelLimit;  // also NaN: off the surface
  if (v > kPixelLimit) return kPixelLimit;
  return static_cast<int>(std::nearbyint(v));  // the default rounding: halves to even
}

AxisRange DrawableRange(double low, double high) {
  if (!std::isfinite(low) || !std::isfinite(high)) return {};
  if (high > low && std::isfinite(high - low)) return {low, high, true};
  if (high > low) return {};  // a span beyond the doubles
  const double centre = low / 2 + high / 2;
  const AxisRange widened{centre - 0.5, centre + 0.5, true};
  if (!(widened.high > widened.low)) return {};
  return widened;
}

ValueMap MakeValueMap(const AnalysisState& s, int top, int bottom, double low, double high) {
  ValueMap m;
  m.top = top;
  m.bottom = bottom;
  m.range = DrawableRange(low, high);
  m.scale = (bottom - top) / (m.range.high - m.range.low);
  m.sign = s.MagAxisSign;
  m.flip = s.MagAxisFlip;
  // Before the defaults are applied the orientation terms are 0: read as the
  // magnitude orientation rather than flattening every value onto the top.
  if (m.sign == 0) {
    m.sign = 1;
    m.flip = 0;
  }
  return m;
}

int ValueMap::Y(double v) const {
  return ToPixel((v - range.low) * sign * scale + static_cast<double>(bottom - top) * flip + top);
}

double ValueMap::Inverse(int y) const {
  const double span = range.high - range.low;
  return static_cast<double>(y - top) / sign / (bottom - top) * span -
         static_cast<double>(flip) / sign * span + range.low;
}

LabelFormat StepLabelFormat(int32_t stepIndex) {
  if (stepIndex <= 1) return {5, 0};
  if (stepIndex <= 4) return {4, 0};
  if (stepIndex <= 7) return {3, 0};
  if (stepIndex <= 10) return {2, 0};
  if (stepIndex <= 13) return {1, 0};
  if (stepIndex <= 16) return {3, 1};
  if (stepIndex <= 19) return {4, 2};
  if (stepIndex <= 22) return {5, 3};
  if (stepIndex <= 25) return {6, 4};
  return {7, 5};
}

void DrawValueTicks(AnalysisState& s, Canvas& c, const ValueMap& map, const ValueAxisStyle& style) {
  if (!map.range.usable) return;
  const double low = map.range.low, high = map.range.high;
  const StepChoice choice = ChooseStep(high - low);
  if (choice.index != 0) s.StepIndex = choice.index;
  double step = choice.step;
  if ((high - low) / step > style.doublingThreshold) step *= 2;
  const LabelFormat format = StepLabelFormat(s.StepIndex);
  bool negativeSeen = false;
  double tick = std::trunc(low / step) * step - step;
  for (int n = 0; n < kMaxTicks && tick <= high; ++n) {
    if (tick >= low) {
      if (tick < 0) negativeSeen = true;
      const int y = map.Y(tick);
      Stroke(c, style.strokeX1, y, style.strokeX2, y);
      std::string label = Str(tick, format.w, format.d);
      if (negativeSeen && tick > 0 && low < 0) label = "+" + label;
      const int shift = tick < 0 ? style.negativeShift : 0;
      // Right-aligned: with 6 pixels a character this is left - 30 + shift
      // - (length - 1) * 6.
      c.TextOut(style.left - 24 + shift - c.TextWidth(label), y - 10, label);
    }
    const double next = tick + step;
    if (!(next > tick)) break;  // a huge tick the step no longer moves
    tick = next;
  }
}

int32_t DrawableObservations(AnalysisState& s) {
  int64_t n = std::max<int32_t>(s.NObs, 0);
  n = std::min<int64_t>(n, static_cast<int64_t>(s.JD.size()) - 1);
  n = std::min<int64_t>(n, static_cast<int64_t>(s.Mag.size()) - 1);
  if (n <= 0) return 0;
  if (s.Phase.size() < static_cast<size_t>(n) + 1) s.Phase.resize(static_cast<size_t>(n) + 1, 0.0);
  return static_cast<int32_t>(n);
}

ValueMap DrawViewFrame(AnalysisState& s, Canvas& c, const FrameLook& look, int top, int bottom,
                       double low, double high) {
  DrawFrame(c, look.x1, look.y1, look.x2, look.y2, look.fill);
  const ValueMap map = MakeValueMap(s, top, bottom, low, high);
  s.SpecYScale = map.scale;
  DrawValueTicks(s, c, map, look.axis);
  return map;
}

void PlotPoint(Canvas& c, int x, int y, Rgb colour) {
  c.SetPixel(x, y, colour);
  c.SetPixel(x + 1, y, colour);
  c.SetPixel(x, y + 1, colour);
  c.SetPixel(x + 1, y + 1, colour);
}

void Stroke(Canvas& c, int x1, int y1, int x2, int y2) {
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

void DrawFrame(Canvas& c, int x1, int y1, int x2, int y2, Rgb fill) {
  c.SetFontColour(kWhite);
  c.SetPenColour(kWhite);
  c.SetBrushColour(fill);
  c.SetBrushStyle(BrushStyle::Solid);
  c.Rectangle(x1, y1, x2, y2);
  c.SetBrushColour(kWindowColour);
  c.SetPenColour(kWhite);
}

}  // namespace korvel
