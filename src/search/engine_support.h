// What the three search engines share: the checks that keep a search from
// dividing by zero or running forever, the run bracket (timer on, and off
// with RunCode 'e' however the run ends), the stepping of the trial
// frequency and the precomputed time offsets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/messages.h"
#include "search/search_hooks.h"
#include "search/trial_kernels.h"

namespace korvel {

// Messages of the checks, shared with CheckSearchable.
inline constexpr const char* kArraysMismatch =
    "The observation arrays do not match the number of observations...";
inline constexpr const char* kZeroSpan =
    "The first and last observations have the same date: there is no time span to search...";
inline constexpr const char* kDescendingDates =
    "The last observation is dated before the first: the file must be in ascending date "
    "order...";
inline constexpr const char* kConstantMagnitudes =
    "All magnitudes are equal: there is nothing to search...";
inline constexpr const char* kVarianceNotFinite = "The magnitudes are too large to search...";
inline constexpr const char* kTooManyBins = "At most 255 phase bins are possible...";
inline constexpr const char* kTooFewForBins =
    "Too few observations for the number of bins: more observations than bins are needed...";
inline constexpr const char* kDoneStatus = "Done...";  // a search that ran to its end
inline constexpr const char* kGridNotSet = "Initial parameters have not been fixed...";

// The observation set: loaded, arrays of NObs + 1, and (when the statistic
// divides by it) a finite non-zero MagVar. For the secondary period also the
// primary period and the bin number.
std::optional<std::string> CheckObservations(const AnalysisState& s, bool needsVariance);
std::optional<std::string> CheckSecondaryParameters(const AnalysisState& s);

// The grid as an engine receives it: a finite positive step that still moves
// the frequency at FreqEnd, and a finite column scale.
std::optional<std::string> CheckGrid(const AnalysisState& s);

// Grows Phase, SortPhase, WMag, BinOf and BinByte to NObs + 1 elements where
// they are shorter; Marks is not touched.
void EnsureWorkArrays(AnalysisState& s);

// Ends a run that could not start: RunCode 'e', the reason on the status
// line, a repaint.
void RefuseRun(AnalysisState& s, SearchHooks& hooks, const std::string& reason);

// Freq := Freq + FreqStep. False when the grid is exhausted (Freq beyond
// FreqEnd), and also when the addition no longer moves Freq, which would
// otherwise repeat the same trial for ever.
inline bool AdvanceFrequency(AnalysisState& s) {
  const double next = s.Freq + s.FreqStep;
  const bool moved = next > s.Freq;
  s.Freq = next;
  return moved && !(s.Freq > s.FreqEnd);
}

// True when a command run between trials replaced or shrank the observation
// set, which the search can then no longer use.
inline bool ObservationSetChanged(const AnalysisState& s, int32_t n) {
  const size_t need = static_cast<size_t>(n) + 1;
  return s.NObs != n || s.JD.size() < need || s.Mag.size() < need || s.Phase.size() < need ||
         s.SortPhase.size() < need || s.WMag.size() < need || s.BinOf.size() < need ||
         s.BinByte.size() < need;
}

// Timer on at construction; Finish (or the destructor, if an error ends the
// run early) turns it off and sets RunCode 'e'.
class RunBracket {
 public:
  RunBracket(AnalysisState& s, SearchHooks& hooks);
  ~RunBracket();
  RunBracket(const RunBracket&) = delete;
  RunBracket& operator=(const RunBracket&) = delete;
  void Finish();

 private:
  AnalysisState& s_;
  SearchHooks& hooks_;
  bool finished_ = false;
};

// x[i - 1] - origin for i = 1 .. n, contiguous and 0-based, with its range.
struct Offsets {
  std::vector<double> values;
  double min = 0, max = 0;
  int32_t n() const { return static_cast<int32_t>(values.size()); }
};
Offsets OffsetsFrom(const rarray& x, int32_t n, double origin);

// The widest kernel variant that folds t * f + c exactly, else the scalar one.
kernels::Isa FoldIsa(const Offsets& t, double f, double c);
// The same for a run of ascending trial frequencies f[0 .. count-1] (count
// at least 1), where one variant suits them all: it does when it suits the
// first and the last. Otherwise none.
std::optional<kernels::Isa> FoldIsaOfRun(const Offsets& t, const double* f, size_t count, double c);

}  // namespace korvel
