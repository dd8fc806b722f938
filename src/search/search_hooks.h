// What a running search needs from its surroundings. The window passes an
// adapter over its Platform (which throttles BetweenTrials to the event loop
// every ~15 ms); korvel-batch passes one that reports progress on stderr.
// Nothing here names a toolkit type.
#pragma once

#include <string>

namespace korvel {

class SearchHooks {
 public:
  virtual ~SearchHooks() = default;

  // Called once per trial: lets the user interface run pending events. Stop
  // arrives here, by setting RunCode to 'e'.
  virtual void BetweenTrials() = 0;
  // The one-second timer that redraws the growing spectrum: on before the
  // first trial, off after the last.
  virtual void SetTimerEnabled(bool enabled) = 0;
  virtual void RequestRepaint() = 0;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  // The text of the spectrum-file edit, read when a Deeming run starts.
  virtual std::string SpectrumFileName() = 0;
  // How many threads compute the trials' statistics (1: the calling thread
  // alone). Results do not depend on it.
  virtual int Threads() { return 1; }
  // Called while the calling thread waits for worker threads: lets pending
  // events run as BetweenTrials does, but is not a trial.
  virtual void WhileWaiting() {}
};

// Hooks that do nothing: benchmarks, and callers that read the results from
// the analysis state afterwards.
class SilentSearchHooks : public SearchHooks {
 public:
  explicit SilentSearchHooks(int threads = 1) : threads_(threads) {}
  void BetweenTrials() override {}
  void SetTimerEnabled(bool) override {}
  void RequestRepaint() override {}
  void SetStatus(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  std::string SpectrumFileName() override { return "SpFName.dat"; }
  int Threads() override { return threads_; }

 private:
  int threads_;
};

}  // namespace korvel
