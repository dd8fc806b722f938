// What the published results cost beyond the search: the distinct peaks
// with their Fourier fits, errors, analytic FAP and S/N (and the adopted
// period) of a searched star, and the false-alarm probabilities from 1000
// reshuffles of a survey star over the survey grid (about 2.4e5 trials).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <variant>
#include <vector>

#include "core/thread_count.h"
#include "search/adopt.h"
#include "search/search_pipeline.h"

namespace korvel {
namespace {

// An RR Lyrae-like star (0.5683 d, sawtooth) of n observations at random
// over eight seasons, searched over 0.2 .. 1 d at a phase shift of 0.05.
struct Searched {
  std::vector<double> t, m;
  Observations o;
  PreparedSearch search;
  SearchResult result;
  Searched(int n, SearchKind kind) {
    std::mt19937 gen(1234);
    std::uniform_real_distribution<double> date(0, 2900);
    std::normal_distribution<double> noise(0, 0.02);
    for (int i = 0; i < n; ++i) t.push_back(2450000 + date(gen));
    std::sort(t.begin(), t.end());
    for (double x : t) {
      const double phase = std::fmod(x / 0.5683, 1.0);
      m.push_back(12 + 0.4 * (phase < 0.15 ? -phase / 0.15 : (phase - 0.15) / 0.85) + noise(gen));
    }
    o = ObservationsOf(t, m);
    SearchRequest request;
    request.method = kind;
    request.pmin = 0.2;
    request.pmax = 1;
    request.phaseShift = 0.05;
    request.threads = DefaultThreadCount();
    search = std::get<PreparedSearch>(PrepareSearch(request, o));
    PlainSearchHooks hooks(request.threads);
    result = RunSearch(search, o, hooks);
  }
};

void PeaksAndErrors(benchmark::State& state, SearchKind kind) {
  const Searched s(static_cast<int>(state.range(0)), kind);
  ErrorOptions options;
  options.threads = static_cast<int>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(ReportPeaks(s.result, s.o, 5, options));
  state.counters["trials"] = static_cast<double>(s.result.statistic.trials);
}

// The adoption's own fits (at the best peak's half and double), the peaks
// made beforehand.
void Adopt(benchmark::State& state, SearchKind kind) {
  const Searched s(static_cast<int>(state.range(0)), kind);
  const std::vector<PeakReport> peaks = ReportPeaks(s.result, s.o, 5, {});
  for (auto _ : state) benchmark::DoNotOptimize(AdoptPeriod({{"", peaks}}, s.o));
}

void FapShuffles(benchmark::State& state, SearchKind kind) {
  const Searched s(57, kind);
  const std::vector<Peak> peaks = DistinctPeaks(s.result, 5, s.result.span);
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(ShuffledFalseAlarms(s.search, s.o, peaks, 1000, 1, threads));
  state.counters["trials"] = static_cast<double>(s.result.statistic.trials);
}

const bool registered = [] {
  for (const auto& [name, kind] :
       {std::pair{"LK", SearchKind::LaflerKinman}, std::pair{"Deeming", SearchKind::Deeming}}) {
    // The peaks' fits on one thread and on every core.
    benchmark::RegisterBenchmark((std::string("PeaksAndErrors/") + name).c_str(), PeaksAndErrors,
                                 kind)
        ->ArgNames({"N", "threads"})
        ->Args({57, 1})
        ->Args({1000, 1})
        ->Args({1000, DefaultThreadCount()})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark((std::string("Adopt/") + name).c_str(), Adopt, kind)
        ->ArgName("N")
        ->Arg(57)
        ->Arg(1000)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("FapShuffles1000/") + name).c_str(), FapShuffles,
                                 kind)
        ->ArgName("threads")
        ->Arg(DefaultThreadCount())
        ->Iterations(1)
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace korvel
