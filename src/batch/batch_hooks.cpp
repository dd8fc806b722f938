#include "batch/batch_hooks.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>

namespace korvel::batch {

namespace {

// Often enough to look alive, rarely enough that drawing costs nothing.
constexpr auto kDrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

}  // namespace

BatchSearchHooks::BatchSearchHooks(std::ostream* progress, int threads,
                                   const std::atomic<bool>* cancel)
    : progress_(progress), threads_(threads), cancel_(cancel) {}

TrialGo BatchSearchHooks::BetweenTrials(const SearchResult& r) {
  if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) throw SearchCancelled{};
  if (progress_ == nullptr) return TrialGo::Go;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < kDrawInterval) return TrialGo::Go;
  lastDraw_ = now;
  Draw(ProgressFraction(r), r.statistic.trials);
  return TrialGo::Go;
}

void BatchSearchHooks::FinishProgress(int64_t trials) {
  if (progress_ == nullptr || !drawn_) return;
  Draw(1.0, trials);
  *progress_ << '\n' << std::flush;
  progress_ = nullptr;
}

void BatchSearchHooks::Draw(double fraction, int64_t trials) {
  drawn_ = true;
  const int filled = static_cast<int>(fraction * kBarWidth);
  const int percent = static_cast<int>(fraction * 100);
  *progress_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
             << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] ";
  if (percent < 100) *progress_ << ' ';
  if (percent < 10) *progress_ << ' ';
  *progress_ << percent << "%  " << trials << " trials" << std::flush;
}

double ProgressFraction(const SearchResult& r) {
  const double range = r.grid.freqEnd - r.grid.freqLo;
  const double fraction = (r.freq - r.grid.freqLo) / range;
  if (!std::isfinite(fraction)) return 0;
  return std::clamp(fraction, 0.0, 1.0);
}

}  // namespace korvel::batch
