#include "batch/survey_progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace korvel::batch {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

}  // namespace

std::string ClockText(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0 || seconds > 1e8) return "--:--";
  const auto s = static_cast<int64_t>(std::llround(seconds));
  char text[32];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  else
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(s / 60),
                  static_cast<long long>(s % 60));
  return text;
}

SurveyProgress::SurveyProgress(std::ostream& err, bool bar, int64_t stars)
    : err_(err), bar_(bar), stars_(stars) {
  if (!bar_) return;
  redraw_ = std::jthread([this](std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
      Draw();
      wake_.wait_for(lock, stop, kRedrawInterval, [] { return false; });
    }
  });
}

SurveyProgress::~SurveyProgress() {
  if (!bar_) return;
  redraw_.request_stop();
  redraw_.join();
  const std::lock_guard lock(mutex_);
  Draw();
  err_ << '\n' << std::flush;
}

void SurveyProgress::Print(const std::string& text) {
  const std::lock_guard lock(mutex_);
  if (drawnWidth_ > 0) err_ << '\r' << std::string(drawnWidth_, ' ') << '\r';
  err_ << text;
  drawnWidth_ = 0;
  if (bar_) Draw();
  err_ << std::flush;
}

std::string ProgressLine(int64_t done, int64_t stars, double elapsed) {
  const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0;
  const double fraction = stars > 0 ? static_cast<double>(done) / static_cast<double>(stars) : 1;
  const auto filled = static_cast<size_t>(std::clamp(fraction, 0.0, 1.0) * kBarWidth);
  char figures[128];
  std::snprintf(
      figures, sizeof figures, "] %lld/%lld stars  %.1f stars/s  %s left",
      static_cast<long long>(done), static_cast<long long>(stars), rate,
      done > 0 && rate > 0 ? ClockText(static_cast<double>(stars - done) / rate).c_str() : "--:--");
  std::string line(1, '[');
  line.append(filled, '#').append(static_cast<size_t>(kBarWidth) - filled, ' ') += figures;
  return line;
}

void SurveyProgress::Draw() {
  const std::string line = ProgressLine(
      done_.load(std::memory_order_relaxed), stars_,
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count());
  // Blanks over the end of a longer line drawn before.
  const size_t pad = drawnWidth_ > line.size() ? drawnWidth_ - line.size() : 0;
  err_ << '\r' << line << std::string(pad, ' ') << std::flush;
  drawnWidth_ = line.size();
}

}  // namespace korvel::batch
