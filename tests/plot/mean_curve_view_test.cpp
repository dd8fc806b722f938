// The mean light curve (view 'm'): mean points with error bars, repeated a
// phase later up to 1.5, and the hand-adjustable curve in green. On 734 x 432
// the frame is L 80, T 30, R 694, B 372; X(phase) = phase * 409.33 + 80 and,
// over 10 .. 12, y = 30 + (mag - 10) * 171.
#include "plot/mean_curve_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "io/param_file.h"
#include "plot/axes.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

AnalysisState MeanState() {
  AnalysisState s;
  SetParameterDefaults(s);
  s.View = 'm';
  s.DataReady = 'y';
  s.WaveState = 'd';
  s.Epoch = 2450000.1234;
  s.Period = 0.5;
  s.MeanPoints = 2;
  s.MeanPhase[1] = 0.25;
  s.MeanMag[1] = 11;
  s.MeanPhaseErr[1] = 0.01;
  s.MeanMagErr[1] = 0.1;
  s.EditedMag[1] = 11;
  s.MeanPhase[2] = 0.75;
  s.MeanMag[2] = 11.4;
  s.EditedMag[2] = 11.75;
  s.MeanMagLow = 10;
  s.MeanMagHigh = 12;
  return s;
}

std::vector<CanvasOp> GreenLines(const RecordingCanvas& c) {
  std::vector<CanvasOp> out;
  for (const CanvasOp& op : c.Lines())
    if (op.state.pen == kCurveGreen) out.push_back(op);
  return out;
}

TEST(MeanCurveView, PointsCarryErrorBarsAndEarlyPhasesRepeat) {
  AnalysisState s = MeanState();
  RecordingCanvas c;
  DrawMeanCurveView(s, c);
  // Point 1: x 182.33, bars from X(0.24) = 178.24 to X(0.26) = 186.43 and
  // from y(11.1) = 218.1 to y(10.9) = 183.9, box (181, 200, 184, 203).
  const std::vector<CanvasOp> rects = c.OpsOf(CanvasOp::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 4u);  // the frame, point 1 twice, point 2 once
  EXPECT_EQ(std::vector<int>({rects[1].x1, rects[1].y1, rects[1].x2, rects[1].y2}),
            std::vector<int>({181, 200, 184, 203}));
  EXPECT_EQ(c.PixelAt(181, 200), kWhite);
  EXPECT_EQ(c.PixelAt(182, 218), kWhite);
  EXPECT_EQ(c.PixelAt(182, 184), kFrameFill);  // end of the bar left out
  EXPECT_EQ(c.PixelAt(178, 201), kWhite);
  EXPECT_EQ(c.PixelAt(185, 201), kWhite);
  EXPECT_EQ(c.PixelAt(186, 201), kFrameFill);
  // Phase 0.25 again at 1.25: x 591.67, bars 587.57 .. 595.76.
  EXPECT_TRUE(c.HasLine(592, 218, 592, 184));
  EXPECT_TRUE(c.HasLine(588, 201, 596, 201));
  EXPECT_EQ(c.PixelAt(588, 201), kWhite);
  // Point 2 at phase 0.75 (x 387, y 269.4), without error, once only.
  EXPECT_EQ(std::vector<int>({rects[3].x1, rects[3].y1, rects[3].x2, rects[3].y2}),
            std::vector<int>({386, 268, 389, 271}));
  EXPECT_EQ(c.PixelAt(386, 268), kWhite);

  // The green curve through (X, y(EditedMag)), continued to phase 1.25.
  const std::vector<CanvasOp> green = GreenLines(c);
  ASSERT_EQ(green.size(), 2u);
  EXPECT_TRUE(c.HasLine(182, 201, 387, 329));  // y(11.75) = 329.25
  EXPECT_TRUE(c.HasLine(387, 329, 592, 201));
  for (const CanvasOp& op : green) EXPECT_EQ(op.state.penMode, PenMode::Copy);
  EXPECT_EQ(c.PixelAt(182, 201), kCurveGreen);
  EXPECT_EQ(c.PixelAt(387, 329), kCurveGreen);
  // Pen white again for the titles.
  EXPECT_EQ(c.State().pen, kWhite);
}

TEST(MeanCurveView, AxesTitlesAndGeometry) {
  AnalysisState s = MeanState();
  RecordingCanvas c;
  DrawMeanCurveView(s, c);
  const std::vector<CanvasOp> rects = c.OpsOf(CanvasOp::Kind::Rectangle);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(std::vector<int>({rects[0].x1, rects[0].y1, rects[0].x2, rects[0].y2}),
            std::vector<int>({76, 26, 696, 376}));
  // Abscissa 0 .. 1.5 at x 80, 284.67, 489.33, 694.
  const std::vector<std::pair<std::string, int>> ticks = {
      {"0.0", 80}, {"0.5", 285}, {"1.0", 489}, {"1.5", 694}};
  for (const auto& [text, x] : ticks) {
    EXPECT_TRUE(c.HasLine(x, 370, x, 376)) << text;
    EXPECT_TRUE(c.HasTextAt(text, x - 10, 382)) << text;
  }
  EXPECT_TRUE(c.HasLine(79, 201, 76, 201));
  EXPECT_TRUE(c.HasTextAt("11.0", 32, 191));
  EXPECT_TRUE(c.HasTextAt("Mag", 5, 2));
  EXPECT_TRUE(c.HasTextAt("Phase", 594, 385));
  EXPECT_TRUE(c.HasTextAt("C = 2450000.123 + 0.5 *E", 70, 407));

  EXPECT_EQ(s.PhBoxLeft, 80);
  EXPECT_EQ(s.PhBoxTop, 30);
  EXPECT_EQ(s.PhBoxRight, 694);
  EXPECT_EQ(s.PhBoxBottom, 372);
  EXPECT_DOUBLE_EQ(s.PhScaleX, 2.0 * 614 / 3);
  EXPECT_DOUBLE_EQ(s.SpecYScale, 171);
}

TEST(MeanCurveView, NoMeanPointsDrawsFrameAxesAndTitlesOnly) {
  AnalysisState s = MeanState();
  // What the moving average leaves when no window held an observation.
  s.MeanPoints = 0;
  s.MeanMagHigh = -1000000;
  s.MeanMagLow = 1000000;
  RecordingCanvas c;
  DrawMeanCurveView(s, c);
  EXPECT_EQ(c.OpsOf(CanvasOp::Kind::Rectangle).size(), 1u);
  EXPECT_TRUE(GreenLines(c).empty());
  EXPECT_TRUE(c.HasTextAt("0.5", 275, 382));
  EXPECT_TRUE(c.HasTextAt("Mag", 5, 2));
  EXPECT_TRUE(c.HasTextAt("Phase", 594, 385));
  EXPECT_TRUE(c.HasTextAt("C = 2450000.123 + 0.5 *E", 70, 407));
  EXPECT_LE(c.MaxAbsCoordinate(), kPixelLimit);
  EXPECT_TRUE(std::isfinite(s.SpecYScale));
}

TEST(MeanCurveView, OnePointWithoutErrorIsDrawnMidFrame) {
  AnalysisState s = MeanState();
  s.MeanPoints = 1;
  s.MeanPhase[1] = 0.6;
  s.MeanMag[1] = s.EditedMag[1] = 11;
  s.MeanPhaseErr[1] = s.MeanMagErr[1] = 0;
  s.MeanMagLow = s.MeanMagHigh = 11;
  RecordingCanvas c;
  DrawMeanCurveView(s, c);
  // The empty range is widened to 10.5 .. 11.5: y(11) = 30 + 342 / 2 = 201;
  // X(0.6) = 325.6.
  const std::vector<CanvasOp> rects = c.OpsOf(CanvasOp::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(std::vector<int>({rects[1].x1, rects[1].y1, rects[1].x2, rects[1].y2}),
            std::vector<int>({325, 200, 328, 203}));
  EXPECT_TRUE(c.HasTextAt("Mag", 5, 2));
  EXPECT_LE(c.MaxAbsCoordinate(), kPixelLimit);
  EXPECT_TRUE(std::isfinite(s.SpecYScale));
}

}  // namespace
}  // namespace korvel
