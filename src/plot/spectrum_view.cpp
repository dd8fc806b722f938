#include "plot/spectrum_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/nice_steps.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "plot/axes.h"
#include "plot/spectrum_geometry.h"
#include "search/engine_support.h"
#include "search/search_methods.h"

namespace korvel {

namespace {

// The frame lies 4 pixels outside the region the columns and values span.
constexpr int kFrameGap = 4;

// The frequency ticks along the bottom of the frame.
void DrawFrequencyTicks(const AnalysisState& s, Canvas& c, const SpectrumGeometry& g) {
  const int B = g.bottom;
  double tick = s.AxisFirst - s.AxisStep;
  for (int n = 0; n < kMaxTicks && tick <= s.FreqHi; ++n) {
    if (tick >= s.FreqLo) {
      const int x = ToPixel((tick - s.AxisFreqLo) * s.FreqScale * g.columnWidth + g.left);
      Stroke(c, x, B + 6, x, B - 4);
      c.TextOut(x - 12, B + 8, TrimZeros(Str(tick, 0, 4)));
    }
    const double next = tick + s.AxisStep;
    if (!(next > tick)) break;
    tick = next;
  }
}

// The four significance levels of a Deeming search. Each label sits at its
// line unless that is within 12 pixels of the label below it; then it stacks
// 12 pixels above that label. Measured against the label below, not the line,
// equal levels cannot put a third label back onto the first.
void DrawSignificanceLevels(const AnalysisState& s, Canvas& c, const SpectrumGeometry& g) {
  static constexpr LabelFormat kFormats[5] = {{}, {2, 0}, {2, 0}, {4, 1}, {5, 2}};
  constexpr int kLabelGap = 12;
  c.SetFontSize(8);
  int h = 0;
  for (int k = 1; k <= 4; ++k) {
    const int y = SpectrumY(s, g, s.SigLevel[k]);
    h = k == 1 ? y : std::min(y, h - kLabelGap);
    if (y > g.top - 2) {
      Stroke(c, g.left - kFrameGap, y, g.right + kFrameGap, y);
      const double percent = 100 - IntPower(10, 2 - k);
      c.TextOut(g.right + 6, h - 6, Str(percent, kFormats[k].w, kFormats[k].d) + " %");
    }
  }
  c.SetFontSize(12);
}

// The value ticks at the left of the frame; a tick up to one step below
// SpecMin is drawn when it lands no more than 6 pixels below the baseline.
void DrawStatisticTicks(AnalysisState& s, Canvas& c, const SpectrumGeometry& g, double step) {
  const LabelFormat format = StepLabelFormat(s.StepIndex);
  double tick = std::trunc(s.SpecMin / step) * step - step;
  for (int n = 0; n < kMaxTicks && tick <= s.SpecMax; ++n) {
    if (tick + step >= s.SpecMin) {
      const int y = SpectrumY(s, g, tick);
      if (y <= g.bottom + 6) {
        Stroke(c, g.left - 1, y, g.left - kFrameGap, y);
        c.TextOut(g.left - 15 - 7 * format.w, y - 10, Str(tick, format.w, format.d));
      }
    }
    const double next = tick + step;
    if (!(next > tick)) break;
    tick = next;
  }
}

}  // namespace

int SpectrumY(const AnalysisState& s, const SpectrumGeometry& g, double v) {
  return ToPixel(g.bottom - (v - s.SpecMin) * s.SpecYScale);
}

void DrawSpectrumCurve(AnalysisState& s, Canvas& c) {
  const SpectrumGeometry g(SizeOf(c));
  const auto& high = s.SpecHigh;
  const auto& low = s.SpecLow;
  const auto to = [&](int column, double v) { c.LineTo(g.ColumnX(column), SpectrumY(s, g, v)); };
  c.SetPenColour(kWhite);
  c.SetPenMode(PenMode::Copy);
  int i = 0;
  c.MoveTo(g.ColumnX(0), SpectrumY(s, g, low[0]));
  while (i < kSpecColumns - 1) {
    if (high[i] != 0) {
      to(i, high[i]);
      ++i;
      if (high[i] != 0) to(i, low[i]);
    } else {
      // Columns no trial has reached are bridged by one straight line.
      while (i < kSpecColumns && high[i] == 0) ++i;
      if (i >= kSpecColumns) break;
      to(i, high[i]);
    }
  }
  s.DrawnSpecMax = s.SpecMax;
  s.DrawnSpecMin = s.SpecMin;
}

void DrawSpectrumView(AnalysisState& s, Canvas& c, const PaintSurroundings& env) {
  if (s.RunCode != 'e' && env.setStatus) env.setStatus(kRunningStatus);
  if (s.SpecMax == 100) {
    s.SpecMax = 1;
    s.SpecMin = 0;
  }
  if (env.mainWindowActive && s.DrawnSpecMax == s.SpecMax && s.DrawnSpecMin == s.SpecMin &&
      !s.Resumed && s.RunCode == 'r') {
    DrawSpectrumCurve(s, c);
    return;
  }
  s.Resumed = false;
  const SearchMethod* method = MethodOfView(s.View);
  const bool deeming = method && method->deeming, secondary = method && method->secondary;
  const SpectrumGeometry g(SizeOf(c));
  DrawFrame(c, g.left - kFrameGap, g.top - kFrameGap, g.right + kFrameGap, g.bottom + kFrameGap,
            kFrameFill);
  if (s.Pmin == 0 || s.Pmax == 0 || !(s.Pmax > s.Pmin)) {
    if (env.setStatus) env.setStatus(kGridNotSet);
    return;
  }
  DrawFrequencyTicks(s, c, g);

  // Before the first trial the range is still reversed (SpecMin 100 above
  // SpecMax 0): the axis stays empty rather than showing a stray tick.
  const bool anyTrial = s.SpecMax >= s.SpecMin;
  double range = s.SpecMax - s.SpecMin;
  if (range == 0) range = 1;
  if (anyTrial && std::isfinite(range)) {
    s.SpecYScale = (g.bottom - g.top) / range;
    const StepChoice choice = ChooseStep(range);
    if (choice.index != 0) s.StepIndex = choice.index;
    if (s.StatLoaded && s.StatFromFile && deeming) DrawSignificanceLevels(s, c, g);
    DrawStatisticTicks(s, c, g, choice.step);
  }

  c.TextOut(5, g.top - 28, "Parameter");
  c.TextOut(g.right - 180, g.bottom + 32, "Frequency, cycles per day");
  if (secondary)
    c.TextOut(g.left - 7, g.bottom + 45,
              "Co = " + Str(s.ExtrDate, 0, 3) + " + " + TrimZeros(Str(s.Period, 0, 7)) + " *E");
  DrawSpectrumCurve(s, c);
}

}  // namespace korvel
