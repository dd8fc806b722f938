#include "batch/batch_hooks.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace korvel::batch {

namespace {

// Often enough to look alive, rarely enough that drawing costs nothing.
constexpr auto kDrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

}  // namespace

BatchSearchHooks::BatchSearchHooks(const AnalysisState& s, std::string spectrumFileName,
                                   std::ostream* progress, int threads,
                                   const std::atomic<bool>* cancel)
    : s_(s),
      spectrumFileName_(std::move(spectrumFileName)),
      progress_(progress),
      threads_(threads),
      cancel_(cancel) {}

void BatchSearchHooks::BetweenTrials() {
  ++calls_;
  if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) throw SearchCancelled{};
  if (progress_ == nullptr) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < kDrawInterval) return;
  lastDraw_ = now;
  Draw(ProgressFraction(s_));
}

void BatchSearchHooks::FinishProgress() {
  if (progress_ == nullptr || !drawn_) return;
  Draw(1.0);
  *progress_ << '\n' << std::flush;
  progress_ = nullptr;
}

void BatchSearchHooks::Draw(double fraction) {
  drawn_ = true;
  const int filled = static_cast<int>(fraction * kBarWidth);
  const int percent = static_cast<int>(fraction * 100);
  *progress_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
             << std::string(static_cast<size_t>(kBarWidth - filled), ' ') << "] ";
  if (percent < 100) *progress_ << ' ';
  if (percent < 10) *progress_ << ' ';
  *progress_ << percent << "%  " << calls_ << " trials" << std::flush;
}

int64_t TrialsMade(SearchKind kind, int64_t calls) {
  if (MethodOf(kind).deeming) return std::max<int64_t>(calls - 1, 0);
  return calls;
}

double ProgressFraction(const AnalysisState& s) {
  const double range = s.FreqEnd - s.FreqLo;
  const double fraction = (s.Freq - s.FreqLo) / range;
  if (!std::isfinite(fraction)) return 0;
  return std::clamp(fraction, 0.0, 1.0);
}

}  // namespace korvel::batch
