// The light curves against phase: views 'd' and 'l' (full and zoomed phase
// axis), 's' (secondary-phase bins) and 'n' (coloured by secondary phase).
// Observations are folded with Epoch 0 and Period 1, so JD 100.7 has phase
// 0.7; the value range is 10 .. 12.
#include "plot/phase_curve_views.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "io/param_file.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/stat_file.h"
#include "plot/axes.h"
#include "plot/plot_fixtures.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

AnalysisState PhaseState(char view, const std::vector<std::pair<double, double>>& observations) {
  AnalysisState s = testing::ShownState(view, observations, -1);
  s.JDLow = 100;
  s.JDHigh = 101;
  s.MagLow = 10;
  s.MagHigh = 12;
  s.Period = 1;
  s.Epoch = 0;
  s.P2 = 4;
  s.ExtrDate = 0;
  s.NBins = 4;
  return s;
}

int Markers(const RecordingCanvas& c) {
  return static_cast<int>(c.OpsOf(CanvasOp::Kind::SetPixel).size()) / 4;
}

// Views 'd' and 'l' on 734 x 432: frame L 80, T 40, R 694, B 362. Full phase
// axis: PhScaleX = 2 * 614 / 3 = 409.33, x(phase) = phase * 409.33 + 284.67;
// y = 40 + (mag - 10) * 161.
TEST(PhaseView, FullRangeDrawsPhasesFromHalfADayOnTwice) {
  for (char view : {'d', 'l'}) {
    AnalysisState s = PhaseState(view, {{100.7, 11}, {100.3, 11.25}});
    RecordingCanvas c;
    DrawPhaseView(s, c);
    // Phase 0.7 at x 571.2 and again at -0.3 (x 161.87); 0.3 once at 407.47.
    EXPECT_EQ(c.CountPixels(kWhite, 571, 201, 573, 203), 4) << view;
    EXPECT_EQ(c.CountPixels(kWhite, 162, 201, 164, 203), 4) << view;
    EXPECT_EQ(c.CountPixels(kWhite, 407, 241, 409, 243), 4) << view;
    EXPECT_EQ(c.CountPixels(kWhite, 90, 41, 690, 362), 12) << view;
    EXPECT_NEAR(s.Phase[1], 0.7, 1e-9);
    EXPECT_NEAR(s.Phase[2], 0.3, 1e-9);

    // Ticks at -0.5, 0, 0.5, 1 from (x, 363) to (x, 368), labels at (x - 10, 372).
    for (int x : {80, 285, 489, 694}) EXPECT_TRUE(c.HasLine(x, 363, x, 368)) << x;
    EXPECT_TRUE(c.HasTextAt("-0.5", 70, 372));
    EXPECT_TRUE(c.HasTextAt("0.0", 275, 372));
    EXPECT_TRUE(c.HasTextAt("0.5", 479, 372));
    EXPECT_TRUE(c.HasTextAt("1.0", 684, 372));
    // Value axis: "11.0" right-aligned to 80 - 24 at y(11) - 10.
    EXPECT_TRUE(c.HasTextAt("11.0", 32, 191));
    EXPECT_TRUE(c.HasLine(82, 201, 76, 201));
    EXPECT_TRUE(c.HasTextAt("Mag", 5, 12));
    EXPECT_TRUE(c.HasTextAt("Phase", 594, 390));
    EXPECT_TRUE(c.HasTextAt("C = 0.0 + 1.0 *E", 70, 410));

    EXPECT_EQ(s.PhBoxLeft, 80);
    EXPECT_EQ(s.PhBoxTop, 40);
    EXPECT_EQ(s.PhBoxRight, 694);
    EXPECT_EQ(s.PhBoxBottom, 362);
    EXPECT_DOUBLE_EQ(s.PhScaleX, 2.0 * 614 / 3);
    EXPECT_DOUBLE_EQ(s.SpecYScale, 161);
  }
}

TEST(PhaseView, RecentObservationsAreRedInBothPlaces) {
  AnalysisState s = PhaseState('d', {{100.7, 11}, {100.3, 11.25}});
  s.RecentMark = 'r';  // later than JDHigh - 0.5 = 100.5
  RecordingCanvas c;
  DrawPhaseView(s, c);
  EXPECT_EQ(c.CountPixels(kRed, 571, 201, 573, 203), 4);
  EXPECT_EQ(c.CountPixels(kRed, 162, 201, 164, 203), 4);
  EXPECT_EQ(c.CountPixels(kRed), 8);
  EXPECT_EQ(c.CountPixels(kWhite, 407, 241, 409, 243), 4);
}

TEST(PhaseView, HalfPhaseIsDrawnTwiceAndHalfADayBeforeTheEndIsNotRecent) {
  // JD 100.5 is not later than JDHigh - 0.5; phase 0.5 at x 489.33 and -0.5
  // at x 80; y = 40 + 1.1 * 161 = 217.1.
  AnalysisState s = PhaseState('d', {{100.5, 11.1}});
  s.RecentMark = 'r';
  RecordingCanvas c;
  DrawPhaseView(s, c);
  EXPECT_EQ(c.CountPixels(kWhite, 489, 217, 491, 219), 4);
  EXPECT_EQ(c.CountPixels(kWhite, 80, 217, 82, 219), 4);
  EXPECT_EQ(c.CountPixels(kRed), 0);
}

TEST(PhaseView, OutOfRangeMagnitudesAreLeftOut) {
  AnalysisState s = PhaseState('d', {{100.3, 12.01}, {100.4, 9.99}, {100.2, 12}});
  RecordingCanvas c;
  DrawPhaseView(s, c);
  EXPECT_EQ(Markers(c), 1);                                 // only the one at MagHigh
  EXPECT_EQ(c.CountPixels(kWhite, 367, 362, 369, 364), 4);  // phase 0.2 at x 366.53, y 362
}

TEST(PhaseView, IntensityModeTurnsTheCurveUpsideDown) {
  AnalysisState s = PhaseState('d', {{100.3, 11.25}});
  ToggleMagMode(s);
  RecordingCanvas c;
  DrawPhaseView(s, c);
  // y = 40 + 322 - 1.25 * 161 = 160.75.
  EXPECT_EQ(c.CountPixels(kWhite, 407, 161, 409, 163), 4);
  EXPECT_EQ(c.PixelAt(407, 241), kFrameFill);
  EXPECT_TRUE(c.HasTextAt("Flux", 5, 12));
  // "11.4" labels y(11.4) = 362 - 1.4 * 161 = 136.6, above the middle now.
  EXPECT_TRUE(c.HasTextAt("11.4", 32, 127));
  EXPECT_TRUE(c.HasLine(82, 137, 76, 137));
}

// Zoomed to -0.2 .. 0.2 on a 744-wide surface (R 704): x(phase) = (phase +
// 0.2) / 0.4 * 624 + 80.
TEST(PhaseView, ZoomedWindowTakesLatePhasesBeforeZeroOnly) {
  AnalysisState s = PhaseState('d', {{100.9, 11}, {100.5, 11}, {100.1, 11.25}});
  s.FullRange = false;
  s.PhMin = -0.2;
  s.PhMax = 0.2;
  s.RecentMark = 'r';  // not applied to a zoomed window
  RecordingCanvas c(744, 432);
  DrawPhaseView(s, c);
  // Phase 0.9: drawn at -0.1 (x 236), its first marker at x 1796 off the
  // surface; 0.5 is not taken (below 1 + PhMin = 0.8); 0.1 at x 548.
  EXPECT_EQ(c.CountPixels(kWhite, 236, 201, 238, 203), 4);
  EXPECT_EQ(c.CountPixels(kWhite, 548, 241, 550, 243), 4);
  EXPECT_EQ(c.CountPixels(kWhite, 90, 41, 700, 360), 8);
  EXPECT_EQ(c.CountPixels(kRed), 0);
  EXPECT_EQ(Markers(c), 3);

  // Step 0.05 (w 4, d 2), ticks strictly inside the window: -0.15 .. 0.15,
  // strokes (x, 361) to (x, 366), labels at (x - 3 * length, 369).
  const std::vector<std::pair<std::string, int>> ticks = {
      {"-0.15", 158}, {"-0.10", 236}, {"-0.05", 314}, {"0.00", 392},
      {"0.05", 470},  {"0.10", 548},  {"0.15", 626}};
  for (const auto& [text, x] : ticks) {
    EXPECT_TRUE(c.HasLine(x, 361, x, 366)) << text;
    EXPECT_TRUE(c.HasTextAt(text, x - 3 * static_cast<int>(text.size()), 369)) << text;
  }
  EXPECT_FALSE(c.HasText("-0.20"));
  EXPECT_FALSE(c.HasText("0.20"));
  EXPECT_EQ(s.PhBoxRight, 704);
  EXPECT_DOUBLE_EQ(s.PhSpan, 0.4);
  EXPECT_EQ(s.StepIndex, 17);  // the phase axis is the last one drawn
}

TEST(PhaseView, NoObservationsLeavesFrameAxesAndTitles) {
  AnalysisState s = PhaseState('l', {});
  s.MagLow = s.MagHigh = 0;  // what a load that accepted no line leaves
  RecordingCanvas c;
  DrawPhaseView(s, c);
  EXPECT_EQ(c.OpsOf(CanvasOp::Kind::Rectangle).size(), 1u);
  EXPECT_EQ(Markers(c), 0);
  EXPECT_TRUE(c.HasTextAt("Mag", 5, 12));
  EXPECT_TRUE(c.HasTextAt("Phase", 594, 390));
  EXPECT_TRUE(c.HasTextAt("0.5", 479, 372));
  EXPECT_LE(c.MaxAbsCoordinate(), kPixelLimit);
}

TEST(PhaseView, EphemerisLineKeepsFourDecimalsOfTheEpoch) {
  AnalysisState s = PhaseState('d', {});
  s.Epoch = 2450000.12346;
  s.Period = 0.4567891234;
  RecordingCanvas c;
  DrawPhaseView(s, c);
  EXPECT_TRUE(c.HasTextAt("C = 2450000.1235 + 0.4567891 *E", 70, 410));
}

// View 'n' on 734 x 432: frame L 80, T 30, R 654, B 332, filled black;
// PhScaleX = 2 * 574 / 3 = 382.67, x = phase * 382.67 + 80; y = 30 + (mag - 10) * 151.
TEST(ColourView, HalfPhaseIsDrawnAtHalfAndAtOneAndAHalf) {
  // JD 100.5: phase 0.5; secondary phase frac(100.5 / 4) = 0.125, colour
  // parameter 0.25: red 255 (cos(-pi/4) + 1) / 2 = 217.66, green
  // 255 (cos(-3pi/4) + 1) / 2 = 37.34, blue 255 (1 - cos(-pi/4)) / 2 = 37.34.
  AnalysisState s = PhaseState('n', {{100.5, 11}});
  RecordingCanvas c;
  DrawColourView(s, c);
  const Rgb colour{217, 37, 37};
  // Marks of 4 x 4 at x - 2 .. x + 1, y - 2 .. y + 1: x 271.33 and 654, y 181.
  EXPECT_EQ(c.CountPixels(colour, 269, 179, 273, 183), 16);
  EXPECT_EQ(c.CountPixels(colour, 652, 179, 656, 183), 16);
  EXPECT_EQ(c.CountPixels(colour, 0, 0, 660, 432), 32);
  EXPECT_EQ(c.PixelAt(268, 181), kBlack);
  EXPECT_EQ(c.PixelAt(273, 181), kBlack);
  EXPECT_EQ(c.PixelAt(400, 100), kBlack);
  EXPECT_DOUBLE_EQ(s.Phase[1], 0.5);

  // Legend: strokes (684, 30 + i) to (694, 30 + i) in the colour of 0.01 i.
  EXPECT_EQ(c.PixelAt(684, 30), (Rgb{127, 0, 127}));
  EXPECT_EQ(c.PixelAt(693, 80), (Rgb{255, 127, 0}));
  EXPECT_EQ(c.PixelAt(694, 80), kWindowColour);
  EXPECT_EQ(c.PixelAt(690, 55), colour);
  for (int k = 0; k <= 5; ++k) EXPECT_TRUE(c.HasLine(694, 30 + 40 * k, 704, 30 + 40 * k)) << k;
  EXPECT_TRUE(c.HasTextAt("0.0", 709, 20));
  EXPECT_TRUE(c.HasTextAt("0.4", 709, 100));
  EXPECT_TRUE(c.HasTextAt("1.0", 709, 220));

  // Abscissa 0 .. 1.5: ticks at x 80, 271, 463, 654.
  const std::vector<std::pair<std::string, int>> ticks = {
      {"0.0", 80}, {"0.5", 271}, {"1.0", 463}, {"1.5", 654}};
  for (const auto& [text, x] : ticks) {
    EXPECT_TRUE(c.HasLine(x, 331, x, 336)) << text;
    EXPECT_TRUE(c.HasTextAt(text, x - 10, 342)) << text;
  }
  EXPECT_TRUE(c.HasTextAt("11.0", 32, 171));
  EXPECT_TRUE(c.HasLine(82, 181, 76, 181));
  EXPECT_TRUE(c.HasTextAt("Mag", 5, 2));
  EXPECT_TRUE(c.HasTextAt("Phase", 554, 345));
  EXPECT_TRUE(c.HasTextAt("Co = 0.0 + 1.0 * Eo", 40, 393));
  EXPECT_TRUE(c.HasTextAt("C1 = 0.0 + 4.0 * E1", 40, 412));

  EXPECT_EQ(s.PhBoxLeft, 80);
  EXPECT_EQ(s.PhBoxTop, 30);
  EXPECT_EQ(s.PhBoxRight, 654);
  EXPECT_EQ(s.PhBoxBottom, 332);
  EXPECT_DOUBLE_EQ(s.PhScaleX, 2.0 * 574 / 3);
}

TEST(ColourView, LaterPhasesAreDrawnOnce) {
  AnalysisState s = PhaseState('n', {{100.75, 11}});
  RecordingCanvas c;
  DrawColourView(s, c);
  EXPECT_EQ(Markers(c), 4);  // one 4 x 4 mark
}

// View 's' on 734 x 432: frame L 70, T 40, R 714, B 352; four panels of 161
// pixels; y = 40 + (mag - 10) * 156.
TEST(BinsView, PanelsTicksSeparatorsAndPoints) {
  // JD 99.75: u = frac(99.75 + 0.5) = 0.25; v = frac(-0.25 / 40 - 0.125) =
  // 0.86875, bin 3: X = 3.25 -> x = 644 * 3.25 / 4 + 70 = 593.25.
  AnalysisState s = PhaseState('s', {{99.75, 11}});
  s.P2 = 40;
  s.ExtrDate = 100;
  RecordingCanvas c;
  DrawBinsView(s, c);
  EXPECT_EQ(c.CountPixels(kWhite, 593, 196, 595, 198), 4);
  EXPECT_EQ(s.Phase[1], -1);  // this view writes no phase

  // Panel centres 150.5, 311.5, 472.5 round to the even 150, 312, 472.
  for (int x : {150, 312, 472}) EXPECT_TRUE(c.HasLine(x, 351, x, 356)) << x;
  // Right edges 231, 392, 553: grey separators from y 41 to 351 (excluded).
  for (int x : {231, 392, 553}) {
    EXPECT_TRUE(c.HasLine(x, 41, x, 351)) << x;
    EXPECT_EQ(c.PixelAt(x, 41), kSeparatorGrey) << x;
    EXPECT_EQ(c.PixelAt(x, 350), kSeparatorGrey) << x;
    EXPECT_EQ(c.PixelAt(x, 351), kFrameFill) << x;
  }
  EXPECT_TRUE(c.HasTextAt(" 1", 223, 358));
  EXPECT_TRUE(c.HasTextAt(" 2", 384, 358));
  EXPECT_TRUE(c.HasTextAt(" 3", 545, 358));
  EXPECT_FALSE(c.HasText(" 4"));  // the last panel has neither tick nor label

  // Value axis: stroke (70, y) to (75, y); "11.0" at 70 - 30 - 18 = 22.
  EXPECT_TRUE(c.HasLine(70, 196, 75, 196));
  EXPECT_TRUE(c.HasTextAt("11.0", 22, 186));
  EXPECT_TRUE(c.HasTextAt("Mag", 25, 12));
  EXPECT_TRUE(c.HasTextAt("Bin number of the secondary period phase", 334, 380));
  EXPECT_TRUE(c.HasTextAt("Co = 0.0 + 1.0 * Eo", 40, 393));
  EXPECT_TRUE(c.HasTextAt("C1 = 100.0 + 40.0 * E1", 40, 412));

  const std::vector<CanvasOp> rects = c.OpsOf(CanvasOp::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(std::vector<int>({rects[0].x1, rects[0].y1, rects[0].x2, rects[0].y2}),
            std::vector<int>({70, 36, 716, 356}));
  EXPECT_EQ(s.BinBoxLeft, 70);
  EXPECT_EQ(s.BinBoxRight, 714);
  EXPECT_EQ(s.BinBoxTop, 40);
  EXPECT_EQ(s.BinBoxBottom, 352);
  EXPECT_DOUBLE_EQ(s.SpecYScale, 156);
}

}  // namespace
}  // namespace korvel
