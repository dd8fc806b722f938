// The survey's progress bar on stderr: stars done of all, stars per second
// and the time left, redrawn by its own thread ten times a second, so that it
// moves while long searches run. Messages printed through it appear above
// the bar instead of inside it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>

namespace korvel::batch {

class SurveyProgress {
 public:
  // Messages go to err; the bar is drawn there only when bar is true.
  SurveyProgress(std::ostream& err, bool bar, int64_t stars);
  // Draws the bar a last time and ends its line.
  ~SurveyProgress();
  SurveyProgress(const SurveyProgress&) = delete;
  SurveyProgress& operator=(const SurveyProgress&) = delete;

  void StarDone() { done_.fetch_add(1, std::memory_order_relaxed); }
  // Writes text (whole lines) to err.
  void Print(const std::string& text);

 private:
  void Draw();  // with mutex_ held

  std::ostream& err_;
  const bool bar_;
  const int64_t stars_;
  std::atomic<int64_t> done_{0};
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::mutex mutex_;
  std::condition_variable_any wake_;
  size_t drawnWidth_ = 0;
  std::jthread redraw_;  // last: started once everything above is set
};

// "[#####     ] 40/120 stars  3.1 stars/s  0:26 left": the bar after
// elapsed seconds.
std::string ProgressLine(int64_t done, int64_t stars, double elapsed);

// "1:05:03", "4:07": a duration in whole seconds.
std::string ClockText(double seconds);

}  // namespace korvel::batch
