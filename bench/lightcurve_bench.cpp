// Speed of the light-curve steps a prewhitening cycle runs: the moving
// average (N = 40, L = 0.05) and the subtraction of the mean curve, in
// observations per second, at 1 000, 10 000 and 100 000 observations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>

#include "core/analysis_state.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/phase_views.h"
#include "lightcurve/prewhitening.h"

namespace korvel {
namespace {

AnalysisState Folded(int n) {
  std::mt19937 gen(99);
  std::uniform_real_distribution<double> date(0, 200);
  AnalysisState s;
  s.NObs = n;
  s.JD.assign(n + 1, 0.0);
  s.Mag.assign(n + 1, 0.0);
  s.Phase.assign(n + 1, 0.0);
  for (int i = 1; i <= n; ++i) {
    s.JD[i] = 59000 + date(gen);
    s.Mag[i] = 12 + 0.4 * std::sin(2 * std::numbers::pi * s.JD[i] / 0.5568);
  }
  s.Period = 0.5568;
  s.Epoch = 59000;
  s.MeanPoints = 40;
  s.BinLength = 0.05;
  ComputePhases(s);
  return s;
}

void BM_MovingAverage(benchmark::State& state) {
  AnalysisState s = Folded(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    s.MeanPoints = 40;
    ComputeMeanCurve(s);
    benchmark::DoNotOptimize(s.MeanMag.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MovingAverage)->Arg(1000)->Arg(10000)->Arg(100000);

void BM_Prewhiten(benchmark::State& state) {
  AnalysisState s = Folded(static_cast<int>(state.range(0)));
  ComputeMeanCurve(s);
  const rarray original = s.Mag;
  for (auto _ : state) {
    state.PauseTiming();
    s.Mag = original;
    state.ResumeTiming();
    Prewhiten(s, "", true);
    benchmark::DoNotOptimize(s.Mag.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Prewhiten)->Arg(1000)->Arg(10000)->Arg(100000);

}  // namespace
}  // namespace korvel
