#include "search/search_guidance.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "search/search_pipeline.h"

namespace korvel {

namespace {

using Clock = std::chrono::steady_clock;

// Stops a search once its time is up. The clock is
// read every few trials so that its cost does not weigh on tiny trials.
class TimedHooks : public SearchHooks {
 public:
  TimedHooks(double seconds, int threads)
      : end_(Clock::now() +
             std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds))),
        threads_(threads) {}
  TrialGo BetweenTrials(const SearchResult&) override {
    if (++calls_ % 16 != 0) return TrialGo::Go;
    return Clock::now() < end_ ? TrialGo::Go : TrialGo::Stop;
  }
  int Threads() override { return threads_; }

 private:
  int64_t calls_ = 0;
  Clock::time_point end_;
  int threads_;
};

// Enough trials that no machine runs out of them within a budget of a
// fraction of a second on a handful of observations, few enough that the
// statistic's storage stays small.
constexpr double kCalibrationTrials = 200'000;

}  // namespace

std::optional<double> MedianNightlySpacing(std::span<const double> jd) {
  std::vector<double> gaps;
  for (size_t i = 1; i < jd.size(); ++i) {
    const double gap = jd[i] - jd[i - 1];
    if (gap > 0 && gap < kNightGap) gaps.push_back(gap);
  }
  if (gaps.empty()) return std::nullopt;
  const auto middle = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2);
  std::nth_element(gaps.begin(), middle, gaps.end());
  if (gaps.size() % 2 == 1) return *middle;
  const double below = *std::max_element(gaps.begin(), middle);
  return (below + *middle) / 2;
}

SamplingWarnings CheckSampling(double pmin, double pmax, std::span<const double> jd) {
  SamplingWarnings w;
  if (jd.empty()) return w;
  w.spacing = MedianNightlySpacing(jd);
  w.span = jd.back() - jd.front();
  w.pminBelowSpacing = w.spacing && pmin < 2 * *w.spacing;
  w.pmaxBeyondHalfSpan = w.span > 0 && pmax > w.span / 2;
  return w;
}

double SecondsFor(double trials, size_t observations, double speed) {
  if (!(speed > 0)) return 0;
  return trials * static_cast<double>(observations) / speed;
}

std::optional<double> MeasureSearchSpeed(SearchRequest r, const Observations& o,
                                         double budgetSeconds) {
  if (o.size() < 2) return std::nullopt;
  const double span = o.jd.back() - o.jd.front();
  // Frequencies 0.1 .. 1 in kCalibrationTrials steps.
  r.pmax = 10;
  r.pmin = 1;
  r.phaseShift = 0.9 / kCalibrationTrials * span;
  r.spectrumFile.clear();
  r.maxTrials = 0;
  const auto prepared = PrepareSearch(r, o);
  const auto* p = std::get_if<PreparedSearch>(&prepared);
  if (!p) return std::nullopt;
  TimedHooks hooks(budgetSeconds, r.threads);
  const auto start = Clock::now();
  const auto trials = static_cast<double>(RunSearch(*p, o, hooks).statistic.trials);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!(seconds > 0) || trials < 1) return std::nullopt;
  return trials * static_cast<double>(o.size()) / seconds;
}

}  // namespace korvel
