#include "plot/phase_curve_views.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "core/nice_steps.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/phase_views.h"
#include "plot/axes.h"
#include "plot/error_bars.h"

namespace korvel {

namespace {

// Phase[i] of the primary period for the observations drawn; the moving
// average reads them after the paint.
void WritePhases(AnalysisState& s, int32_t n) {
  for (int32_t i = 1; i <= n; ++i) s.Phase[i] = Frac((s.JD[i] - s.Epoch) / s.Period);
}

bool InMagRange(const AnalysisState& s, double mag) {
  return s.MagLow <= mag && mag <= s.MagHigh;
}

// Ticks and labels of the fixed phase axis -0.5 .. 1.0.
void DrawFullPhaseAxis(Canvas& c, double scaleX, double origin, int B) {
  for (const double phase : {-0.5, 0.0, 0.5, 1.0}) {
    const int x = ToPixel(phase * scaleX + origin);
    Stroke(c, x, B + 1, x, B + 6);
    c.TextOut(x - 10, B + 10, Str(phase, 3, 1));
  }
}

// Ticks and labels of a zoomed phase window; a sparse step is doubled.
void DrawZoomedPhaseAxis(AnalysisState& s, Canvas& c, const AxisRange& window, int L, int R,
                         int B) {
  const double span = window.high - window.low;
  const StepChoice choice = ChooseStep(span);
  if (choice.index != 0) s.StepIndex = choice.index;
  double step = choice.step;
  if (span / step <= 5) step *= 2;
  const LabelFormat format = StepLabelFormat(s.StepIndex);
  const double first = std::trunc(window.low / step), last = std::trunc(window.high / step);
  // Counted apart from n: far out, ++n no longer changes n.
  double n = first;
  for (int count = 0; count < kMaxTicks && n <= last; ++count, ++n) {
    const double v = n * step;
    if (!(window.low < v && v < window.high)) continue;
    const int x = ToPixel((v - window.low) / span * (R - L)) + L;
    Stroke(c, x, B - 1, x, B + 4);
    const std::string label = Str(v, format.w, format.d);
    // Centred: x - 3 * length with 6 pixels a character.
    c.TextOut(x - c.TextWidth(label) / 2, B + 7, label);
  }
}

}  // namespace

PhaseGeometry::PhaseGeometry(const AnalysisState& s)
    : s_(s),
      map_(MakeValueMap(s, s.PhBoxTop, s.PhBoxBottom, s.MagLow, s.MagHigh)),
      window_(s.FullRange ? AxisRange{-0.5, 1, true} : DrawableRange(s.PhMin, s.PhMax)) {}

int PhaseGeometry::X(double phase) const {
  const int L = s_.PhBoxLeft, R = s_.PhBoxRight;
  if (s_.FullRange) return ToPixel(phase * s_.PhScaleX + (2.0 * L + R) / 3);
  return ToPixel((phase - window_.low) / (window_.high - window_.low) * (R - L)) + L;
}

PhasePlaces PhaseGeometry::Places(double phase, double mag) const {
  PhasePlaces places;
  if (!s_.FullRange) {
    const bool taken =
        (s_.PhMin <= phase && phase <= s_.PhMax) || (s_.PhMin <= 0 && phase >= 1 + s_.PhMin);
    if (!taken || !(s_.MagLow <= mag && mag <= s_.MagHigh)) return places;
  }
  const int y = map_.Y(mag);
  places.x[0] = X(phase);
  places.y[0] = y;
  places.count = 1;
  if (s_.PhMin < 0 && phase >= 0.5) {
    places.x[1] = X(phase - 1);
    places.y[1] = y;
    places.count = 2;
  }
  return places;
}

void DrawLightElements(const AnalysisState& s, Canvas& c, int x, int dy, int H) {
  c.TextOut(
      x, H - dy - 29,
      "Co = " + TrimZeros(Str(s.Epoch, 0, 3)) + " + " + TrimZeros(Str(s.Period, 0, 6)) + " * Eo");
  c.TextOut(
      x, H - dy - 10,
      "C1 = " + TrimZeros(Str(s.ExtrDate, 0, 3)) + " + " + TrimZeros(Str(s.P2, 0, 6)) + " * E1");
}

void DrawPhaseView(AnalysisState& s, Canvas& c) {
  const int W = c.Width(), H = c.Height();
  const int L = 80, T = 40, R = W - 40, B = H - 70;
  s.PhBoxLeft = L;
  s.PhBoxTop = T;
  s.PhBoxRight = R;
  s.PhBoxBottom = B;
  // The points are placed by PhaseGeometry, over the same map.
  const ValueMap map =
      DrawViewFrame(s, c, {L - 4, T - 6, R + 2, B + 6, kFrameFill, {16, 82, 76, L, 3}}, T, B,
                    s.MagLow, s.MagHigh);

  const int32_t n = DrawableObservations(s);
  WritePhases(s, n);
  if (s.FullRange) {
    s.PhScaleX = 2.0 * (R - L) / 3;
    DrawFullPhaseAxis(c, s.PhScaleX, (2.0 * L + R) / 3, B);
  } else {
    s.PhSpan = s.PhMax - s.PhMin;
    const AxisRange window = DrawableRange(s.PhMin, s.PhMax);
    if (window.usable) DrawZoomedPhaseAxis(s, c, window, L, R, B);
  }
  const PhaseGeometry geometry(s);
  for (int32_t i = 1; geometry.Usable() && i <= n; ++i) {
    if (!InMagRange(s, s.Mag[i])) continue;
    // Recent observations are red on the full range only; the observations
    // the next Save extraction writes are red on every paint.
    const bool recent = s.FullRange && s.RecentMark == 'r' && s.JD[i] > s.JDHigh - 0.5;
    const Rgb colour = recent || (s.SelMade && Marked(s, i)) ? kRed : kWhite;
    const PhasePlaces places = geometry.Places(s.Phase[i], s.Mag[i]);
    const double err = ObservationError(s, i);
    for (int k = 0; k < places.count; ++k) {
      DrawErrorBar(c, map, places.x[k], s.Mag[i], err, colour);
      PlotPoint(c, places.x[k], places.y[k], colour);
    }
  }

  c.TextOut(5, T - 28, s.MagLabel);
  c.TextOut(R - 100, B + 28, "Phase");
  c.TextOut(
      L - 10, H - 22,
      "C = " + TrimZeros(Str(s.Epoch, 0, 4)) + " + " + TrimZeros(Str(s.Period, 0, 7)) + " *E");
}

void DrawBinsView(AnalysisState& s, Canvas& c) {
  const int W = c.Width(), H = c.Height();
  const int L = 70, T = 40, R = W - 20, B = H - 80;
  s.BinBoxLeft = L;
  s.BinBoxRight = R;
  s.BinBoxTop = T;
  s.BinBoxBottom = B;
  const ValueMap map = DrawViewFrame(
      s, c, {L, T - 4, R + 2, B + 4, kFrameFill, {16, L, L + 5, L, 5}}, T, B, s.MagLow, s.MagHigh);

  const int32_t N = s.NBins;
  // Panels narrower than a pixel have no ticks to show.
  const bool panelsVisible = N >= 1 && N <= R - L;
  for (int32_t k = 1; panelsVisible && k <= N - 1; ++k) {
    const double part = static_cast<double>(k) / N;
    const int xc = ToPixel((part - 0.5 / N) * (R - L) + L);
    Stroke(c, xc, B - 1, xc, B + 4);
    const int xb = ToPixel(part * (R - L) + L);
    c.SetPenColour(kSeparatorGrey);
    if (std::abs(xb - R) > 2) Stroke(c, xb, T + 1, xb, B - 1);
    c.SetPenColour(kWhite);
    c.TextOut(xb - 8, B + 6, Str(static_cast<int64_t>(k), 2));
  }
  DrawLightElements(s, c, 40, 10, H);
  c.TextOut(L - 45, T - 28, s.MagLabel);
  c.TextOut(R - 380, B + 28, "Bin number of the secondary period phase");

  if (N < 1 || !map.range.usable) return;
  const int32_t n = DrawableObservations(s);
  for (int32_t i = 1; i <= n; ++i) {
    const BinPlace place = SecondaryBinPlace(s, i);
    const int x = ToPixel((R - L) * place.x / N + L);
    DrawErrorBar(c, map, x, s.Mag[i], ObservationError(s, i), kWhite);
    PlotPoint(c, x, map.Y(s.Mag[i]), kWhite);
  }
}

void DrawColourView(AnalysisState& s, Canvas& c) {
  const int W = c.Width(), H = c.Height();
  const int L = 80, T = 30, R = W - 80, B = H - 100;
  s.PhBoxLeft = L;
  s.PhBoxTop = T;
  s.PhBoxRight = R;
  s.PhBoxBottom = B;
  const ValueMap map =
      DrawViewFrame(s, c, {L - 4, T - 4, R + 2, B + 4, kBlack, {10, L + 2, L - 4, L, 3}}, T, B,
                    s.MagLow, s.MagHigh);

  for (int k = 0; k <= 3; ++k) {
    const int x = ToPixel((R - L) * k / 3.0) + L;
    Stroke(c, x, B - 1, x, B + 4);
    c.TextOut(x - 10, B + 10, Str(0.5 * k, 3, 1));
  }
  // The colour scale of the secondary phase; the colour argument is twice
  // the phase.
  for (int i = 0; i <= 200; ++i) {
    c.SetPenColour(PhaseColour(0.01 * i));
    Stroke(c, R + 30, T + i, R + 40, T + i);
  }
  c.SetPenColour(kWhite);
  for (int k = 0; k <= 5; ++k) {
    Stroke(c, R + 40, T + 40 * k, R + 50, T + 40 * k);
    c.TextOut(R + 55, T + 40 * k - 10, Str(0.2 * k, 3, 1));
  }

  const int32_t n = DrawableObservations(s);
  WritePhases(s, n);
  s.PhScaleX = 2.0 * (R - L) / 3;
  const auto mark = [&c](int x, int y, Rgb colour) {
    PlotPoint(c, x, y, colour);
    PlotPoint(c, x - 2, y, colour);
    PlotPoint(c, x - 2, y - 2, colour);
    PlotPoint(c, x, y - 2, colour);
  };
  for (int32_t i = 1; map.range.usable && i <= n; ++i) {
    const double phase = s.Phase[i];
    const int y = map.Y(s.Mag[i]);
    const Rgb colour = PhaseColour(SecondaryColourParam(s, i));
    const double err = ObservationError(s, i);
    // The mark's 4 x 4 pixels end at x + 1, so the bar runs down its middle.
    const int x0 = ToPixel(phase * s.PhScaleX + L);
    DrawErrorBar(c, map, x0, s.Mag[i], err, colour);
    mark(x0, y, colour);
    if (phase <= 0.5) {
      const int x1 = ToPixel((phase + 1) * s.PhScaleX + L);
      DrawErrorBar(c, map, x1, s.Mag[i], err, colour);
      mark(x1, y, colour);
    }
  }

  c.TextOut(5, T - 28, s.MagLabel);
  c.TextOut(R - 100, B + 13, "Phase");
  DrawLightElements(s, c, 40, 10, H);
}

}  // namespace korvel
