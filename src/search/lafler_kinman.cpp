#include "search/lafler_kinman.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "search/engine_support.h"
#include "search/phase_sort.h"
#include "search/search_methods.h"
#include "search/trial_kernels.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

double Smoothness(double squaredSteps, int32_t n) {
  return squaredSteps / n;
}

// S of one trial, on a fold of its own.
class SmoothnessOfFold : public TrialStatistic {
 public:
  // mag: the magnitudes from element 1 on, as PhaseWork reads them.
  SmoothnessOfFold(const Offsets& dt, const std::vector<double>& mag)
      : dt_(dt), mag_(mag), work_(dt.n()) {
    if (dt.n() <= RunningPhaseOrder::kWorthUpTo)
      running_.emplace(dt.values.data(), mag.data() + 1, dt.n());
    else
      buckets_.emplace(dt.values.data(), mag.data() + 1, dt.n());
  }

  double Value(double freq) override {
    kernels::Fold(dt_.values.data(), dt_.values.size(), freq, 0, work_.phase.data() + 1,
                  FoldIsa(dt_, freq, 0));
    work_.Sort(mag_.data());
    return SmoothnessSum(work_.wmag.data(), work_.n);
  }

  // Consecutive trials: each ordered from the order of the one before.
  void Values(const double* freq, double* value, size_t count) override {
    if (running_) return SmoothnessOfRun(*running_, dt_, 0, freq, value, count);
    SmoothnessOfRun(*buckets_, dt_, 0, freq, value, count);
  }

 private:
  const Offsets& dt_;
  const std::vector<double>& mag_;
  PhaseWork work_;
  std::optional<RunningPhaseOrder> running_;
  std::optional<BucketPhaseOrder> buckets_;
};

}  // namespace

double SmoothnessSum(const double* wmag, int32_t n) {
  return Smoothness(
      kernels::CyclicSquaredSteps(wmag + 1, static_cast<size_t>(n), kernels::BestIsa()), n);
}

void RunLaflerKinman(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                     SearchResult& r) {
  const Offsets dt = OffsetsFrom(o.jd, o.jd[0]);
  std::vector<double> mag(o.size() + 1);
  std::copy(o.mag.begin(), o.mag.end(), mag.begin() + 1);
  const double variance = o.magVar;
  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] { return std::make_unique<SmoothnessOfFold>(dt, mag); },
      [&r, variance](double sum) {
        const double p = variance / sum;
        const double theta = 1 / p;
        r.lastValue = theta;
        KeepTrial(r.statistic, theta, true);
        // A perfectly smooth fold (sum 0) has no finite 1/theta to plot.
        if (!std::isfinite(p) || !std::isfinite(theta)) return true;
        RecordSpectrum(r.display, r.grid, r.freq, p);
        RankSmallest(r.best, r.freq, theta);
        return true;
      });
}

}  // namespace korvel
