// The shared pieces of every picture: pixel rounding, the drawable range, map
// A and its inverse, label formats, value-axis ticks with the "+" rule, the
// point marker and the frame.
#include "plot/axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "io/param_file.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/stat_file.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

AnalysisState Defaults() {
  AnalysisState s;
  SetParameterDefaults(s);
  return s;
}

// The value axis of the phase views 'd' and 'l' on the 734 x 432 surface:
// frame 40 .. 362, tick stroke (82, y) to (76, y), labels right-aligned to
// 80 - 24, negative ones shifted by 3.
ValueAxisStyle PhaseStyle(double threshold = 16) {
  return {threshold, 82, 76, 80, 3};
}

struct Label {
  std::string text;
  int x, y;
  friend bool operator==(const Label&, const Label&) = default;
};
std::vector<Label> Labels(const RecordingCanvas& c) {
  std::vector<Label> out;
  for (const CanvasOp& op : c.Texts()) out.push_back({op.text, op.x1, op.y1});
  return out;
}
void PrintTo(const Label& l, std::ostream* os) {
  *os << l.text << "@" << l.x << "," << l.y;
}

std::vector<Label> DrawTicks(AnalysisState& s, double low, double high,
                             const ValueAxisStyle& style) {
  RecordingCanvas c;
  DrawValueTicks(s, c, MakeValueMap(s, 40, 362, low, high), style);
  return Labels(c);
}

TEST(Axes, PixelsRoundHalvesToEvenAndClampWhatCannotBePlaced) {
  EXPECT_EQ(ToPixel(2.5), 2);
  EXPECT_EQ(ToPixel(3.5), 4);
  EXPECT_EQ(ToPixel(-2.5), -2);
  EXPECT_EQ(ToPixel(120.49), 120);
  EXPECT_EQ(ToPixel(-0.7), -1);
  EXPECT_EQ(ToPixel(1e300), kPixelLimit);
  EXPECT_EQ(ToPixel(-1e300), -kPixelLimit);
  EXPECT_EQ(ToPixel(kInf), kPixelLimit);
  EXPECT_EQ(ToPixel(-kInf), -kPixelLimit);
  EXPECT_EQ(std::abs(ToPixel(kNaN)), kPixelLimit);
  EXPECT_EQ(ToPixel(4e9), kPixelLimit);  // beyond any int
}

TEST(Axes, EmptyAndReversedRangesWidenAndUnplaceableOnesAreRefused) {
  const AxisRange normal = DrawableRange(10, 12);
  EXPECT_TRUE(normal.usable);
  EXPECT_EQ(normal.low, 10);
  EXPECT_EQ(normal.high, 12);
  // One observation, or constant magnitudes: one unit around the value.
  const AxisRange single = DrawableRange(5, 5);
  EXPECT_TRUE(single.usable);
  EXPECT_EQ(single.low, 4.5);
  EXPECT_EQ(single.high, 5.5);
  // A mean curve without points leaves high -1e6 and low +1e6 behind.
  const AxisRange reversed = DrawableRange(1e6, -1e6);
  EXPECT_TRUE(reversed.usable);
  EXPECT_EQ(reversed.low, -0.5);
  EXPECT_EQ(reversed.high, 0.5);
  // Half a unit is below the spacing of doubles near 1e16.
  EXPECT_FALSE(DrawableRange(1e16, 1e16).usable);
  EXPECT_FALSE(DrawableRange(1e300, 1e300).usable);
  EXPECT_FALSE(DrawableRange(kNaN, 12).usable);
  EXPECT_FALSE(DrawableRange(10, kNaN).usable);
  EXPECT_FALSE(DrawableRange(0, kInf).usable);
  EXPECT_FALSE(DrawableRange(-kInf, kInf).usable);
}

TEST(Axes, ValueMapPutsLargerMagnitudesLowerAndIntensitiesHigher) {
  AnalysisState s = Defaults();
  // Frame 40 .. 362 over 10 .. 12: 161 pixels per unit.
  ValueMap m = MakeValueMap(s, 40, 362, 10, 12);
  EXPECT_DOUBLE_EQ(m.scale, 161);
  EXPECT_EQ(m.Y(10), 40);
  EXPECT_EQ(m.Y(12), 362);
  EXPECT_EQ(m.Y(11.25), 241);  // 1.25 * 161 + 40 = 241.25
  EXPECT_NEAR(m.Inverse(120), 10 + 2.0 * 80 / 322, 1e-12);
  EXPECT_NEAR(m.Inverse(40), 10, 1e-12);

  ToggleMagMode(s);  // intensities: same numbers, upside down
  m = MakeValueMap(s, 40, 362, 10, 12);
  EXPECT_EQ(m.Y(10), 362);
  EXPECT_EQ(m.Y(12), 40);
  EXPECT_EQ(m.Y(11.25), 161);  // -201.25 + 322 + 40 = 160.75
  EXPECT_NEAR(m.Inverse(120), 12 - 2.0 * 80 / 322, 1e-12);
  EXPECT_NEAR(m.Inverse(40), 12, 1e-12);

  // Values that cannot be placed land off the surface, never undefined.
  EXPECT_EQ(std::abs(m.Y(kNaN)), kPixelLimit);
  EXPECT_EQ(std::abs(m.Y(1e300)), kPixelLimit);
}

TEST(Axes, LabelFormatFollowsTheStepPosition) {
  const std::vector<std::tuple<int, int, int>> table = {
      {1, 5, 0},  {2, 4, 0},  {4, 4, 0},  {5, 3, 0},  {7, 3, 0},  {8, 2, 0},  {10, 2, 0},
      {11, 1, 0}, {13, 1, 0}, {14, 3, 1}, {16, 3, 1}, {17, 4, 2}, {19, 4, 2}, {20, 5, 3},
      {22, 5, 3}, {23, 6, 4}, {25, 6, 4}, {26, 7, 5}, {28, 7, 5}, {0, 5, 0},  {29, 7, 5}};
  for (const auto& [index, w, d] : table) {
    EXPECT_EQ(StepLabelFormat(index).w, w) << index;
    EXPECT_EQ(StepLabelFormat(index).d, d) << index;
  }
}

TEST(Axes, SpanFourTicksEveryHalfUnitWithOneDecimal) {
  AnalysisState s = Defaults();
  RecordingCanvas c;
  DrawValueTicks(s, c, MakeValueMap(s, 40, 362, 10, 14), PhaseStyle());
  // Step 0.5 (position 14: w 3, d 1); 80.5 pixels per unit, so y(11) =
  // 120.5 and y(13) = 281.5 round to the even neighbours 120 and 282.
  // "10.0" is 4 characters: x = 80 - 30 - 3 * 6 = 32; y - 10.
  const std::vector<int> ys = {40, 80, 120, 161, 201, 241, 282, 322, 362};
  const std::vector<std::string> texts = {"10.0", "10.5", "11.0", "11.5", "12.0",
                                          "12.5", "13.0", "13.5", "14.0"};
  std::vector<Label> expected;
  for (size_t k = 0; k < ys.size(); ++k) expected.push_back({texts[k], 32, ys[k] - 10});
  EXPECT_EQ(Labels(c), expected);
  for (int y : ys) EXPECT_TRUE(c.HasLine(82, y, 76, y)) << y;
  EXPECT_EQ(c.Lines().size(), ys.size());
  EXPECT_EQ(s.StepIndex, 14);
}

TEST(Axes, NegativeRangeLabelsCarryAPlusAfterTheFirstNegativeTick) {
  AnalysisState s = Defaults();
  // -2 .. 3: step 0.5, 64.4 pixels per unit from y = 40. Negative labels are
  // shifted 3 right: "-2.0" at 80 - 30 + 3 - 18 = 35; "0.0" at 80 - 30 - 12 =
  // 38; "+0.5" at 80 - 30 - 18 = 32.
  const std::vector<Label> expected = {{"-2.0", 35, 30},  {"-1.5", 35, 62},  {"-1.0", 35, 94},
                                       {"-0.5", 35, 127}, {"0.0", 38, 159},  {"+0.5", 32, 191},
                                       {"+1.0", 32, 223}, {"+1.5", 32, 255}, {"+2.0", 32, 288},
                                       {"+2.5", 32, 320}, {"+3.0", 32, 352}};
  EXPECT_EQ(DrawTicks(s, -2, 3, PhaseStyle()), expected);

  // Views 't' and 's' shift negative labels by 5: "-2.0" at 70 - 30 + 5 - 18.
  const std::vector<Label> binsView = DrawTicks(s, -2, 3, {16, 70, 75, 70, 5});
  ASSERT_EQ(binsView.size(), expected.size());
  EXPECT_EQ(binsView[0], (Label{"-2.0", 27, 30}));
  EXPECT_EQ(binsView[4], (Label{"0.0", 28, 159}));
  EXPECT_EQ(binsView[5], (Label{"+0.5", 22, 191}));
}

TEST(Axes, RangeStartingJustBelowZeroDrawsNoNegativeTickAndNoPlus) {
  AnalysisState s = Defaults();
  // -0.2 .. 4.8: the first tick drawn is 0.0; y(0) = 0.2 * 64.4 + 40 = 52.88.
  const std::vector<Label> labels = DrawTicks(s, -0.2, 4.8, PhaseStyle());
  ASSERT_EQ(labels.size(), 10u);
  EXPECT_EQ(labels.front(), (Label{"0.0", 38, 43}));
  EXPECT_EQ(labels[1], (Label{"0.5", 38, 75}));       // 0.7 * 64.4 + 40 = 85.08
  EXPECT_EQ(labels.back(), (Label{"4.5", 38, 333}));  // 4.7 * 64.4 + 40 = 342.68
  for (const Label& l : labels) {
    EXPECT_NE(l.text[0], '+') << l.text;
    EXPECT_NE(l.text[0], '-') << l.text;
  }
}

TEST(Axes, EachViewDoublesTheStepAboveItsOwnThreshold) {
  AnalysisState s = Defaults();
  // 10.1 .. 12.5: span 2.4, step 0.2, twelve steps: kept below 16 ...
  std::vector<Label> labels = DrawTicks(s, 10.1, 12.5, PhaseStyle(16));
  ASSERT_EQ(labels.size(), 12u);
  EXPECT_EQ(labels.front().text, "10.2");
  EXPECT_EQ(labels.back().text, "12.4");
  // ... doubled to 0.4 above 10, keeping the one-decimal labels of 0.2.
  labels = DrawTicks(s, 10.1, 12.5, PhaseStyle(10));
  std::vector<std::string> texts;
  for (const Label& l : labels) texts.push_back(l.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"10.4", "10.8", "11.2", "11.6", "12.0", "12.4"}));
  EXPECT_EQ(s.StepIndex, 15);
}

TEST(Axes, TickLoopsEndWhereAddingTheStepNoLongerMovesTheValue) {
  AnalysisState s = Defaults();
  // Near 1e22 doubles are 2e6 apart: adding a step of 10000 changes nothing.
  for (const auto& [low, high] : std::vector<std::pair<double, double>>{
           {1e22, 1e22 + 1e8}, {-1e300, 1e300}, {1e300, 1e300}, {1e16, 1e16}, {-1e22, 0}}) {
    RecordingCanvas c;
    DrawValueTicks(s, c, MakeValueMap(s, 40, 362, low, high), PhaseStyle());
    EXPECT_LE(c.Lines().size(), size_t{kMaxTicks}) << low << " .. " << high;
    EXPECT_LE(c.Texts().size(), size_t{kMaxTicks}) << low << " .. " << high;
    EXPECT_LE(c.MaxAbsCoordinate(), kPixelLimit);
  }
  // The same for a map that calls such a range usable.
  ValueMap huge;
  huge.top = 40;
  huge.bottom = 362;
  huge.range = {1e22, 1e22 + 1e8, true};
  huge.scale = 322 / 1e8;
  RecordingCanvas c;
  DrawValueTicks(s, c, huge, PhaseStyle());
  EXPECT_LE(c.Lines().size(), size_t{kMaxTicks});
  EXPECT_LE(c.MaxAbsCoordinate(), kPixelLimit);
}

TEST(Axes, PointMarkerIsTwoByTwoAndFrameIsFilledInsideAWhiteOutline) {
  RecordingCanvas c(40, 40);
  PlotPoint(c, 10, 20, kRed);
  EXPECT_EQ(c.CountPixels(kRed), 4);
  EXPECT_EQ(c.CountPixels(kRed, 10, 20, 12, 22), 4);

  DrawFrame(c, 2, 3, 8, 9, kBlack);
  EXPECT_EQ(c.PixelAt(2, 3), kWhite);
  EXPECT_EQ(c.PixelAt(7, 8), kWhite);
  EXPECT_EQ(c.PixelAt(8, 8), kWindowColour);
  EXPECT_EQ(c.CountPixels(kBlack, 3, 4, 7, 8), 16);
  // Left ready for axes and labels: white pen and font, window-coloured brush.
  EXPECT_EQ(c.State().pen, kWhite);
  EXPECT_EQ(c.State().font, kWhite);
  EXPECT_EQ(c.State().brush, kWindowColour);
  EXPECT_EQ(c.State().brushStyle, BrushStyle::Solid);
}

}  // namespace
}  // namespace korvel
