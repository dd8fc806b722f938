// Speed of the window's drawing: a full paint of the time view and of the
// phase light curve through QtCanvas on a 734 x 432 image at 1 000, 10 000 and
// 100 000 observations, and the running search's curve-only redraw of the
// spectrum (481 columns). A full paint of 10 000 observations should fit in
// one frame (16 ms).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "core/analysis_state.h"
#include "io/observation_file.h"
#include "io/param_file.h"
#include "plot/paint.h"
#include "plot/spectrum_view.h"
#include "render/qt_canvas.h"

namespace korvel {
namespace {

// An RR Lyrae-like star sampled at random over 200 days, loaded as a file
// load leaves it (defaults, statistics, ranges).
AnalysisState Star(int n, char view) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> date(0, 200);
  std::normal_distribution<double> noise(0, 0.02);
  AnalysisState s;
  SetParameterDefaults(s);
  s.NObs = n;
  s.JD.assign(n + 1, 0.0);
  s.Mag.assign(n + 1, 0.0);
  s.Phase.assign(n + 1, 0.0);
  for (int i = 1; i <= n; ++i) s.JD[i] = 59000 + date(gen);
  std::sort(s.JD.begin() + 1, s.JD.end());
  for (int i = 1; i <= n; ++i)
    s.Mag[i] = 12 + 0.4 * std::sin(2 * std::numbers::pi * s.JD[i] / 0.5568) + noise(gen);
  ComputeLoadStatistics(s);
  s.Period = 0.5568;
  s.Epoch = 59000;
  s.View = view;
  s.DataReady = 'y';
  return s;
}

void FullPaint(benchmark::State& state, char view) {
  AnalysisState s = Star(static_cast<int>(state.range(0)), view);
  QImage image = render::NewPlotImage(734, 432);
  const PaintSurroundings env;
  for (auto _ : state) {
    image.fill(QColor(0, 128, 255));
    render::QtCanvas canvas(image);
    PWinPaint(s, canvas, env);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["obs/s"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * state.range(0), benchmark::Counter::kIsRate);
}

void BM_PaintTimeView(benchmark::State& state) {
  FullPaint(state, 't');
}
void BM_PaintPhaseView(benchmark::State& state) {
  FullPaint(state, 'l');
}
BENCHMARK(BM_PaintTimeView)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPhaseView)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The timer's redraw while the range is unchanged: the curve alone over the
// picture already there, every column filled.
void BM_SpectrumCurveRedraw(benchmark::State& state) {
  AnalysisState s;
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> value(0.5, 4);
  for (int i = 0; i < kSpecColumns; ++i) {
    s.SpecLow[i] = value(gen);
    s.SpecHigh[i] = s.SpecLow[i] + 0.3;
  }
  s.SpecMin = 0.5;
  s.SpecMax = 4.3;
  s.SpecYScale = 250 / (s.SpecMax - s.SpecMin);
  QImage image = render::NewPlotImage(734, 432);
  for (auto _ : state) {
    render::QtCanvas canvas(image);
    DrawSpectrumCurve(s, canvas);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_SpectrumCurveRedraw)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvel

// Text needs a QGuiApplication; the offscreen platform needs no display.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
