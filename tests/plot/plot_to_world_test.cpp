// From a surface point back to data, for each view, from the geometry the
// last paint of that view left behind.
#include "plot/plot_to_world.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "io/param_file.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/stat_file.h"
#include "plot/mean_curve_view.h"
#include "plot/phase_curve_views.h"
#include "plot/plot_fixtures.h"
#include "plot/time_view.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::RecordingCanvas;

AnalysisState Observed(char view, const std::vector<std::pair<double, double>>& observations) {
  AnalysisState s = testing::ShownState(view, observations);
  s.JDLow = 100.1;
  s.JDHigh = 102.5;
  s.MagLow = 10;
  s.MagHigh = 12;
  s.Period = 1;
  return s;
}

void ExpectOutside(const AnalysisState& s, int x, int y) {
  const WorldPoint w = PlotToWorld(s, x, y);
  EXPECT_FALSE(w.inside) << x << "," << y;
  EXPECT_EQ(w.u, 0) << x << "," << y;
  EXPECT_EQ(w.v, 0) << x << "," << y;
}

TEST(PlotToWorld, SpectrumReadsFrequencyAndStatistic) {
  AnalysisState s = Observed('d', {});
  s.DataReady = 'n';
  s.FreqLo = 0.5;
  s.FreqHi = 1;
  s.SpecMin = 0;
  s.SpecMax = 0.25;
  // Region (80, 50) - (560, 300); u = 0.5 + (x - 80) / 480 * 0.5,
  // v = (300 - y) / 250 * 0.25.
  WorldPoint w = PlotToWorld(s, 80, 50);
  EXPECT_TRUE(w.inside);
  EXPECT_DOUBLE_EQ(w.u, 0.5);
  EXPECT_DOUBLE_EQ(w.v, 0.25);  // SpecMax
  w = PlotToWorld(s, 320, 299);
  EXPECT_TRUE(w.inside);
  EXPECT_DOUBLE_EQ(w.u, 0.75);
  EXPECT_DOUBLE_EQ(w.v, 0.001);  // just above SpecMin
  EXPECT_TRUE(PlotToWorld(s, 559, 299).inside);
  ExpectOutside(s, 560, 100);
  ExpectOutside(s, 79, 100);
  ExpectOutside(s, 100, 300);
  ExpectOutside(s, 100, 49);
  for (char view : {'l', 's'}) {
    s.View = view;
    EXPECT_TRUE(PlotToWorld(s, 320, 299).inside) << view;
  }
  s.DataReady = 'b';
  EXPECT_TRUE(PlotToWorld(s, 320, 299).inside);
}

TEST(PlotToWorld, FullPhaseViewReadsPhaseAndMagnitudeWithAFiveDotMargin) {
  AnalysisState s = Observed('d', {});
  RecordingCanvas c;
  DrawPhaseView(s, c);
  // Frame 80 .. 694 x 40 .. 362 grown by 5; phase (x - 284.67) / 409.33.
  WorldPoint w = PlotToWorld(s, 80, 40);
  EXPECT_TRUE(w.inside);
  EXPECT_NEAR(w.u, -0.5, 1e-12);
  EXPECT_NEAR(w.v, 10, 1e-12);
  w = PlotToWorld(s, 694, 362);
  EXPECT_NEAR(w.u, 1.0, 1e-12);
  EXPECT_NEAR(w.v, 12, 1e-12);
  w = PlotToWorld(s, 489, 120);
  EXPECT_NEAR(w.u, (489 - 854.0 / 3) / (1228.0 / 3), 1e-12);
  EXPECT_NEAR(w.v, 10 + 2.0 * 80 / 322, 1e-12);
  EXPECT_TRUE(PlotToWorld(s, 75, 35).inside);
  EXPECT_TRUE(PlotToWorld(s, 698, 366).inside);
  ExpectOutside(s, 74, 100);
  ExpectOutside(s, 699, 100);
  ExpectOutside(s, 100, 34);
  ExpectOutside(s, 100, 367);
}

TEST(PlotToWorld, IntensityModeReadOutFollowsTheUpsideDownPicture) {
  AnalysisState s = Observed('l', {{100.3, 11.25}});
  ToggleMagMode(s);
  RecordingCanvas c;
  DrawPhaseView(s, c);
  EXPECT_NEAR(PlotToWorld(s, 100, 40).v, 12, 1e-12);
  EXPECT_NEAR(PlotToWorld(s, 100, 362).v, 10, 1e-12);
  EXPECT_NEAR(PlotToWorld(s, 100, 120).v, 12 - 2.0 * 80 / 322, 1e-12);
  // The point was drawn at (407, 161): it reads back within half a pixel.
  const WorldPoint w = PlotToWorld(s, 407, 161);
  EXPECT_NEAR(w.u, 0.3, 0.5 / 409.33);
  EXPECT_NEAR(w.v, 11.25, 0.5 / 161);
}

TEST(PlotToWorld, ZoomedPhaseViewReadsInsideThePhaseWindow) {
  AnalysisState s = Observed('d', {});
  s.FullRange = false;
  s.PhMin = -0.2;
  s.PhMax = 0.2;
  RecordingCanvas c(744, 432);
  DrawPhaseView(s, c);
  // u = -0.2 + (x - 80) / 624 * 0.4.
  EXPECT_NEAR(PlotToWorld(s, 236, 201).u, -0.1, 1e-12);
  EXPECT_NEAR(PlotToWorld(s, 80, 201).u, -0.2, 1e-12);
  EXPECT_NEAR(PlotToWorld(s, 704, 201).u, 0.2, 1e-12);
  EXPECT_TRUE(PlotToWorld(s, 708, 201).inside);
  ExpectOutside(s, 709, 201);
}

TEST(PlotToWorld, MeanCurveViewReadsOverItsOwnRangeInsideTheFrame) {
  AnalysisState s = Observed('m', {});
  s.MeanMagLow = 10;
  s.MeanMagHigh = 12;
  RecordingCanvas c;
  DrawMeanCurveView(s, c);
  // Frame 80 .. 694 x 30 .. 372, no margin; u = 1.5 (x - 80) / 614.
  WorldPoint w = PlotToWorld(s, 387, 201);
  EXPECT_TRUE(w.inside);
  EXPECT_NEAR(w.u, 0.75, 1e-12);
  EXPECT_NEAR(w.v, 11, 1e-12);
  EXPECT_NEAR(PlotToWorld(s, 80, 30).v, 10, 1e-12);
  ExpectOutside(s, 79, 100);
  ExpectOutside(s, 694, 100);
  ExpectOutside(s, 100, 372);
}

TEST(PlotToWorld, TimeViewReadsDateAndMagnitude) {
  AnalysisState s = Observed('t', {{101.3, 11}});
  RecordingCanvas c;
  DrawTimeView(s, c);
  // Frame 80 .. 714 x 50 .. 352; 634 / 2.4 pixels per day.
  WorldPoint w = PlotToWorld(s, 397, 201);
  EXPECT_TRUE(w.inside);
  EXPECT_NEAR(w.u, 101.3, 1e-9);
  EXPECT_NEAR(w.v, 11, 1e-12);
  EXPECT_TRUE(PlotToWorld(s, 80, 50).inside);
  ExpectOutside(s, 714, 100);
  ExpectOutside(s, 100, 352);
  ExpectOutside(s, 79, 100);
}

TEST(PlotToWorld, ViewsWithoutARegionReadNothing) {
  for (char view : {'s', 'n', 'h', 'x'}) {
    AnalysisState s = Observed(view, {});
    s.PhBoxLeft = 80;
    s.PhBoxTop = 40;
    s.PhBoxRight = 694;
    s.PhBoxBottom = 362;
    ExpectOutside(s, 300, 200);
  }
  AnalysisState s = Observed('t', {});
  s.DataReady = 'n';  // a time view is not shown before it is ready
  ExpectOutside(s, 300, 200);
}

TEST(PlotToWorld, SingleObservationReadsBackFromTheMiddleOfTheFrame) {
  // One observation: zero date span and zero value range, widened by a unit.
  AnalysisState s = Observed('t', {{100, 11}});
  s.JDLow = s.JDHigh = 100;
  s.MagLow = s.MagHigh = 11;
  RecordingCanvas c;
  DrawTimeView(s, c);
  // The point lies at the centre: x 80 + 634 / 2 = 397, y 50 + 302 / 2 = 201.
  EXPECT_EQ(c.CountPixels(kWhite, 397, 201, 399, 203), 4);
  const WorldPoint w = PlotToWorld(s, 397, 201);
  EXPECT_TRUE(w.inside);
  EXPECT_NEAR(w.u, 100, 1.0 / 634);
  EXPECT_NEAR(w.v, 11, 1.0 / 302);
}

}  // namespace
}  // namespace korvel
