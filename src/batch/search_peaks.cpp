#include "batch/search_peaks.h"

#include <string>

namespace korvel::batch {

CLI::Option* AddPeakOptions(CLI::App& command, PeakOptions& options, bool withBootstrap) {
  CLI::Option* peaks =
      command
          .add_option("--peaks", options.count,
                      "Distinct peaks of the spectrum reported, best first, with harmonics and "
                      "aliases of the best labelled (0: none; at most " +
                          std::to_string(kMaxPeaks) + ")")
          ->check(CLI::Range(0, kMaxPeaks))
          ->capture_default_str();
  if (withBootstrap)
    command
        .add_option("--bootstrap", options.bootstrap,
                    "Resamplings of each peak's Fourier fit for a bootstrap period error beside "
                    "the analytic one (0: none)")
        ->check(CLI::Range(0, kMaxBootstrap))
        ->capture_default_str();
  command
      .add_option("--fap-shuffles", options.fapShuffles,
                  "Reshuffles of the magnitudes, each searched again, for each peak's "
                  "false-alarm probability (0: the analytic one alone)")
      ->check(CLI::Range(0, kMaxFapShuffles))
      ->capture_default_str();
  command.add_option("--seed", options.seed, "Seed of the resamplings and the reshuffles")
      ->capture_default_str();
  return peaks;
}

std::vector<PeakReport> SearchPeaks(const SearchResult& r, const PreparedSearch& p,
                                    const Observations& o, const PeakOptions& options,
                                    int threads) {
  std::vector<PeakReport> peaks =
      ReportPeaks(r, o, options.count, {options.bootstrap, options.seed, threads, &p.request});
  if (options.fapShuffles > 0 && !peaks.empty())
    AddFalseAlarms(peaks, p, o, options.fapShuffles, options.seed, threads);
  return peaks;
}

}  // namespace korvel::batch
