// Reading photometry tables: ReadObservations on a generated CSV of 10^6 rows
// (JD, mag, err, band in two bands, a few limits), in rows and bytes per
// second.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "io/read_observations.h"

namespace {

// Written once per process and removed when the program ends.
class CsvFile {
 public:
  explicit CsvFile(int64_t rows) {
    path_ = (std::filesystem::temp_directory_path() /
             ("korvel_photometry_bench_" + std::to_string(::getpid()) + ".csv"))
                .string();
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    std::fputs("# generated\nJD,Mag,Err,Band\n", f);
    uint64_t state = 88172645463325252ULL;
    for (int64_t i = 0; i < rows; ++i) {
      state ^= state << 13, state ^= state >> 7, state ^= state << 17;
      const double jd = 2459000.5 + static_cast<double>(i) * 0.0035;
      const double mag = 12.0 + static_cast<double>(state % 10000) * 1e-4;
      std::fprintf(f, "%.6f,%s%.4f,%.4f,%s\n", jd, i % 97 == 0 ? "<" : "", mag,
                   0.01 + static_cast<double>(state % 100) * 1e-4, (i & 1) ? "V" : "B");
    }
    std::fclose(f);
  }
  ~CsvFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void BM_ReadObservationsCsv(benchmark::State& state) {
  const int64_t rows = state.range(0);
  static const CsvFile file(rows);
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(file.Path()));
  int64_t kept = 0;
  for (auto _ : state) {
    const korvel::LoadedObservations p = korvel::ReadObservations(file.Path(), {});
    kept = static_cast<int64_t>(p.jd.size());
    benchmark::DoNotOptimize(p.jd.data());
  }
  state.counters["band_rows"] = static_cast<double>(kept);
  state.SetItemsProcessed(state.iterations() * rows);
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_ReadObservationsCsv)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7);

}  // namespace
