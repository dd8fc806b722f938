#include "plot/spectrum_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/nice_steps.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "plot/axes.h"
#include "search/engine_support.h"

namespace korvel {

namespace {

// Fixed geometry: columns 0 .. 480 at x = 80 .. 560, SpecMin at y = 300 and
// SpecMax at y = 50.
constexpr int kColumnX0 = 80;
constexpr int kBaseY = 300;
constexpr double kValueHeight = 250;

// The frequency ticks along the bottom of the frame.
void DrawFrequencyTicks(const AnalysisState& s, Canvas& c) {
  double tick = s.AxisFirst - s.AxisStep;
  for (int n = 0; n < kMaxTicks && tick <= s.FreqHi; ++n) {
    if (tick >= s.FreqLo) {
      const int x = ToPixel((tick - s.AxisFreqLo) * s.FreqScale + kColumnX0);
      Stroke(c, x, 306, x, 296);
      c.TextOut(x - 12, 308, TrimZeros(Str(tick, 0, 4)));
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
void DrawSignificanceLevels(const AnalysisState& s, Canvas& c) {
  static constexpr LabelFormat kFormats[5] = {{}, {2, 0}, {2, 0}, {4, 1}, {5, 2}};
  constexpr int kLabelGap = 12;
  c.SetFontSize(8);
  int h = 0;
  for (int k = 1; k <= 4; ++k) {
    const int y = SpectrumY(s, s.SigLevel[k]);
    h = k == 1 ? y : std::min(y, h - kLabelGap);
    if (y > 48) {
      Stroke(c, 76, y, 564, y);
      const double percent = 100 - IntPower(10, 2 - k);
      c.TextOut(566, h - 6, Str(percent, kFormats[k].w, kFormats[k].d) + " %");
    }
  }
  c.SetFontSize(12);
}

// The value ticks at the left of the frame; a tick up to one step below
// SpecMin is drawn when it lands no more than 6 pixels below the baseline.
void DrawStatisticTicks(AnalysisState& s, Canvas& c, double step) {
  const LabelFormat format = StepLabelFormat(s.StepIndex);
  double tick = std::trunc(s.SpecMin / step) * step - step;
  for (int n = 0; n < kMaxTicks && tick <= s.SpecMax; ++n) {
    if (tick + step >= s.SpecMin) {
      const int y = SpectrumY(s, tick);
      if (y <= 306) {
        Stroke(c, 79, y, 76, y);
        c.TextOut(65 - 7 * format.w, y - 10, Str(tick, format.w, format.d));
      }
    }
    const double next = tick + step;
    if (!(next > tick)) break;
    tick = next;
  }
}

}  // namespace

int SpectrumY(const AnalysisState& s, double v) {
  return ToPixel(kBaseY - (v - s.SpecMin) * s.SpecYScale);
}

void DrawSpectrumCurve(AnalysisState& s, Canvas& c) {
  c.SetPenColour(kWhite);
  c.SetPenMode(PenMode::Copy);
  const auto& high = s.SpecHigh;
  const auto& low = s.SpecLow;
  int i = 0;
  c.MoveTo(kColumnX0, SpectrumY(s, low[0]));
  while (i < kSpecColumns - 1) {
    if (high[i] != 0) {
      c.LineTo(kColumnX0 + i, SpectrumY(s, high[i]));
      ++i;
      if (high[i] != 0) c.LineTo(kColumnX0 + i, SpectrumY(s, low[i]));
    } else {
      // Columns no trial has reached are bridged by one straight line.
      while (i < kSpecColumns && high[i] == 0) ++i;
      if (i >= kSpecColumns) break;
      c.LineTo(kColumnX0 + i, SpectrumY(s, high[i]));
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
  DrawFrame(c, 76, 46, 564, 304, kFrameFill);
  if (s.Pmin == 0 || s.Pmax == 0 || !(s.Pmax > s.Pmin)) {
    if (env.setStatus) env.setStatus(kGridNotSet);
    return;
  }
  DrawFrequencyTicks(s, c);

  // Before the first trial the range is still reversed (SpecMin 100 above
  // SpecMax 0): the axis stays empty rather than showing a stray tick.
  const bool anyTrial = s.SpecMax >= s.SpecMin;
  double range = s.SpecMax - s.SpecMin;
  if (range == 0) range = 1;
  if (anyTrial && std::isfinite(range)) {
    s.SpecYScale = kValueHeight / range;
    const StepChoice choice = ChooseStep(range);
    if (choice.index != 0) s.StepIndex = choice.index;
    if (s.StatLoaded && s.StatFromFile && s.View == 'd') DrawSignificanceLevels(s, c);
    DrawStatisticTicks(s, c, choice.step);
  }

  c.TextOut(5, 22, "Parameter");
  c.TextOut(380, 332, "Frequency, cycles per day");
  if (s.View == 's')
    c.TextOut(73, 345,
              "Co = " + Str(s.ExtrDate, 0, 3) + " + " + TrimZeros(Str(s.Period, 0, 7)) + " *E");
  DrawSpectrumCurve(s, c);
}

}  // namespace korvel
