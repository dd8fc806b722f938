// Loading observation files: LoadObservations on generated files of 10^4 to
// 10^6 lines in the Save as... format, in lines and bytes per second.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "core/analysis_state.h"
#include "io/observation_file.h"
#include "io/text_writer.h"

namespace {

// The files are written once per process into one scratch directory and
// removed when the program ends.
class BenchFiles {
 public:
  ~BenchFiles() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }

  const std::string& Lines(int64_t n) {
    auto it = files_.find(n);
    if (it != files_.end()) return it->second;
    if (dir_.empty()) {
      dir_ = std::filesystem::temp_directory_path() /
             ("korvel_load_bench_" + std::to_string(::getpid()));
      std::filesystem::create_directories(dir_);
    }
    const std::string path = (dir_ / ("obs_" + std::to_string(n) + ".dat")).string();
    korvel::TextWriter out(path);
    // Five-minute cadence and a wandering magnitude: every line has its own
    // digits, as in real data.
    uint64_t state = 88172645463325252ULL;
    for (int64_t i = 0; i < n; ++i) {
      state ^= state << 13, state ^= state >> 7, state ^= state << 17;
      const double jd = 59000.0 + static_cast<double>(i) * 0.0035;
      const double mag = 12.0 + static_cast<double>(state % 10000) * 1e-4;
      out.WriteLine(korvel::ObservationLine(jd, mag, 4));
    }
    out.Close();
    return files_.emplace(n, path).first->second;
  }

 private:
  std::filesystem::path dir_;
  std::map<int64_t, std::string> files_;
};

BenchFiles files;

void BM_LoadObservations(benchmark::State& state) {
  const int64_t lines = state.range(0);
  const std::string& path = files.Lines(lines);
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  korvel::AnalysisState s;
  for (auto _ : state) {
    const auto error = korvel::LoadObservations(s, path, korvel::ReadOptions{});
    benchmark::DoNotOptimize(error);
    benchmark::DoNotOptimize(s.MagVar);
  }
  if (s.NObs != lines) state.SkipWithError("the file did not load completely");
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetBytesProcessed(state.iterations() * bytes);
}

BENCHMARK(BM_LoadObservations)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
