// The search hooks of korvel-batch: no event loop to serve, so a trial only
// checks the cancel flag and, when asked, redraws a progress bar on stderr.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <iosfwd>

#include "search/search_hooks.h"

namespace korvel::batch {

// Thrown out of a search by BetweenTrials once the cancel flag is set (a
// survey asked to stop): the search's results are then not to be used.
struct SearchCancelled {};

class BatchSearchHooks : public SearchHooks {
 public:
  // progress: where the bar is drawn, or nullptr for none. threads: as
  // Threads() returns. cancel: a flag that, once set, ends the search by
  // throwing SearchCancelled at the next trial (nullptr: never).
  BatchSearchHooks(std::ostream* progress, int threads = 1,
                   const std::atomic<bool>* cancel = nullptr);
  TrialGo BetweenTrials(const SearchResult& r) override;
  int Threads() override { return threads_; }
  // Draws the bar at its final position with the trials made and ends its
  // line (once, and only when a bar was drawn).
  void FinishProgress(int64_t trials);

 private:
  void Draw(double fraction, int64_t trials);

  std::ostream* progress_;
  int threads_;
  const std::atomic<bool>* cancel_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
};

// Fraction of the frequency range covered by the trial at r.freq, in [0, 1].
double ProgressFraction(const SearchResult& r);

}  // namespace korvel::batch
