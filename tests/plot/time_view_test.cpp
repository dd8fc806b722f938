// The light curve against time (view 't'): date ticks and their labels, the
// points within the window, the mirror image and the model of a collecting
// file. On 734 x 432 the frame is L 80, T 50, R 714, B 352.
#include "plot/time_view.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "io/param_file.h"
#include "plot/axes.h"
#include "plot/plot_fixtures.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

AnalysisState TimeState(double jdLow, double jdHigh,
                        const std::vector<std::pair<double, double>>& observations) {
  AnalysisState s = testing::ShownState('t', observations);
  s.JDLow = jdLow;
  s.JDHigh = jdHigh;
  s.MagLow = 10;
  s.MagHigh = 12;
  return s;
}

// The date ticks: strokes from (x, 352) to (x, 356).
std::vector<int> DateTickXs(const RecordingCanvas& c) {
  std::vector<int> xs;
  for (const CanvasOp& op : c.Lines())
    if (op.y1 == 352 && op.y2 == 356 && op.x1 == op.x2) xs.push_back(op.x1);
  return xs;
}
// The date labels, drawn at y = B + 6.
std::vector<std::pair<std::string, int>> DateLabels(const RecordingCanvas& c) {
  std::vector<std::pair<std::string, int>> out;
  for (const CanvasOp& op : c.Texts())
    if (op.y1 == 358) out.emplace_back(op.text, op.x1);
  return out;
}

TEST(TimeView, UnderOneDayOnlyTheFirstTickShowsTheWholeDate) {
  AnalysisState s = TimeState(100.02, 100.62, {});
  RecordingCanvas c;
  DrawTimeView(s, c);
  // Span 0.6: step 0.05 (position 17: w 4, d 2), 12 steps, so "alternate" is
  // on, yet fraction labels are never thinned out. 634 / 0.6 = 1056.67 px per
  // day; first tick 100.05 at 80 + 0.03 * 1056.67 = 111.7.
  EXPECT_EQ(DateTickXs(c),
            (std::vector<int>{112, 165, 217, 270, 323, 376, 429, 482, 534, 587, 640, 693}));
  const std::vector<std::pair<std::string, int>> expected = {
      {"100.05", 92}, {".10", 159}, {".15", 211}, {".20", 264}, {".25", 317}, {".30", 370},
      {".35", 423},   {".40", 476}, {".45", 528}, {".50", 581}, {".55", 634}, {".60", 687}};
  EXPECT_EQ(DateLabels(c), expected);
  EXPECT_DOUBLE_EQ(s.TimeScaleX, 634 / (100.62 - 100.02));
  EXPECT_EQ(s.StepIndex, 17);  // the date axis is drawn after the value axis
}

TEST(TimeView, OverTwelveStepsEverySecondTickIsLabelledFromTheFirst) {
  AnalysisState s = TimeState(100.1, 102.5, {});
  RecordingCanvas c;
  DrawTimeView(s, c);
  // Span 2.4: step 0.2 never doubled, 264.17 px per day; ticks 100.2 .. 102.4.
  EXPECT_EQ(DateTickXs(c),
            (std::vector<int>{106, 159, 212, 265, 318, 371, 423, 476, 529, 582, 635, 688}));
  const std::vector<std::pair<std::string, int>> expected = {{"100.2", 86},  {"100.6", 192},
                                                             {"101.0", 298}, {"101.4", 403},
                                                             {"101.8", 509}, {"102.2", 615}};
  EXPECT_EQ(DateLabels(c), expected);
  EXPECT_EQ(s.StepIndex, 15);
}

TEST(TimeView, DrawsPointsInsideTheWindowsAndTheirMirrorImages) {
  AnalysisState s = TimeState(100.1, 102.5, {{101.3, 11}, {100.05, 11}, {101.8, 12.05}});
  s.MirrorOn = true;
  s.MirrorJD = 101.05;
  s.MouseOn = 'n';
  RecordingCanvas c;
  DrawTimeView(s, c);
  // x = 80 + (JD - 100.1) * 634 / 2.4; y = 50 + (Mag - 10) * 151.
  // 101.3 -> (397, 201); its mirror 2 * 101.05 - 101.3 = 100.8 -> x 264.92.
  EXPECT_EQ(c.CountPixels(kWhite, 397, 201, 399, 203), 4);
  EXPECT_EQ(c.PixelAt(399, 201), kFrameFill);
  EXPECT_EQ(c.CountPixels(kRed, 265, 201, 267, 203), 4);
  EXPECT_EQ(c.CountPixels(kRed), 4);
  // Before JDLow (x 67, outside the frame) and below MagHigh (y 360): not drawn.
  EXPECT_EQ(c.PixelAt(67, 201), kWindowColour);
  EXPECT_EQ(c.PixelAt(529, 360), kWindowColour);
  EXPECT_EQ(c.CountPixels(kWhite, 90, 60, 700, 340), 4);
  EXPECT_TRUE(c.HasTextAt("  101.05000", 80, 385));

  EXPECT_TRUE(c.HasTextAt("Mag", 5, 22));
  EXPECT_TRUE(c.HasTextAt("JD", 694, 385));
  // Value axis 10 .. 12: step 0.2; "11.0" right-aligned to 80 - 24.
  EXPECT_TRUE(c.HasTextAt("11.0", 32, 191));
  EXPECT_TRUE(c.HasLine(82, 201, 76, 201));

  EXPECT_EQ(s.FrameLeft, 80);
  EXPECT_EQ(s.FrameRight, 714);
  EXPECT_EQ(s.FrameTop, 50);
  EXPECT_EQ(s.FrameBottom, 352);
  EXPECT_DOUBLE_EQ(s.TimeScaleX, 634 / (102.5 - 100.1));
  EXPECT_DOUBLE_EQ(s.SpecYScale, 151);
  EXPECT_EQ(s.MouseOn, 'y');
}

TEST(TimeView, ModelOfACollectingFileIsOneLineAcrossTheWindow) {
  AnalysisState s = TimeState(100.1, 102.5, {});
  // One curve of a single point contributes the constant 11.25.
  s.MLCLoaded = true;
  s.MLCCurves = 1;
  s.MLCCount = {0, 1};
  s.MLCPeriod = {0, 0.5};
  s.MLCEpoch = {0, 0};
  s.MLCPhase = {{}, {0, 0.3}};
  s.MLCMag = {{}, {0, 11.25}};
  RecordingCanvas c;
  DrawTimeView(s, c);
  // y = 50 + 1.25 * 151 = 238.75; x from 80 to 714, the last pixel left out.
  EXPECT_EQ(c.PixelAt(80, 239), kWhite);
  EXPECT_EQ(c.PixelAt(400, 239), kWhite);
  EXPECT_EQ(c.PixelAt(713, 239), kWhite);
  EXPECT_EQ(c.PixelAt(400, 238), kFrameFill);
  EXPECT_EQ(c.PixelAt(400, 240), kFrameFill);
  EXPECT_EQ(c.CountPixels(kWhite, 90, 60, 700, 340), 700 - 90);
  int modelSegments = 0;
  for (const CanvasOp& op : c.Lines())
    if (op.y1 == 239 && op.y2 == 239) ++modelSegments;
  EXPECT_EQ(modelSegments, 1000);
}

TEST(TimeView, NoObservationsStillDrawsFrameAxesAndTitles) {
  // A load that accepted no line leaves every range at 0.
  AnalysisState s = TimeState(0, 0, {});
  s.MagLow = s.MagHigh = 0;
  RecordingCanvas c;
  DrawTimeView(s, c);
  EXPECT_EQ(c.OpsOf(CanvasOp::Kind::Rectangle).size(), 1u);
  EXPECT_TRUE(c.HasTextAt("Mag", 5, 22));
  EXPECT_TRUE(c.HasTextAt("JD", 694, 385));
  EXPECT_TRUE(c.OpsOf(CanvasOp::Kind::SetPixel).empty());
  EXPECT_LE(c.MaxAbsCoordinate(), kPixelLimit);
}

}  // namespace
}  // namespace korvel
