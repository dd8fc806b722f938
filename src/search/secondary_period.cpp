#include "search/secondary_period.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <vector>

#include "core/numeric.h"
#include "search/engine_support.h"
#include "search/lafler_kinman.h"
#include "search/phase_sort.h"
#include "search/trial_kernels.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// Primary phase of observation i, zero at the extremal light-curve shape,
// shifted by `shift` of a cycle.
double PrimaryPhase(const AnalysisState& s, int32_t i, double shift) {
  return Frac((s.JD[i] - s.ExtrDate) / s.Period + shift);
}

// The primary fold the trials are measured against: its theta, and the
// primary bin of every observation (bin 0 centred on ExtrDate).
void PreparePrimary(AnalysisState& s, PhaseSortScratch& scratch) {
  const int32_t n = s.NObs;
  const int32_t bins = s.NBins;
  for (int32_t i = 1; i <= n; ++i) {
    s.WMag[i] = s.Mag[i];
    s.Phase[i] = PrimaryPhase(s, i, 0.5);
  }
  SortByPhase(s, scratch);
  s.PrimaryTheta = SmoothnessSum(s) / s.MagVar;
  const double halfBin = 0.5 / bins;
  for (int32_t i = 1; i <= n; ++i)
    s.BinByte[i] = static_cast<uint8_t>(std::trunc(bins * PrimaryPhase(s, i, halfBin)));
}

// Mode 1: Phase := the dates and WMag := the magnitudes in primary-phase
// order (stable), SortPhase := those phases.
void OrderByPrimaryPhase(AnalysisState& s) {
  const int32_t n = s.NObs;
  std::vector<double> phase(static_cast<size_t>(n) + 1);
  for (int32_t i = 1; i <= n; ++i) phase[i] = PrimaryPhase(s, i, 0.5);
  std::vector<int32_t> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return phase[a] < phase[b]; });
  for (int32_t k = 1; k <= n; ++k) {
    const int32_t i = order[static_cast<size_t>(k - 1)];
    s.Phase[k] = s.JD[i];
    s.SortPhase[k] = phase[i];
    s.WMag[k] = s.Mag[i];
  }
}

// Mode 1 trial: the squared steps along each secondary bin's run (in the
// primary-phase order), summed over all bins, over N - B.
class BinnedRuns : public TrialStatistic {
 public:
  explicit BinnedRuns(const AnalysisState& s)
      : n_(s.NObs),
        bins_(s.NBins),
        t_(OffsetsFrom(s.Phase, s.NObs, s.P2Epoch)),
        mags_(s.WMag.begin() + 1, s.WMag.begin() + 1 + s.NObs),
        binOf_(static_cast<size_t>(s.NObs)),
        lastMag_(static_cast<size_t>(s.NBins) + 1),
        seen_(static_cast<size_t>(s.NBins) + 1) {}

  double Value(double freq) override {
    const double halfBin = 0.5 / bins_;
    kernels::FoldBins(t_.values.data(), static_cast<size_t>(n_), freq, halfBin, bins_,
                      binOf_.data(), FoldIsa(t_, freq, halfBin));
    std::fill(seen_.begin(), seen_.end(), 0);
    // Two partial sums keep the additions from waiting on each other.
    double sums[2] = {0, 0};
    const uint32_t top = static_cast<uint32_t>(bins_);
    for (int32_t k = 0; k < n_; ++k) {
      const uint32_t b = std::min(static_cast<uint32_t>(binOf_[static_cast<size_t>(k)]), top);
      const double m = mags_[static_cast<size_t>(k)];
      if (seen_[b]) {
        const double d = m - lastMag_[b];
        sums[k & 1] += d * d;
      }
      seen_[b] = 1;
      lastMag_[b] = m;
    }
    return (sums[0] + sums[1]) / (n_ - bins_);
  }

 private:
  int32_t n_, bins_;
  Offsets t_;
  std::vector<double> mags_;
  std::vector<int32_t> binOf_;
  std::vector<double> lastMag_;
  std::vector<uint8_t> seen_;
};

// Mode 2 trial: phase (secondary phase + primary bin) / B, sorted, and the
// Lafler-Kinman sum of that order, on a fold of its own.
class BinnedSecondaryFold : public TrialStatistic {
 public:
  BinnedSecondaryFold(const Offsets& t, const std::vector<double>& bin, const rarray& mag,
                      int32_t bins)
      : t_(t), bin_(bin), mag_(mag), bins_(bins), work_(t.n()) {}

  double Value(double freq) override {
    const int32_t n = work_.n;
    double* phase = work_.phase.data() + 1;
    kernels::Fold(t_.values.data(), static_cast<size_t>(n), freq, 0.5, phase,
                  FoldIsa(t_, freq, 0.5));
    const double bins = bins_;
    for (int32_t k = 0; k < n; ++k) phase[k] = (phase[k] + bin_[static_cast<size_t>(k)]) / bins;
    work_.Sort(mag_.data());
    return SmoothnessSum(work_.wmag.data(), n);
  }
  void LeaveIn(AnalysisState& s) const override { work_.LeaveIn(s); }

 private:
  const Offsets& t_;
  const std::vector<double>& bin_;
  const rarray& mag_;
  int32_t bins_;
  PhaseWork work_;
};

}  // namespace

void SearchSecP(AnalysisState& s, SearchHooks& hooks) {
  if (auto problem = CheckObservations(s, true); problem) return RefuseRun(s, hooks, *problem);
  if (auto problem = CheckSecondaryParameters(s); problem) return RefuseRun(s, hooks, *problem);
  if (auto problem = CheckGrid(s); problem) return RefuseRun(s, hooks, *problem);
  const int32_t n = s.NObs;
  s.BinByte.assign(static_cast<size_t>(n) + 1, 0);
  EnsureWorkArrays(s);
  PhaseSortScratch scratch;

  RunBracket run(s, hooks);
  PreparePrimary(s, scratch);
  StatisticMaker make;
  Offsets t;
  std::vector<double> primaryBin;
  // The workers read copies: a command run between trials may replace the set.
  const rarray mag(s.Mag.begin(), s.Mag.begin() + n + 1);
  if (s.SecPMode == 1) {
    OrderByPrimaryPhase(s);
    const BinnedRuns runs(s);
    make = [runs] { return std::make_unique<BinnedRuns>(runs); };
  } else {
    t = OffsetsFrom(s.JD, n, s.P2Epoch);
    primaryBin.assign(s.BinByte.begin() + 1, s.BinByte.begin() + 1 + n);
    make = [&, bins = s.NBins] {
      return std::make_unique<BinnedSecondaryFold>(t, primaryBin, mag, bins);
    };
  }

  RunTrials(s, hooks, EventsAt::AfterAdvance, make, [&s](double sum) {
    const double theta2 = sum / s.MagVar;
    const double p = s.PrimaryTheta / theta2;
    s.TrialParam = 1 / p;
    // A trial whose bins hold no two observations (sum 0) has no finite value.
    if (!std::isfinite(p) || !std::isfinite(s.TrialParam)) return true;
    RecordSpectrum(s, p);
    RankSmallest(s, s.TrialParam);
    return true;
  });
  run.Finish();
  hooks.RequestRepaint();
  s.Resumed = false;
  hooks.SetStatus(kDoneStatus);
}

}  // namespace korvel
