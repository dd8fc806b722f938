// The full paint of the plot surface: which picture View and DataReady
// select, the status texts, the font size every paint starts from, and the
// About page.
#include "plot/paint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "io/param_file.h"
#include "plot/about.h"
#include "plot/plot_fixtures.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

AnalysisState Ready(char view, char dataReady = 'y') {
  AnalysisState s = testing::ShownState(view, {{100.2, 10.5}, {100.7, 11.5}});
  s.DataReady = dataReady;
  s.RunCode = 'e';
  s.JDLow = 100.2;
  s.JDHigh = 100.7;
  s.MagLow = 10.5;
  s.MagHigh = 11.5;
  s.Period = 1;
  s.P2 = 4;
  s.NBins = 4;
  s.MeanPoints = 1;
  s.MeanPhase[1] = 0.3;
  s.MeanMag[1] = s.EditedMag[1] = 11;
  s.MeanMagLow = 10.5;
  s.MeanMagHigh = 11.5;
  s.Pmin = 1;
  s.Pmax = 2;
  s.FreqLo = s.AxisFreqLo = 0.5;
  s.FreqHi = s.AxisFreqHi = 1;
  s.FreqScale = 960;
  s.AxisStep = 0.05;
  s.AxisFirst = 0.5;
  s.SpecMin = 0;
  s.SpecMax = 0.25;
  return s;
}

struct Painted {
  RecordingCanvas canvas;
  std::vector<std::string> statuses;
};
Painted PaintOnce(AnalysisState& s, RecordingCanvas canvas = RecordingCanvas()) {
  Painted out{std::move(canvas), {}};
  PaintSurroundings env;
  env.setStatus = [&out](const std::string& t) { out.statuses.push_back(t); };
  PWinPaint(s, out.canvas, env);
  return out;
}

bool DrewAnything(const RecordingCanvas& c) {
  for (const CanvasOp& op : c.ops) switch (op.kind) {
      case CanvasOp::Kind::LineTo:
      case CanvasOp::Kind::Rectangle:
      case CanvasOp::Kind::SetPixel:
      case CanvasOp::Kind::TextOut:
        return true;
      default:
        break;
    }
  return false;
}

std::vector<int> FirstFrame(const RecordingCanvas& c) {
  const std::vector<CanvasOp> rects = c.OpsOf(CanvasOp::Kind::Rectangle);
  if (rects.empty()) return {};
  return {rects[0].x1, rects[0].y1, rects[0].x2, rects[0].y2};
}

const std::vector<std::pair<int, std::string>> kAboutLines = {
    {80, "Written to search for the periodicity and study the"},
    {100, "secondary periodicity in the light curve shape"},
    {140, "           Lafler-Kinman period search;"},
    {160, "           Deeming period search;"},
    {180, "           Tervanik's search for secondary period"},
    {260, "Light curves versus time and phase. Phase sampling"},
    {280, "Mean light curves calculated with a moving average method."},
    {300, "Wave smoothing and prewhitening."},
    {320, "Extraction of light curve fragments."},
    {340, "Decomposition of light curves into periodic components"},
    {360, "and modelling. Significance levels' estimates of peaks in the"},
    {380, "amplitude spectra."}};

TEST(AboutPage, TitleAndLinesInWhiteOnTheWindowColour) {
  RecordingCanvas c;
  DrawAbout(c);
  const std::vector<CanvasOp> title = c.FindTexts("KORVEL");
  ASSERT_EQ(title.size(), 1u);
  EXPECT_EQ(title[0].x1, 40);
  EXPECT_EQ(title[0].y1, 20);
  EXPECT_EQ(title[0].state.fontSize, 20);
  for (const auto& [y, text] : kAboutLines) {
    const std::vector<CanvasOp> found = c.FindTexts(text);
    ASSERT_EQ(found.size(), 1u) << text;
    EXPECT_EQ(found[0].x1, 40) << text;
    EXPECT_EQ(found[0].y1, y) << text;
    EXPECT_EQ(found[0].state.fontSize, 12) << text;
  }
  // The line at y 120 completes the sentence, naming both shape changes.
  const std::vector<std::string> third = c.TextsAt(40, 120);
  ASSERT_EQ(third.size(), 1u);
  std::string lower = third[0];
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
  EXPECT_NE(lower.find("(precession"), std::string::npos) << third[0];
  EXPECT_NE(lower.find("blazhko"), std::string::npos) << third[0];
  EXPECT_NE(lower.find(')'), std::string::npos) << third[0];

  EXPECT_EQ(c.Texts().size(), 14u);  // nothing between y 180 and 260
  for (const CanvasOp& op : c.Texts()) {
    EXPECT_EQ(op.state.font, kWhite) << op.text;
    EXPECT_EQ(op.state.brush, kWindowColour) << op.text;
  }
  EXPECT_TRUE(c.Lines().empty());
  EXPECT_TRUE(c.OpsOf(CanvasOp::Kind::Rectangle).empty());
}

TEST(Paint, AboutIsDrawnTwiceInTheSamePlaceWhenReadyAndOnceOtherwise) {
  AnalysisState s = Ready('h');
  Painted p = PaintOnce(s);
  const std::vector<CanvasOp> title = p.canvas.FindTexts("KORVEL");
  ASSERT_EQ(title.size(), 2u);
  EXPECT_EQ(title[1].x1, title[0].x1);
  EXPECT_EQ(title[1].y1, title[0].y1);
  EXPECT_EQ(p.canvas.Texts().size(), 28u);
  EXPECT_EQ(p.canvas.FindTexts("amplitude spectra.")[1].state.fontSize, 12);

  s.DataReady = 'n';
  EXPECT_EQ(PaintOnce(s).canvas.Texts().size(), 14u);
}

TEST(Paint, EachViewDrawsItsOwnFrameWhenReady) {
  const std::vector<std::pair<char, std::vector<int>>> frames = {
      {'d', {76, 34, 696, 368}}, {'l', {76, 34, 696, 368}}, {'s', {70, 36, 716, 356}},
      {'n', {76, 26, 656, 336}}, {'m', {76, 26, 696, 376}}, {'t', {76, 46, 718, 356}}};
  for (const auto& [view, frame] : frames) {
    AnalysisState s = Ready(view);
    EXPECT_EQ(FirstFrame(PaintOnce(s).canvas), frame) << view;
  }
}

TEST(Paint, SpectrumViewsShowTheSpectrumUntilAResultIsPicked) {
  for (char view : {'d', 'l', 's'})
    for (char ready : {'n', 'b'}) {
      AnalysisState s = Ready(view, ready);
      EXPECT_EQ(FirstFrame(PaintOnce(s).canvas), (std::vector<int>{76, 46, 564, 304}))
          << view << ready;
    }
}

TEST(Paint, OtherViewsDrawNothingUntilReady) {
  for (char view : {'t', 'n', 'm'})
    for (char ready : {'n', 'b', char(0)}) {
      AnalysisState s = Ready(view, ready);
      const Painted p = PaintOnce(s);
      EXPECT_FALSE(DrewAnything(p.canvas)) << view << ready;
      EXPECT_TRUE(p.statuses.empty()) << view << ready;
    }
  for (char view : {'x', char(0)}) {
    AnalysisState s = Ready(view);
    EXPECT_FALSE(DrewAnything(PaintOnce(s).canvas)) << int(view);
  }
}

TEST(Paint, StatusTextsOfTheViews) {
  for (char view : {'d', 'l', 's', 'n'}) {
    AnalysisState s = Ready(view);
    EXPECT_EQ(PaintOnce(s).statuses, std::vector<std::string>{kLightCurveStatus}) << view;
  }
  AnalysisState mean = Ready('m');
  EXPECT_EQ(PaintOnce(mean).statuses, std::vector<std::string>{"Mean light curve..."});
  AnalysisState time = Ready('t');
  EXPECT_TRUE(PaintOnce(time).statuses.empty());
  AnalysisState spectrum = Ready('d', 'n');
  spectrum.RunCode = 'r';
  EXPECT_EQ(PaintOnce(spectrum).statuses, std::vector<std::string>{"Running..."});
  spectrum.RunCode = 'e';
  EXPECT_TRUE(PaintOnce(spectrum).statuses.empty());
  EXPECT_EQ(std::string(kLightCurveStatus), "Light curve...");
}

TEST(Paint, EveryPaintStartsAtTwelvePoints) {
  for (char view : {'t', 'd', 's', 'n', 'm'}) {
    AnalysisState s = Ready(view);
    RecordingCanvas left;
    left.SetFontSize(20);  // as the About title leaves it
    const Painted p = PaintOnce(s, std::move(left));
    ASSERT_TRUE(p.canvas.HasText(s.MagLabel)) << view;
    EXPECT_EQ(p.canvas.FindTexts(s.MagLabel)[0].state.fontSize, 12) << view;
  }
  AnalysisState s = Ready('d', 'n');
  RecordingCanvas left;
  left.SetFontSize(8);
  const Painted p = PaintOnce(s, std::move(left));
  EXPECT_EQ(p.canvas.FindTexts("Parameter")[0].state.fontSize, 12);
}

}  // namespace
}  // namespace korvel
