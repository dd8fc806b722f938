#include "plot/time_view.h"

#include <cmath>
#include <string>

#include "core/nice_steps.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "plot/axes.h"
#include "plot/error_bars.h"

namespace korvel {

namespace {

constexpr int kModelSamples = 1000;

// The date ticks: under a day, every tick after the first shows only its
// fraction; more than ten steps label every second tick.
template <class XMap>
void DrawDateAxis(AnalysisState& s, Canvas& c, const AxisRange& dates, const XMap& x, int B) {
  const double span = dates.high - dates.low;
  const StepChoice choice = ChooseStep(span);
  if (choice.index != 0) s.StepIndex = choice.index;
  const double step = choice.step;
  const bool alternate = span / step > 10;
  const LabelFormat format = StepLabelFormat(s.StepIndex);
  int count = 0;
  bool toggle = true;
  double tick = std::trunc(dates.low / step) * step - step;
  for (int n = 0; n < kMaxTicks && tick <= dates.high; ++n) {
    if (tick >= dates.low) {
      ++count;
      const int xt = x(tick);
      Stroke(c, xt, B, xt, B + 4);
      if (span < 1 && count != 1) {
        // The fraction 0.25 with two decimals reads .25.
        c.TextOut(xt - 6, B + 6, Str(tick - IntBelow(tick), format.d + 2, format.d).substr(1));
      } else {
        if (!alternate || toggle) c.TextOut(xt - 20, B + 6, Str(tick, format.w, format.d));
        if (alternate) toggle = !toggle;
      }
    }
    const double next = tick + step;
    if (!(next > tick)) break;
    tick = next;
  }
}

}  // namespace

void DrawTimeView(AnalysisState& s, Canvas& c) {
  const int W = c.Width(), H = c.Height();
  const int L = 80, T = 50, R = W - 20, B = H - 80;
  s.FrameLeft = L;
  s.FrameRight = R;
  s.FrameTop = T;
  s.FrameBottom = B;
  const ValueMap map =
      DrawViewFrame(s, c, {L - 4, T - 4, R + 4, B + 4, kFrameFill, {10, L + 2, L - 4, L, 5}}, T, B,
                    s.MagLow, s.MagHigh);

  const AxisRange dates = DrawableRange(s.JDLow, s.JDHigh);
  if (dates.usable) {
    s.TimeScaleX = (R - L) / (dates.high - dates.low);
    const auto x = [&](double t) { return ToPixel((t - dates.low) * s.TimeScaleX + L); };
    DrawDateAxis(s, c, dates, x, B);

    const int32_t n = map.range.usable ? DrawableObservations(s) : 0;
    for (int32_t i = 1; i <= n; ++i) {
      const double jd = s.JD[i], mag = s.Mag[i];
      if (!(s.JDLow <= jd && jd <= s.JDHigh && s.MagLow <= mag && mag <= s.MagHigh)) continue;
      const int y = map.Y(mag);
      const double err = ObservationError(s, i);
      DrawErrorBar(c, map, x(jd), mag, err, kWhite);
      PlotPoint(c, x(jd), y, kWhite);
      if (s.MirrorOn) {
        const double mirrored = 2 * s.MirrorJD - jd;
        if (s.JDLow <= mirrored && mirrored <= s.JDHigh) {
          DrawErrorBar(c, map, x(mirrored), mag, err, kRed);
          PlotPoint(c, x(mirrored), y, kRed);
        }
      }
    }

    if (s.MLCLoaded && map.range.usable) {
      for (int k = 0; k <= kModelSamples; ++k) {
        const double t = s.JDLow + (s.JDHigh - s.JDLow) * k / kModelSamples;
        const int xt = x(t), y = map.Y(ModelValue(s, t));
        if (k == 0)
          c.MoveTo(xt, y);
        else
          c.LineTo(xt, y);
      }
    }
  }

  c.TextOut(5, T - 28, s.MagLabel);
  c.TextOut(R - 20, B + 33, "JD");
  if (s.MirrorOn) c.TextOut(L, B + 33, Str(s.MirrorJD, 11, 5));
  c.SetFontColour(kWhite);
  c.SetPenColour(kWhite);
  s.MouseOn = 'y';
}

}  // namespace korvel
