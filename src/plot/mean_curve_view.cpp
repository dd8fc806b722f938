#include "plot/mean_curve_view.h"

#include <algorithm>
#include <string>

#include "core/numeric.h"
#include "core/text_format.h"
#include "plot/axes.h"

namespace korvel {

void DrawMeanCurveView(AnalysisState& s, Canvas& c) {
  const int W = c.Width(), H = c.Height();
  const int L = 80, T = 30, R = W - 40, B = H - 60;
  s.PhBoxLeft = L;
  s.PhBoxTop = T;
  s.PhBoxRight = R;
  s.PhBoxBottom = B;
  const ValueMap map =
      DrawViewFrame(s, c, {L - 4, T - 4, R + 2, B + 4, kFrameFill, {16, 79, 76, L, 3}}, T, B,
                    s.MeanMagLow, s.MeanMagHigh);

  for (int k = 0; k <= 3; ++k) {
    const int x = ToPixel((R - L) * k / 3.0) + L;
    c.TextOut(x - 10, B + 10, Str(0.5 * k, 3, 1));
    Stroke(c, x, B - 2, x, B + 4);
  }
  s.PhScaleX = 2.0 * (R - L) / 3;
  const auto X = [&](double phase) { return ToPixel(phase * s.PhScaleX + L); };

  const int32_t N = std::clamp<int32_t>(s.MeanPoints, 0, AnalysisState::kMeanSize - 1);
  if (map.range.usable) {
    // Each mean point with its error bars, again one cycle on when it lies in
    // the first half.
    const auto meanPoint = [&](int32_t k, double shift) {
      const double phase = s.MeanPhase[k] + shift;
      const int x = X(phase), xl = X(phase - s.MeanPhaseErr[k]), xr = X(phase + s.MeanPhaseErr[k]);
      const int y = map.Y(s.MeanMag[k]);
      const int yh = map.Y(s.MeanMag[k] + s.MeanMagErr[k]);
      const int yl = map.Y(s.MeanMag[k] - s.MeanMagErr[k]);
      c.Rectangle(x - 1, y - 1, x + 2, y + 2);
      Stroke(c, x, yh, x, yl);
      Stroke(c, xl, y, xr, y);
    };
    for (int32_t k = 1; k <= N; ++k) {
      meanPoint(k, 0);
      if (s.MeanPhase[k] <= 0.5) meanPoint(k, 1);
    }

    // The hand-adjustable curve, continued into the second cycle.
    c.SetPenColour(kCurveGreen);
    for (int32_t k = 1; k <= N; ++k) {
      const int x = X(s.MeanPhase[k]), y = map.Y(s.EditedMag[k]);
      if (k == 1)
        c.MoveTo(x, y);
      else
        c.LineTo(x, y);
    }
    for (int32_t k = 1; k <= N && s.MeanPhase[k] <= 0.5; ++k)
      c.LineTo(X(s.MeanPhase[k] + 1), map.Y(s.EditedMag[k]));
  }

  c.SetPenColour(kWhite);
  c.TextOut(5, T - 28, s.MagLabel);
  c.TextOut(R - 100, B + 13, "Phase");
  c.TextOut(
      L - 10, B + 35,
      "C = " + TrimZeros(Str(s.Epoch, 0, 3)) + " + " + TrimZeros(Str(s.Period, 0, 7)) + " *E");
}

}  // namespace korvel

namespace korvel {

void DrawMeanSegment(const AnalysisState& s, Canvas& c, int32_t a, int32_t b) {
  const ValueMap map = MakeValueMap(s, s.PhBoxTop, s.PhBoxBottom, s.MeanMagLow, s.MeanMagHigh);
  if (!map.range.usable) return;
  const auto x = [&s](double phase) { return ToPixel(phase * s.PhScaleX + s.PhBoxLeft); };
  const int ya = map.Y(s.EditedMag[a]), yb = map.Y(s.EditedMag[b]);
  Stroke(c, x(s.MeanPhase[a]), ya, x(s.MeanPhase[b]), yb);
  if (s.MeanPhase[a] < 0.5) Stroke(c, x(s.MeanPhase[a] + 1), ya, x(s.MeanPhase[b] + 1), yb);
}

void DrawNodeLinks(const AnalysisState& s, Canvas& c, int32_t k) {
  const int32_t n = std::clamp<int32_t>(s.MeanPoints, 0, AnalysisState::kMeanSize - 1);
  if (k < 1 || k > n) return;
  if (k > 1) DrawMeanSegment(s, c, k - 1, k);
  if (k < n) DrawMeanSegment(s, c, k, k + 1);
}

}  // namespace korvel
