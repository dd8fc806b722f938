// The distinct peaks a batch search reports (search/period_error.h): how
// many, with which bootstrap and reshuffled false-alarm probabilities, and
// the options that ask for them. korvel-batch search and survey and the
// Python module take them from here, so a peak is the same number wherever
// it is printed.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <vector>

#include "search/period_error.h"
#include "search/search_values.h"

namespace korvel::batch {

// Distinct peaks a search reports unless told otherwise.
inline constexpr int kDefaultPeaks = kDefaultPeakCount;
// Bounds of the counts: more peaks than this are no list anyone reads, and
// more resamplings or reshuffles would run for days.
inline constexpr int kMaxPeaks = 1000;
inline constexpr int kMaxBootstrap = 100000;
inline constexpr int kMaxFapShuffles = 1000000;

struct PeakOptions {
  int count = kDefaultPeaks;  // 0: none
  int bootstrap = 0;          // resamplings for a bootstrap period error; 0: none
  int fapShuffles = 0;        // reshuffles for the FAPs; 0: the analytic FAP alone
  uint64_t seed = 1;          // of the resamplings and the reshuffles
};

// Adds --peaks (its help showing options.count as the default),
// --fap-shuffles, --seed and, withBootstrap, --bootstrap. Returns --peaks.
CLI::Option* AddPeakOptions(CLI::App& command, PeakOptions& options, bool withBootstrap);

// The peaks of a finished search p on o, with the reshuffled FAPs when
// asked for; threads work on the bootstrap and the reshuffles.
std::vector<PeakReport> SearchPeaks(const SearchResult& r, const PreparedSearch& p,
                                    const Observations& o, const PeakOptions& options, int threads);

}  // namespace korvel::batch
