// Speed of the three search engines in observation-trials per second, run
// whole (spectrum, best list, histogram included) at 30, 57 and 100
// observations (survey light curves) and at 1 000 and 10 000, on one thread
// and on every core; and of the inner loops in each instruction-set variant.
//
// Every engine run does the same work, about 57 x 2.4e5 observation-trials,
// at the phase shift of 0.05 that surveys use: at 57 observations that is the
// survey grid (periods 0.2 - 1 d over eight years), elsewhere a range from 1
// cycle per day as wide as the number of trials allows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/thread_count.h"
#include "io/observation_file.h"
#include "search/document_search.h"
#include "search/lomb_scargle.h"
#include "search/multi_harmonic_aov.h"
#include "search/phase_sort.h"
#include "search/search_hooks.h"
#include "search/search_methods.h"
#include "search/search_pipeline.h"
#include "search/trial_grid.h"
#include "search/trial_kernels.h"

namespace korvel {
namespace {

constexpr double kWork = 57 * 2.4e5;  // observation-trials per engine run
constexpr double kSpan = 2900;        // days: eight seasons
constexpr double kFreqLo = 1, kPhaseShift = 0.05;
const int kSizes[] = {30, 57, 100, 650, 1000, 10000};

// An RR Lyrae-like star (0.5683 d, sawtooth light curve) whose amplitude is
// modulated with 45 days, sampled at random over the span: every engine has
// real structure to work through, the secondary search included.
AnalysisState Star(int n) {
  std::mt19937 gen(1234);
  std::uniform_real_distribution<double> date(0, kSpan);
  std::normal_distribution<double> noise(0, 0.02);
  std::vector<double> t(static_cast<size_t>(n));
  for (double& x : t) x = 2450000 + date(gen);
  std::sort(t.begin(), t.end());
  AnalysisState s;
  s.NObs = n;
  s.JD.assign(1, 0.0);
  s.Mag.assign(1, 0.0);
  for (double x : t) {
    const double phase = std::fmod(x / 0.5683, 1.0);
    const double a = 0.4 + 0.1 * std::sin(2 * std::numbers::pi * x / 45);
    s.JD.push_back(x);
    s.Mag.push_back(12 + a * (phase < 0.15 ? -phase / 0.15 : (phase - 0.15) / 0.85) + noise(gen));
  }
  for (rarray* a : {&s.Phase, &s.SortPhase, &s.WMag}) a->assign(s.JD.size(), 0.0);
  s.BinOf.assign(s.JD.size(), 0);
  s.Marks.assign(s.JD.size(), 0);
  ComputeLoadStatistics(s);
  s.Period = 0.5683;
  s.ExtrDate = 2450000.1;
  s.NBins = 8;
  return s;
}

int TrialsFor(int n) {
  return static_cast<int>(kWork / n);
}

// `trials` trials from kFreqLo at a phase shift of 0.05, laid out as a
// fresh grid is: at 57 observations from 1 to about 5 cycles per day.
TrialGrid Grid(const AnalysisState& s, int trials) {
  TrialGrid g;
  g.freqLo = kFreqLo;
  g.step = kPhaseShift / (s.JD[s.NObs] - s.JD[1]);
  g.freqEnd = kFreqLo + (trials - 0.5) * g.step;
  g.scale = 480 / (g.freqEnd - g.freqLo);
  g.start = g.freqLo - g.step;
  return g;
}

void RunEngine(benchmark::State& state, SearchKind kind, uint8_t mode) {
  const int n = static_cast<int>(state.range(0));
  const int threads = static_cast<int>(state.range(1));
  const int trials = TrialsFor(n);
  AnalysisState s = Star(n);
  s.SecPMode = mode;
  const PreparedSearch search{RequestFromDocument(s, kind, threads), Grid(s, trials),
                              static_cast<double>(trials)};
  const Observations o = ObservationsOf(s);
  PlainSearchHooks hooks(threads);
  for (auto _ : state) benchmark::DoNotOptimize(RunSearch(search, o, hooks));
  state.counters["obs*trials/s"] =
      benchmark::Counter(static_cast<double>(n) * trials * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["trials"] = trials;
}

// The engines at every size, on one thread and on every core ("/N/threads").
const bool engineBenchmarks = [] {
  struct Engine {
    const char* name;
    SearchKind kind;
    uint8_t mode;
  };
  const Engine engines[] = {{"SearchLK", SearchKind::LaflerKinman, 0},
                            {"SearchDeeming", SearchKind::Deeming, 0},
                            {"SearchSecP/mode1", SearchKind::Secondary, 1},
                            {"SearchSecP/mode2", SearchKind::Secondary, 2}};
  const int cores = DefaultThreadCount();
  for (const Engine& e : engines) {
    auto* b = benchmark::RegisterBenchmark(e.name, RunEngine, e.kind, e.mode);
    b->ArgNames({"N", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime();
    for (int n : kSizes) {
      b->Args({n, 1});
      if (cores > 1) b->Args({n, cores});
    }
  }
  return true;
}();

// The inner loops alone, per variant: what the run-time dispatch gains here.
struct KernelData {
  std::vector<double> dt, w;
  double f = kFreqLo;
  explicit KernelData(int n) {
    const AnalysisState s = Star(n);
    for (int i = 1; i <= s.NObs; ++i) {
      dt.push_back(s.JD[i] - s.JD[1]);
      w.push_back(s.Mag[i] - s.MagMean);
    }
  }
  void Next() { f += 1.7e-5; }
  void Count(benchmark::State& state) const {
    state.counters["obs*trials/s"] =
        benchmark::Counter(static_cast<double>(dt.size()) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
  }
};

void KernelDeemingSums(benchmark::State& state, kernels::Isa isa) {
  KernelData d(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(kernels::DeemingSums(d.dt.data(), d.w.data(), d.dt.size(), d.f, isa));
    d.Next();
  }
  d.Count(state);
}

void KernelFold(benchmark::State& state, kernels::Isa isa) {
  KernelData d(static_cast<int>(state.range(0)));
  std::vector<double> out(d.dt.size());
  for (auto _ : state) {
    kernels::Fold(d.dt.data(), d.dt.size(), d.f, 0, out.data(), isa);
    benchmark::DoNotOptimize(out.data());
    d.Next();
  }
  d.Count(state);
}

// The phase sort of one Lafler-Kinman trial, on the phases of a real fold.
void KernelSortByPhase(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  KernelData d(n);
  PhaseWork work(n);
  for (auto _ : state) {
    kernels::Fold(d.dt.data(), d.dt.size(), d.f, 0, work.phase.data() + 1, kernels::BestIsa());
    work.Sort(d.w.data() - 1);
    benchmark::DoNotOptimize(work.wmag.data());
    d.Next();
  }
  d.Count(state);
}

const bool kernelBenchmarks = [] {
  for (kernels::Isa isa : kernels::AvailableIsas()) {
    const std::string suffix = std::string("/") + kernels::IsaName(isa);
    benchmark::RegisterBenchmark(("SearchKernel/DeemingSums" + suffix).c_str(), KernelDeemingSums,
                                 isa)
        ->Arg(57)
        ->Arg(1000);
    benchmark::RegisterBenchmark(("SearchKernel/Fold" + suffix).c_str(), KernelFold, isa)
        ->Arg(57)
        ->Arg(1000);
  }
  benchmark::RegisterBenchmark("SearchKernel/SortByPhase", KernelSortByPhase)
      ->Arg(30)
      ->Arg(57)
      ->Arg(100)
      ->Arg(1000);
  return true;
}();

// The engines that run on values alone (gls, mhaov, pdm, ce) with their
// default parameters, one thread, at survey, mid and long sizes, each run
// about kValueWork observation-trials; items processed are observations times
// trials, so the items/s column is obs*trials/s. "gls-direct" is the
// generalised Lomb-Scargle power with a std::cos and std::sin per
// observation and trial over the same frequencies, as the search computed it
// before the grid's recurrence, without the bookkeeping.
constexpr double kValueWork = 57 * 2e4;
const int kValueSizes[] = {57, 650, 10000};

struct ValueStar {
  AnalysisState s;
  SearchRequest request;
  TrialGrid grid;
  int trials;
};

ValueStar ValueStarOf(int n, const char* method) {
  ValueStar v{Star(n), {}, {}, std::max(16, static_cast<int>(kValueWork / n))};
  v.request.method = MethodNamed(method) ? MethodNamed(method)->kind : SearchKind::LombScargle;
  v.grid = Grid(v.s, v.trials);
  return v;
}

void RunValueEngine(benchmark::State& state, const char* method) {
  const ValueStar v = ValueStarOf(static_cast<int>(state.range(0)), method);
  const PreparedSearch search{v.request, v.grid, static_cast<double>(v.trials)};
  const Observations o = ObservationsOf(v.s);
  PlainSearchHooks hooks(1);
  for (auto _ : state) benchmark::DoNotOptimize(RunSearch(search, o, hooks));
  state.SetItemsProcessed(state.iterations() * state.range(0) * v.trials);
}

void RunGlsDirect(benchmark::State& state) {
  const ValueStar v = ValueStarOf(static_cast<int>(state.range(0)), "gls");
  std::vector<double> freqs;
  for (double f = v.grid.start; AdvanceFrequency(f, v.grid);) freqs.push_back(f);
  const Observations o = ObservationsOf(v.s);
  for (auto _ : state) benchmark::DoNotOptimize(LombScarglePowers(o, freqs));
  state.SetItemsProcessed(state.iterations() * state.range(0) * static_cast<int64_t>(freqs.size()));
}

// The trials of gls and mhaov alone (no best list or display columns), on
// the frequencies of Engine/gls and Engine/mhaov through the same grid
// recurrence, in every kernel variant: "Engine/gls-trials/avx512" against
// "Engine/gls-trials/scalar" is what the vector kernels gain.
void RunPhasorTrials(benchmark::State& state, const char* method, kernels::Isa isa) {
  const ValueStar v = ValueStarOf(static_cast<int>(state.range(0)), method);
  std::vector<double> freqs;
  for (double f = v.grid.start; AdvanceFrequency(f, v.grid);) freqs.push_back(f);
  const Observations o = ObservationsOf(v.s);
  const bool gls = v.request.method == SearchKind::LombScargle;
  for (auto _ : state)
    benchmark::DoNotOptimize(gls ? LombScarglePowers(o, freqs, v.grid.start, v.grid.step, isa)
                                 : MultiHarmonicAovThetas(o, v.request.harmonics, freqs,
                                                          v.grid.start, v.grid.step, isa));
  state.SetItemsProcessed(state.iterations() * state.range(0) * static_cast<int64_t>(freqs.size()));
}

const bool valueEngineBenchmarks = [] {
  for (const char* method : {"gls", "mhaov", "pdm", "ce"}) {
    auto* b = benchmark::RegisterBenchmark((std::string("Engine/") + method).c_str(),
                                           RunValueEngine, method);
    b->ArgName("N")->Unit(benchmark::kMillisecond)->UseRealTime();
    for (int n : kValueSizes) b->Arg(n);
  }
  auto* b = benchmark::RegisterBenchmark("Engine/gls-direct", RunGlsDirect);
  b->ArgName("N")->Unit(benchmark::kMillisecond)->UseRealTime();
  for (int n : kValueSizes) b->Arg(n);
  for (const char* method : {"gls", "mhaov"})
    for (kernels::Isa isa : kernels::AvailableIsas()) {
      const std::string name = std::string("Engine/") + method + "-trials/" + kernels::IsaName(isa);
      auto* t = benchmark::RegisterBenchmark(name.c_str(), RunPhasorTrials, method, isa);
      t->ArgName("N")->Unit(benchmark::kMillisecond)->UseRealTime();
      for (int n : kValueSizes) t->Arg(n);
    }
  return true;
}();

}  // namespace
}  // namespace korvel
