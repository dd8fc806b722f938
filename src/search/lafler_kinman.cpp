#include "search/lafler_kinman.h"

#include <cmath>
#include <memory>
#include <optional>

#include "search/engine_support.h"
#include "search/phase_sort.h"
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
  SmoothnessOfFold(const Offsets& dt, const rarray& mag) : dt_(dt), mag_(mag), work_(dt.n()) {
    if (dt.n() <= RunningPhaseOrder::kWorthUpTo)
      running_.emplace(dt.values.data(), mag.data() + 1, dt.n());
  }

  double Value(double freq) override {
    kernels::Fold(dt_.values.data(), dt_.values.size(), freq, 0, work_.phase.data() + 1,
                  FoldIsa(dt_, freq, 0));
    work_.Sort(mag_.data());
    return SmoothnessSum(work_.wmag.data(), work_.n);
  }

  // Consecutive trials: each ordered from the order of the one before.
  void Values(const double* freq, double* value, size_t count) override {
    if (!running_ || count == 0) return TrialStatistic::Values(freq, value, count);
    const std::optional<kernels::Isa> run = FoldIsaOfRun(dt_, freq, count, 0);
    for (size_t k = 0; k < count; ++k) {
      running_->Order(freq[k], run ? *run : FoldIsa(dt_, freq[k], 0));
      value[k] = Smoothness(running_->SquaredSteps(), work_.n);
    }
  }

  void LeaveIn(AnalysisState& s) const override { work_.LeaveIn(s); }

 private:
  const Offsets& dt_;
  const rarray& mag_;
  PhaseWork work_;
  std::optional<RunningPhaseOrder> running_;
};

}  // namespace

double SmoothnessSum(const double* wmag, int32_t n) {
  return Smoothness(
      kernels::CyclicSquaredSteps(wmag + 1, static_cast<size_t>(n), kernels::BestIsa()), n);
}

double SmoothnessSum(const AnalysisState& s) {
  return SmoothnessSum(s.WMag.data(), s.NObs);
}

void SearchLK(AnalysisState& s, SearchHooks& hooks) {
  if (auto problem = CheckObservations(s, true); problem) return RefuseRun(s, hooks, *problem);
  if (auto problem = CheckGrid(s); problem) return RefuseRun(s, hooks, *problem);
  EnsureWorkArrays(s);
  const Offsets dt = OffsetsFrom(s.JD, s.NObs, s.JD[1]);
  // The workers read copies: a command run between trials may replace the set.
  const rarray mag(s.Mag.begin(), s.Mag.begin() + s.NObs + 1);

  RunBracket run(s, hooks);
  RunTrials(
      s, hooks, EventsAt::AfterAdvance, [&] { return std::make_unique<SmoothnessOfFold>(dt, mag); },
      [&s](double sum) {
        const double p = s.MagVar / sum;
        const double theta = 1 / p;
        s.TrialParam = theta;
        // A perfectly smooth fold (sum 0) has no finite 1/theta to plot.
        if (!std::isfinite(p) || !std::isfinite(theta)) return true;
        RecordSpectrum(s, p);
        RankSmallest(s, theta);
        return true;
      });
  run.Finish();
  hooks.RequestRepaint();
  hooks.SetStatus(kDoneStatus);
}

}  // namespace korvel
