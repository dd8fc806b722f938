// The search hooks of korvel-batch: no event loop to serve, so a trial only
// counts itself and, when asked, redraws a progress bar on stderr; statuses
// are kept for the report and messages collected for stderr.
#pragma once

#include <atomic>
#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "search/search_hooks.h"
#include "search/search_start.h"

namespace korvel::batch {

// Thrown out of a search by BetweenTrials once the cancel flag is set (a
// survey asked to stop): the search's results are then not to be used.
struct SearchCancelled {};

class BatchSearchHooks : public SearchHooks {
 public:
  // progress: where the bar is drawn, or nullptr for none. threads: as
  // Threads() returns. cancel: a flag that, once set, ends the search by
  // throwing SearchCancelled at the next trial (nullptr: never).
  BatchSearchHooks(const AnalysisState& s, std::string spectrumFileName, std::ostream* progress,
                   int threads = 1, const std::atomic<bool>* cancel = nullptr);

  void BetweenTrials() override;
  void SetTimerEnabled(bool) override {}
  void RequestRepaint() override {}
  void SetStatus(const std::string& text) override { status_ = text; }
  void ShowMessage(const std::string& text) override { messages_.push_back(text); }
  std::string SpectrumFileName() override { return spectrumFileName_; }
  int Threads() override { return threads_; }

  // Draws the bar at its final position and ends its line (once, and only
  // when a bar was drawn).
  void FinishProgress();

  int64_t Calls() const { return calls_; }
  const std::string& Status() const { return status_; }
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  void Draw(double fraction);

  const AnalysisState& s_;
  std::string spectrumFileName_;
  std::ostream* progress_;
  int threads_;
  const std::atomic<bool>* cancel_;
  int64_t calls_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
  std::string status_;
  std::vector<std::string> messages_;
};

// The trials a completed run made, from the BetweenTrials calls counted.
// Lafler-Kinman and the secondary period let events run after advancing to a
// trial, one call per trial; Deeming lets them run before it advances, so
// its last call is the one that finds the grid exhausted.
int64_t TrialsMade(SearchKind kind, int64_t calls);

// Fraction of the frequency range covered by a trial at Freq, in [0, 1].
double ProgressFraction(const AnalysisState& s);

}  // namespace korvel::batch
