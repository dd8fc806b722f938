// What a running search asks of its caller between trials: whether to go
// on, and how many threads to use. The window answers through its document
// adapter (search/document_search), korvel-batch with a progress bar, the
// survey and Python with a cancel flag. Nothing here names a toolkit type.
#pragma once

#include "search/search_values.h"

namespace korvel {

// Go on; Stop: finish the trial at hand, then end (as the window's Stop
// button); Abandon: end at once, leaving the trial at hand unmade (the
// observations the search runs on were replaced).
enum class TrialGo { Go, Stop, Abandon };

class SearchHooks {
 public:
  virtual ~SearchHooks() = default;
  // Called once per trial with the result so far (see EventsAt in the method
  // table for where in the trial).
  virtual TrialGo BetweenTrials(const SearchResult&) { return TrialGo::Go; }
  // True when the search is to end before its first trial (Stop came first).
  virtual bool StoppedBeforeStart() { return false; }
  // Called while the calling thread waits for worker threads.
  virtual void WhileWaiting() {}
  // How many threads compute the trials' statistics (1: the calling thread
  // alone). Results do not depend on it.
  virtual int Threads() { return 1; }
};

// Hooks that let the search run to its end on `threads` threads.
class PlainSearchHooks : public SearchHooks {
 public:
  explicit PlainSearchHooks(int threads = 1) : threads_(threads) {}
  int Threads() override { return threads_; }

 private:
  int threads_;
};

}  // namespace korvel
