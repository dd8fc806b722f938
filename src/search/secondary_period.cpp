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
#include "search/search_methods.h"
#include "search/trial_kernels.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// Primary phase of an observation at date t, zero at the extremal
// light-curve shape, shifted by `shift` of a cycle.
double PrimaryPhase(const SecondaryElements& e, double t, double shift) {
  return Frac((t - e.extremumDate) / e.period + shift);
}

// The theta of the primary fold the trials are measured against.
double PrimaryTheta(const Observations& o, const SecondaryElements& e) {
  const auto n = static_cast<int32_t>(o.size());
  PhaseWork work(n);
  std::vector<double> mag(o.size() + 1);
  for (size_t i = 0; i < o.size(); ++i) {
    mag[i + 1] = o.mag[i];
    work.phase[i + 1] = PrimaryPhase(e, o.jd[i], 0.5);
  }
  work.Sort(mag.data());
  return SmoothnessSum(work.wmag.data(), n) / o.magVar;
}

// Mode 1 trial: the squared steps along each secondary bin's run (in the
// primary-phase order), summed over all bins, over N - B.
class BinnedRuns : public TrialStatistic {
 public:
  BinnedRuns(const Observations& o, const SecondaryElements& e)
      : n_(static_cast<int32_t>(o.size())),
        bins_(e.bins),
        binOf_(o.size()),
        lastMag_(static_cast<size_t>(e.bins) + 1),
        seen_(static_cast<size_t>(e.bins) + 1) {
    // The dates and magnitudes in primary-phase order (stable).
    std::vector<double> phase(o.size());
    for (size_t i = 0; i < o.size(); ++i) phase[i] = PrimaryPhase(e, o.jd[i], 0.5);
    std::vector<size_t> order(o.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return phase[a] < phase[b]; });
    std::vector<double> dates(o.size());
    mags_.resize(o.size());
    for (size_t k = 0; k < o.size(); ++k) {
      dates[k] = o.jd[order[k]];
      mags_[k] = o.mag[order[k]];
    }
    t_ = OffsetsFrom(dates, e.epoch);
  }

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
  BinnedSecondaryFold(const Offsets& t, const std::vector<double>& bin,
                      const std::vector<double>& mag, int32_t bins)
      : t_(t),
        bin_(bin),
        mag_(mag),
        bins_(bins),
        work_(t.n()),
        order_(t.values.data(), mag.data() + 1, t.n(),
               {0.5, bin.data(), static_cast<double>(bins)}) {}

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

  // Consecutive trials: each ordered from the order of the one before.
  void Values(const double* freq, double* value, size_t count) override {
    SmoothnessOfRun(order_, t_, 0.5, freq, value, count);
  }

 private:
  const Offsets& t_;
  const std::vector<double>& bin_;
  const std::vector<double>& mag_;
  int32_t bins_;
  PhaseWork work_;
  BucketPhaseOrder order_;
};

}  // namespace

std::vector<uint8_t> PrimaryBins(const Observations& o, const SecondaryElements& e) {
  const double halfBin = 0.5 / e.bins;
  std::vector<uint8_t> bins(o.size());
  for (size_t i = 0; i < o.size(); ++i)
    bins[i] = static_cast<uint8_t>(std::trunc(e.bins * PrimaryPhase(e, o.jd[i], halfBin)));
  return bins;
}

void RunSecondaryPeriod(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                        SearchResult& r) {
  const SecondaryElements& e = p.request.secondary;
  r.primaryTheta = PrimaryTheta(o, e);
  StatisticMaker make;
  Offsets t;
  std::vector<double> primaryBin, mag;
  if (e.mode == 1) {
    const BinnedRuns runs(o, e);
    make = [runs] { return std::make_unique<BinnedRuns>(runs); };
  } else {
    t = OffsetsFrom(o.jd, e.epoch);
    const std::vector<uint8_t> bins = PrimaryBins(o, e);
    primaryBin.assign(bins.begin(), bins.end());
    mag.assign(o.size() + 1, 0.0);
    std::copy(o.mag.begin(), o.mag.end(), mag.begin() + 1);
    make = [&, bins = e.bins] {
      return std::make_unique<BinnedSecondaryFold>(t, primaryBin, mag, bins);
    };
  }

  const double variance = o.magVar, primaryTheta = r.primaryTheta;
  RunTrials(r, o.size(), hooks, MethodOf(p.request.method).events, make,
            [&r, variance, primaryTheta](double sum) {
              const double theta2 = sum / variance;
              const double p = primaryTheta / theta2;
              r.lastValue = 1 / p;
              KeepTrial(r.statistic, r.lastValue, true);
              // A trial whose bins hold no two observations (sum 0) has no finite value.
              if (!std::isfinite(p) || !std::isfinite(r.lastValue)) return true;
              RecordSpectrum(r.display, r.grid, r.freq, p);
              RankSmallest(r.best, r.freq, r.lastValue);
              return true;
            });
}

}  // namespace korvel
