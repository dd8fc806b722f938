// Speed of the three search engines, in observation-trials per second, at
// 100, 1 000 and 10 000 observations over a fixed grid of 1 000 trials; and
// of the Deeming inner loop in each instruction-set variant.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "core/analysis_state.h"
#include "io/observation_file.h"
#include "search/deeming.h"
#include "search/lafler_kinman.h"
#include "search/search_hooks.h"
#include "search/search_start.h"
#include "search/secondary_period.h"
#include "search/trial_kernels.h"
#include "search/trial_record.h"

namespace korvel {
namespace {

constexpr int kTrials = 1000;

// A 0.5-day pulsation, amplitude-modulated with 40 days, sampled at random
// over 1000 days: every engine has real structure to work through.
AnalysisState Star(int n) {
  std::mt19937 gen(1234);
  std::uniform_real_distribution<double> date(0, 1000);
  std::normal_distribution<double> noise(0, 0.02);
  std::vector<double> t(static_cast<size_t>(n));
  for (double& x : t) x = 2450000 + date(gen);
  std::sort(t.begin(), t.end());
  AnalysisState s;
  s.NObs = n;
  s.JD.assign(1, 0.0);
  s.Mag.assign(1, 0.0);
  for (double x : t) {
    const double a = 0.3 * (1 + 0.5 * std::sin(2 * std::numbers::pi * x / 40));
    s.JD.push_back(x);
    s.Mag.push_back(12 + a * std::sin(2 * std::numbers::pi * x / 0.5) + noise(gen));
  }
  for (rarray* a : {&s.Phase, &s.SortPhase, &s.WMag}) a->assign(s.JD.size(), 0.0);
  s.BinOf.assign(s.JD.size(), 0);
  s.Marks.assign(s.JD.size(), 0);
  ComputeLoadStatistics(s);
  s.Period = 0.5;
  s.NBins = 8;
  return s;
}

// kTrials trials from `first` in steps of `step`.
void SetGrid(AnalysisState& s, double first, double step) {
  s.FreqLo = first;
  s.FreqStep = step;
  s.FreqEnd = first + (kTrials - 0.5) * step;
  s.FreqHi = s.FreqEnd;
  s.FreqScale = 480 / (s.FreqHi - s.FreqLo);
  s.Freq = first - step;
}

template <class Engine>
void RunEngine(benchmark::State& state, SearchKind kind, double first, double step, uint8_t mode,
               Engine engine) {
  const int n = static_cast<int>(state.range(0));
  AnalysisState s = Star(n);
  s.SecPMode = mode;
  StartSearch(s, kind);  // starting state and weights; the grid is set below
  SilentSearchHooks hooks;
  for (auto _ : state) {
    state.PauseTiming();
    ClearSpectrum(s);
    InitBestList(s, kind == SearchKind::Deeming ? kEmptyAmplitude : kEmptyTheta);
    SetGrid(s, first, step);
    s.RunCode = 'r';
    state.ResumeTiming();
    engine(s, hooks);
  }
  state.counters["obs*trials/s"] =
      benchmark::Counter(static_cast<double>(n) * kTrials * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["trials"] = kTrials;
}

void SearchLKBench(benchmark::State& state) {
  RunEngine(state, SearchKind::LaflerKinman, 0.01, 5e-5, 0, SearchLK);
}
void SearchDeemingBench(benchmark::State& state) {
  RunEngine(state, SearchKind::Deeming, 0.01, 5e-5, 0, SearchDeeming);
}
void SearchSecPMode1Bench(benchmark::State& state) {
  RunEngine(state, SearchKind::Secondary, 0.01, 5e-5, 1, SearchSecP);
}
void SearchSecPMode2Bench(benchmark::State& state) {
  RunEngine(state, SearchKind::Secondary, 0.01, 5e-5, 2, SearchSecP);
}

BENCHMARK(SearchLKBench)
    ->Name("SearchLK")
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SearchDeemingBench)
    ->Name("SearchDeeming")
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SearchSecPMode1Bench)
    ->Name("SearchSecP/mode1")
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SearchSecPMode2Bench)
    ->Name("SearchSecP/mode2")
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

// The Deeming inner loop alone at 1 000 observations, per variant: what the
// run-time dispatch gains on this machine.
void SearchKernelDeeming(benchmark::State& state, kernels::Isa isa) {
  AnalysisState s = Star(1000);
  std::vector<double> dt, w;
  for (int i = 1; i <= s.NObs; ++i) {
    dt.push_back(s.JD[i] - s.JD[1]);
    w.push_back(s.Mag[i] - s.MagMean);
  }
  double f = 0.01;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kernels::DeemingSums(dt.data(), w.data(), dt.size(), f, isa));
    f += 5e-5;
  }
  state.counters["obs*trials/s"] =
      benchmark::Counter(static_cast<double>(dt.size()) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

const bool kernelBenchmarks = [] {
  for (kernels::Isa isa : kernels::AvailableIsas())
    benchmark::RegisterBenchmark(
        (std::string("SearchKernel/DeemingSums/") + kernels::IsaName(isa)).c_str(),
        SearchKernelDeeming, isa);
  return true;
}();

}  // namespace
}  // namespace korvel
