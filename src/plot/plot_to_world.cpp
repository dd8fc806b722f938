#include "plot/plot_to_world.h"

#include <cmath>

#include "plot/axes.h"
#include "plot/search_views.h"
#include "plot/spectrum_geometry.h"

namespace korvel {

namespace {

// A rectangle holds its left and top edges, not its right and bottom ones.
bool Within(int x, int y, int left, int top, int right, int bottom) {
  return left <= x && x < right && top <= y && y < bottom;
}

WorldPoint Outside() {
  return {};
}

WorldPoint Spectrum(const AnalysisState& s, int x, int y, SurfaceSize surface) {
  const SpectrumGeometry g(surface);
  const int L = g.left, T = g.top, R = g.right, B = g.bottom;
  if (!Within(x, y, L, T, R, B)) return Outside();
  return {true, s.FreqLo + static_cast<double>(x - L) / (R - L) * (s.FreqHi - s.FreqLo),
          s.SpecMin + static_cast<double>(B - y) / (B - T) * (s.SpecMax - s.SpecMin)};
}

bool FrameDrawn(int left, int top, int right, int bottom) {
  return right > left && bottom > top;
}

WorldPoint PhaseCurve(const AnalysisState& s, int x, int y) {
  const int L = s.PhBoxLeft, T = s.PhBoxTop, R = s.PhBoxRight, B = s.PhBoxBottom;
  if (!FrameDrawn(L, T, R, B) || !Within(x, y, L - 5, T - 5, R + 5, B + 5)) return Outside();
  const ValueMap map = MakeValueMap(s, T, B, s.MagLow, s.MagHigh);
  if (!map.range.usable) return Outside();
  double phase;
  if (s.FullRange) {
    if (!(s.PhScaleX > 0)) return Outside();
    phase = (x - (2.0 * L + R) / 3) / s.PhScaleX;
  } else {
    const AxisRange window = DrawableRange(s.PhMin, s.PhMax);
    if (!window.usable) return Outside();
    phase = window.low + static_cast<double>(x - L) / (R - L) * (window.high - window.low);
  }
  return {true, phase, map.Inverse(y)};
}

WorldPoint MeanCurve(const AnalysisState& s, int x, int y) {
  const int L = s.PhBoxLeft, T = s.PhBoxTop, R = s.PhBoxRight, B = s.PhBoxBottom;
  if (!FrameDrawn(L, T, R, B) || !Within(x, y, L, T, R, B)) return Outside();
  const ValueMap map = MakeValueMap(s, T, B, s.MeanMagLow, s.MeanMagHigh);
  if (!map.range.usable) return Outside();
  return {true, 1.5 * (x - L) / (R - L), map.Inverse(y)};
}

WorldPoint TimeCurve(const AnalysisState& s, int x, int y) {
  const int L = s.FrameLeft, T = s.FrameTop, R = s.FrameRight, B = s.FrameBottom;
  if (!FrameDrawn(L, T, R, B) || !Within(x, y, L, T, R, B)) return Outside();
  const ValueMap map = MakeValueMap(s, T, B, s.MagLow, s.MagHigh);
  const AxisRange dates = DrawableRange(s.JDLow, s.JDHigh);
  if (!map.range.usable || !dates.usable || !(s.TimeScaleX > 0) || !std::isfinite(s.TimeScaleX))
    return Outside();
  return {true, dates.low + (x - L) / s.TimeScaleX, map.Inverse(y)};
}

}  // namespace

WorldPoint PlotToWorld(const AnalysisState& s, int x, int y, SurfaceSize surface) {
  if (s.DataReady != 'y') {
    if (IsSpectrumView(s.View)) return Spectrum(s, x, y, surface);
    return Outside();
  }
  if (IsPhaseCurveView(s.View)) return PhaseCurve(s, x, y);
  switch (s.View) {
    case 'm':
      return MeanCurve(s, x, y);
    case 't':
      return TimeCurve(s, x, y);
    default:
      return Outside();
  }
}

}  // namespace korvel
