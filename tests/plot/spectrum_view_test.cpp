// The search spectrum: on the default surface the frame (76, 46, 564, 304),
// columns 0 .. 480 at x 80 .. 560, SpecMin at y 300 and SpecMax at y 50; a
// larger surface widens and heightens it. The search runs over
// periods 1 .. 2: frequencies 0.5 .. 1, 960 columns per cycle per day, axis
// ticks every 0.05 from 0.5.
#include "plot/spectrum_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "io/param_file.h"
#include "plot/plot_to_world.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

constexpr const char* kNotFixed = "Initial parameters have not been fixed...";

AnalysisState SpectrumState() {
  AnalysisState s;
  SetParameterDefaults(s);
  s.View = 'd';
  s.DataReady = 'n';
  s.RunCode = 'e';
  s.Pmin = 1;
  s.Pmax = 2;
  s.FreqLo = s.AxisFreqLo = 0.5;
  s.FreqHi = s.AxisFreqHi = 1;
  s.FreqScale = 960;
  s.AxisStep = 0.05;
  s.AxisFirst = 0.5;
  s.SpecMin = 0;
  s.SpecMax = 0.25;  // 1000 pixels per unit
  return s;
}

struct Paint {
  std::vector<std::string> statuses;
  PaintSurroundings env;
  explicit Paint(bool active = true) {
    env.setStatus = [this](const std::string& t) { statuses.push_back(t); };
    env.mainWindowActive = active;
  }
};

bool IsFrequencyTick(const CanvasOp& op) {
  return op.x1 == op.x2 && op.y1 == 306 && op.y2 == 296;
}

TEST(SpectrumView, FrameFrequencyAndValueAxesAndTitles) {
  AnalysisState s = SpectrumState();
  s.Resumed = true;
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  EXPECT_TRUE(p.statuses.empty());

  const std::vector<CanvasOp> rects = c.OpsOf(CanvasOp::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(std::vector<int>({rects[0].x1, rects[0].y1, rects[0].x2, rects[0].y2}),
            std::vector<int>({76, 46, 564, 304}));
  EXPECT_EQ(c.PixelAt(563, 100), kWhite);
  EXPECT_EQ(c.PixelAt(564, 100), kWindowColour);
  EXPECT_EQ(c.PixelAt(300, 100), kFrameFill);

  // Frequency ticks at x = (f - 0.5) * 960 + 80, labels trimmed at (x - 12, 308).
  const std::vector<std::pair<std::string, int>> ticks = {
      {"0.5", 80},   {"0.55", 128}, {"0.6", 176},  {"0.65", 224}, {"0.7", 272},
      {"0.75", 320}, {"0.8", 368},  {"0.85", 416}, {"0.9", 464},  {"0.95", 512}};
  for (const auto& [text, x] : ticks) {
    EXPECT_TRUE(c.HasLine(x, 306, x, 296)) << text;
    EXPECT_TRUE(c.HasTextAt(text, x - 12, 308)) << text;
  }
  // Value axis over 0 .. 0.25: step 0.02 (position 18: w 4, d 2), labels at
  // (65 - 28, y - 10); the tick one step below SpecMin lands at y 320 and is
  // not drawn.
  std::vector<std::string> valueLabels;
  for (const CanvasOp& op : c.Texts())
    if (op.x1 == 37) valueLabels.push_back(op.text);
  EXPECT_EQ(valueLabels,
            (std::vector<std::string>{"0.00", "0.02", "0.04", "0.06", "0.08", "0.10", "0.12",
                                      "0.14", "0.16", "0.18", "0.20", "0.22", "0.24"}));
  for (int k = 0; k <= 12; ++k) {
    EXPECT_TRUE(c.HasLine(79, 300 - 20 * k, 76, 300 - 20 * k)) << k;
    EXPECT_TRUE(c.HasTextAt(valueLabels[k], 37, 290 - 20 * k)) << k;
  }
  EXPECT_FALSE(c.HasLine(79, 320, 76, 320));
  EXPECT_TRUE(c.HasTextAt("Parameter", 5, 22));
  EXPECT_TRUE(c.HasTextAt("Frequency, cycles per day", 380, 332));
  for (const CanvasOp& op : c.Texts()) EXPECT_NE(op.text.rfind("Co = ", 0), 0u) << op.text;

  EXPECT_DOUBLE_EQ(s.SpecYScale, 1000);
  EXPECT_EQ(s.StepIndex, 18);
  EXPECT_EQ(s.DrawnSpecMax, 0.25);
  EXPECT_EQ(s.DrawnSpecMin, 0);
  EXPECT_FALSE(s.Resumed);
}

TEST(SpectrumView, SignificanceLabelsTooCloseAreStackedUpwards) {
  AnalysisState s = SpectrumState();
  s.StatLoaded = s.StatFromFile = true;
  s.SigLevel = {0, 0.10, 0.101, 0.102, 0.2};
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  // y = 300 - level * 1000: 200, 199, 198, 100. Labels at h - 6 with h =
  // 200, then 188 and 176 (each within 12 of the previous label), then 100.
  for (int y : {200, 199, 198, 100}) EXPECT_TRUE(c.HasLine(76, y, 564, y)) << y;
  const std::vector<std::string> texts = {"90 %", "99 %", "99.9 %", "99.99 %"};
  const std::vector<int> ys = {194, 182, 170, 94};
  for (size_t k = 0; k < texts.size(); ++k) {
    const std::vector<CanvasOp> found = c.FindTexts(texts[k]);
    ASSERT_EQ(found.size(), 1u) << texts[k];
    EXPECT_EQ(found[0].x1, 566) << texts[k];
    EXPECT_EQ(found[0].y1, ys[k]) << texts[k];
    EXPECT_EQ(found[0].state.fontSize, 8) << texts[k];
  }
  // Equal levels: every label keeps 12 pixels from the one below it.
  s.SigLevel = {0, 0.10, 0.10, 0.10, 0.10};
  RecordingCanvas e;
  DrawSpectrumView(s, e, p.env);
  for (size_t k = 0; k < texts.size(); ++k)
    EXPECT_TRUE(e.HasTextAt(texts[k], 566, 194 - 12 * static_cast<int>(k))) << texts[k];
  // Back to 12 points for the value labels drawn next.
  ASSERT_TRUE(c.HasText("0.00"));
  EXPECT_EQ(c.FindTexts("0.00")[0].state.fontSize, 12);
  EXPECT_EQ(c.FindTexts("Parameter")[0].state.fontSize, 12);
  // The level lines end one pixel short of 564, like every line.
  EXPECT_EQ(c.PixelAt(562, 199), kWhite);
  EXPECT_EQ(c.PixelAt(564, 199), kWindowColour);
}

TEST(SpectrumView, SignificanceLevelsOnlyOnADeemingSpectrumReadFromFile) {
  for (char view : {'l', 's'}) {
    AnalysisState s = SpectrumState();
    s.View = view;
    s.StatLoaded = s.StatFromFile = true;
    s.SigLevel = {0, 0.10, 0.101, 0.102, 0.2};
    RecordingCanvas c;
    Paint p;
    DrawSpectrumView(s, c, p.env);
    EXPECT_FALSE(c.HasText("90 %")) << view;
  }
  AnalysisState s = SpectrumState();
  s.StatLoaded = true;  // computed by Save statistics, not read by Stat
  s.SigLevel = {0, 0.10, 0.101, 0.102, 0.26};
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  EXPECT_FALSE(c.HasText("90 %"));
  // Read from file, a level above the top (y 40) gets neither line nor label.
  s.StatFromFile = true;
  RecordingCanvas d;
  DrawSpectrumView(s, d, p.env);
  EXPECT_TRUE(d.HasText("99.9 %"));
  EXPECT_FALSE(d.HasText("99.99 %"));
  EXPECT_FALSE(d.HasLine(76, 40, 564, 40));
}

TEST(SpectrumView, CurveOfTheFirstHundredColumnsEndsAtX179) {
  AnalysisState s = SpectrumState();
  for (int i = 0; i <= 99; ++i) {
    s.SpecLow[i] = 0.05;   // y 250
    s.SpecHigh[i] = 0.15;  // y 150
  }
  s.SpecYScale = 1000;  // as the last full paint left it
  RecordingCanvas c;
  c.SetPenColour(kRed);  // left behind by an earlier drawing
  c.SetPenMode(PenMode::Xor);
  DrawSpectrumCurve(s, c);
  // Low to high within a column, high to the next column's low: 100 + 99 lines.
  const std::vector<CanvasOp> lines = c.Lines();
  ASSERT_EQ(lines.size(), 199u);
  const std::vector<CanvasOp> moves = c.OpsOf(CanvasOp::Kind::MoveTo);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].x1, 80);
  EXPECT_EQ(moves[0].y1, 250);
  EXPECT_TRUE(c.HasLine(80, 250, 80, 150));
  EXPECT_TRUE(c.HasLine(80, 150, 81, 250));
  EXPECT_TRUE(c.HasLine(179, 250, 179, 150));
  for (const CanvasOp& op : lines) {
    EXPECT_LE(op.x2, 179);
    EXPECT_EQ(op.state.pen, kWhite);
    EXPECT_EQ(op.state.penMode, PenMode::Copy);
  }
  EXPECT_GT(c.CountPixels(kWhite, 80, 150, 180, 251), 0);
  EXPECT_EQ(c.CountPixels(kWhite, 180, 0, 734, 432), 0);
  EXPECT_EQ(s.DrawnSpecMax, 0.25);
  EXPECT_EQ(s.DrawnSpecMin, 0);

  // In the whole view nothing white lies right of the curve above the ticks.
  RecordingCanvas view;
  Paint p;
  DrawSpectrumView(s, view, p.env);
  EXPECT_GT(view.CountPixels(kWhite, 80, 150, 180, 251), 0);
  EXPECT_EQ(view.CountPixels(kWhite, 180, 47, 563, 296), 0);
}

TEST(SpectrumView, GapOfEmptyColumnsIsBridgedByOneStraightLine) {
  AnalysisState s = SpectrumState();
  for (int i = 0; i <= 9; ++i) s.SpecLow[i] = s.SpecHigh[i] = 0.1;    // y 200
  for (int i = 20; i <= 29; ++i) s.SpecLow[i] = s.SpecHigh[i] = 0.2;  // y 100
  s.SpecYScale = 1000;
  RecordingCanvas c;
  DrawSpectrumCurve(s, c);
  EXPECT_TRUE(c.HasLine(89, 200, 100, 100));
  int longLines = 0;
  for (const CanvasOp& op : c.Lines()) {
    if (std::abs(op.x2 - op.x1) > 1) ++longLines;
    EXPECT_FALSE(op.x2 > 89 && op.x2 < 100) << op.x2;
    EXPECT_LE(op.x2, 109);
  }
  EXPECT_EQ(longLines, 1);
}

TEST(SpectrumView, WithoutSearchParametersOnlyTheEmptyFrameAndAMessage) {
  for (const auto& [pmin, pmax] : std::vector<std::pair<double, double>>{{0, 2}, {1, 0}, {2, 2}}) {
    AnalysisState s = SpectrumState();
    s.Pmin = pmin;
    s.Pmax = pmax;
    RecordingCanvas c;
    Paint p;
    DrawSpectrumView(s, c, p.env);
    EXPECT_EQ(p.statuses, std::vector<std::string>{kNotFixed});
    EXPECT_EQ(c.OpsOf(CanvasOp::Kind::Rectangle).size(), 1u);
    EXPECT_TRUE(c.Lines().empty());
    EXPECT_TRUE(c.Texts().empty());
    EXPECT_EQ(c.CountPixels(kFrameFill), 486 * 256);
  }
}

TEST(SpectrumView, ConstantStatisticLiesOnTheBaseline) {
  AnalysisState s = SpectrumState();
  s.SpecMin = s.SpecMax = 0.5;
  for (int i = 0; i <= 480; ++i) s.SpecLow[i] = s.SpecHigh[i] = 0.5;
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  // Range taken as 1: 250 pixels per unit, step 0.1; only the tick 0.5 is
  // within SpecMin .. SpecMax: "0.5" at (65 - 21, 290).
  EXPECT_DOUBLE_EQ(s.SpecYScale, 250);
  EXPECT_EQ(s.SpecMax, 0.5);
  EXPECT_EQ(c.PixelAt(301, 300), kWhite);
  EXPECT_EQ(c.PixelAt(559, 300), kWhite);
  EXPECT_EQ(c.PixelAt(560, 300), kFrameFill);
  EXPECT_EQ(c.PixelAt(301, 299), kFrameFill);
  EXPECT_EQ(c.PixelAt(301, 301), kFrameFill);
  EXPECT_EQ(c.TextsAt(44, 290), std::vector<std::string>{"0.5"});
  int valueLabels = 0;
  for (const CanvasOp& op : c.Texts())
    if (op.x1 == 44) ++valueLabels;
  EXPECT_EQ(valueLabels, 1);
}

TEST(SpectrumView, RangeOfExactlyOneHundredBecomesZeroToOne) {
  AnalysisState s = SpectrumState();
  s.SpecMax = 100;
  s.SpecMin = 3;
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  EXPECT_EQ(s.SpecMax, 1);
  EXPECT_EQ(s.SpecMin, 0);
  EXPECT_DOUBLE_EQ(s.SpecYScale, 250);
}

TEST(SpectrumView, BeforeTheFirstTrialFrameAndFrequencyAxisAreClean) {
  // A search start leaves SpecMax 0, SpecMin 100 and no column filled.
  AnalysisState s = SpectrumState();
  s.RunCode = 'r';
  s.SpecMax = 0;
  s.SpecMin = 100;
  s.DrawnSpecMax = s.DrawnSpecMin = 0;
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  EXPECT_EQ(p.statuses, std::vector<std::string>{"Running..."});
  EXPECT_EQ(c.OpsOf(CanvasOp::Kind::Rectangle).size(), 1u);
  EXPECT_TRUE(c.HasLine(80, 306, 80, 296));
  EXPECT_TRUE(c.HasTextAt("0.75", 308, 308));
  // No value tick, no value label, no stray stroke.
  for (const CanvasOp& op : c.Lines()) EXPECT_TRUE(IsFrequencyTick(op)) << op.x1 << "," << op.y1;
  for (const CanvasOp& op : c.Texts())
    EXPECT_TRUE(op.y1 == 308 || op.text == "Parameter" || op.text == "Frequency, cycles per day")
        << op.text;
  EXPECT_FALSE(s.SpecYScale < 0);
  EXPECT_TRUE(std::isfinite(s.SpecYScale));
  EXPECT_EQ(c.CountPixels(kFrameFill, 77, 47, 563, 296), 486 * 249);
}

TEST(SpectrumView, StatusSaysRunningUntilTheSearchHasEnded) {
  for (char code : {'r', 'n', 'e'}) {
    AnalysisState s = SpectrumState();
    s.RunCode = code;
    s.Resumed = true;  // a full paint in every case
    RecordingCanvas c;
    Paint p;
    DrawSpectrumView(s, c, p.env);
    if (code == 'e')
      EXPECT_TRUE(p.statuses.empty());
    else
      EXPECT_EQ(p.statuses, std::vector<std::string>{"Running..."}) << code;
  }
}

TEST(SpectrumView, UnchangedRangeOfARunningSearchRedrawsOnlyTheCurve) {
  AnalysisState s = SpectrumState();
  s.RunCode = 'r';
  s.DrawnSpecMax = s.SpecMax;
  s.DrawnSpecMin = s.SpecMin;
  for (int i = 0; i <= 99; ++i) s.SpecLow[i] = s.SpecHigh[i] = 0.1;
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  EXPECT_EQ(p.statuses, std::vector<std::string>{"Running..."});
  EXPECT_TRUE(c.OpsOf(CanvasOp::Kind::Rectangle).empty());
  EXPECT_TRUE(c.Texts().empty());
  EXPECT_EQ(c.Lines().size(), 199u);
  EXPECT_EQ(c.PixelAt(300, 100), kWindowColour);  // nothing but the curve

  // Each of these forces the full picture.
  struct Case {
    const char* what;
    bool active;
    bool resumed;
    char runCode;
    double drawnMax;
  };
  for (const Case& k :
       {Case{"inactive window", false, false, 'r', 0.25},
        Case{"resumed search", true, true, 'r', 0.25}, Case{"search ended", true, false, 'e', 0.25},
        Case{"new maximum", true, false, 'r', 0.2}}) {
    AnalysisState t = s;
    t.Resumed = k.resumed;
    t.RunCode = k.runCode;
    t.DrawnSpecMax = k.drawnMax;
    RecordingCanvas d;
    Paint q(k.active);
    DrawSpectrumView(t, d, q.env);
    EXPECT_EQ(d.OpsOf(CanvasOp::Kind::Rectangle).size(), 1u) << k.what;
    EXPECT_TRUE(d.HasText("Parameter")) << k.what;
    EXPECT_FALSE(t.Resumed) << k.what;
    EXPECT_EQ(t.DrawnSpecMax, 0.25) << k.what;
  }
}

TEST(SpectrumView, SecondaryPeriodSpectrumNamesItsElementsUntrimmed) {
  AnalysisState s = SpectrumState();
  s.View = 's';
  s.ExtrDate = 2450000.5;
  s.Period = 0.25;
  RecordingCanvas c;
  Paint p;
  DrawSpectrumView(s, c, p.env);
  EXPECT_TRUE(c.HasTextAt("Co = 2450000.500 + 0.25 *E", 73, 345));
}

// On a larger surface the picture grows with it: the frame, the curve from
// the first column to the last, the level lines and every label stay on the
// surface, and the mouse reads back what is drawn under it.
TEST(SpectrumView, GrowsWithALargerSurfaceAndTheMouseReadsWhatIsDrawn) {
  constexpr int W = 1200, H = 700;
  AnalysisState s = SpectrumState();
  s.StatLoaded = s.StatFromFile = true;
  s.SigLevel = {0, 0.10, 0.101, 0.102, 0.2};
  for (int i = 0; i <= 480; ++i) {
    s.SpecLow[i] = 0.05;
    s.SpecHigh[i] = 0.15;
  }
  RecordingCanvas c(W, H);
  Paint p;
  DrawSpectrumView(s, c, p.env);

  const std::vector<CanvasOp> rects = c.OpsOf(CanvasOp::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  const CanvasOp frame = rects[0];
  EXPECT_GT(frame.x2 - frame.x1, (564 - 76) + (W - 734) * 9 / 10);
  EXPECT_GT(frame.y2 - frame.y1, (304 - 46) + (H - 432) * 9 / 10);
  EXPECT_GT(s.SpecYScale, 1000 * 1.9);  // more pixels for the same range

  // The curve runs from the first column at the frame's left to the last at
  // its right; the timer's curve alone draws the same lines.
  int left = W, right = 0;
  for (const CanvasOp& op : c.Lines())
    if (op.state.pen == kWhite && op.y1 != op.y2 && op.x1 != op.x2) {
      left = std::min(left, op.x1);
      right = std::max(right, op.x2);
    }
  EXPECT_EQ(left, frame.x1 + 4);
  EXPECT_EQ(right, frame.x2 - 4);
  RecordingCanvas timer(W, H);
  DrawSpectrumCurve(s, timer);
  const std::vector<CanvasOp> all = c.Lines(), curve = timer.Lines();
  ASSERT_LE(curve.size(), all.size());
  for (size_t k = 0; k < curve.size(); ++k) {
    const CanvasOp& a = all[all.size() - curve.size() + k];
    EXPECT_EQ(std::vector<int>({a.x1, a.y1, a.x2, a.y2}),
              std::vector<int>({curve[k].x1, curve[k].y1, curve[k].x2, curve[k].y2}));
  }

  // The level lines cross the whole frame; their labels stand beside it.
  const int y90 = SpectrumY(s, SpectrumGeometry({W, H}), 0.10);
  EXPECT_TRUE(c.HasLine(frame.x1, y90, frame.x2, y90));
  for (const char* label : {"90 %", "99 %", "99.9 %", "99.99 %"})
    EXPECT_GE(c.FindTexts(label).at(0).x1, frame.x2) << label;
  for (const CanvasOp& text : c.Texts()) {
    EXPECT_GE(text.x1, 0) << text.text;
    EXPECT_LE(text.x1 + 6 * static_cast<int>(text.text.size()), W) << text.text;
    EXPECT_GE(text.y1, 0) << text.text;
    EXPECT_LE(text.y1 + 15, H) << text.text;
  }
  // Below the frame: tick labels, then the axis title, then the elements.
  const int tickLabels = c.FindTexts("0.75").at(0).y1;
  const int title = c.FindTexts("Frequency, cycles per day").at(0).y1;
  EXPECT_GE(tickLabels, frame.y2);
  EXPECT_GE(title, tickLabels + 15);
  // The secondary period's spectrum names its elements on the lowest line.
  AnalysisState secondary = s;
  secondary.View = 's';
  RecordingCanvas e(W, H);
  DrawSpectrumView(secondary, e, p.env);
  bool elements = false;
  for (const CanvasOp& text : e.Texts())
    if (text.text.rfind("Co = ", 0) == 0) elements = text.y1 >= title + 13 && text.y1 + 15 <= H;
  EXPECT_TRUE(elements);

  // Under the tick labelled 0.75 and at the tick labelled 0.20 the mouse
  // reads that frequency and that value, to within a pixel.
  const int x = c.FindTexts("0.75").at(0).x1 + 12;
  const int y = c.FindTexts("0.20").at(0).y1 + 10;
  EXPECT_TRUE(c.HasLine(x, frame.y2 + 2, x, frame.y2 - 8));
  const WorldPoint w = PlotToWorld(s, x, y, {W, H});
  ASSERT_TRUE(w.inside);
  EXPECT_NEAR(w.u, 0.75, 0.5 / (frame.x2 - frame.x1 - 8));
  EXPECT_NEAR(w.v, 0.20, 1 / s.SpecYScale);
  // A surface smaller than the default clips the default picture.
  RecordingCanvas small(600, 380);
  DrawSpectrumView(s, small, p.env);
  const CanvasOp clipped = small.OpsOf(CanvasOp::Kind::Rectangle).at(0);
  EXPECT_EQ(std::vector<int>({clipped.x1, clipped.y1, clipped.x2, clipped.y2}),
            std::vector<int>({76, 46, 564, 304}));

  // The region is the frame's inside, less its 4-pixel margin.
  EXPECT_TRUE(PlotToWorld(s, frame.x2 - 5, frame.y1 + 4, {W, H}).inside);
  EXPECT_FALSE(PlotToWorld(s, frame.x2 - 4, y, {W, H}).inside);
  EXPECT_FALSE(PlotToWorld(s, x, frame.y2 - 4, {W, H}).inside);
}

}  // namespace
}  // namespace korvel
