#include "search/lomb_scargle.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "search/engine_support.h"
#include "search/grid_phasors.h"
#include "search/search_methods.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// The power from the weighted sums of cos and sin over the observations
// (Zechmeister & Kuerster 2009, eqs. 4-13). The magnitudes arrive already
// less their weighted mean, which leaves the power unchanged but keeps the
// differences of large sums out of it.
double PowerOf(const WeightedMagnitudes& f, const double* cosine, const double* sine,
               kernels::Isa isa) {
  const kernels::GlsSums t =
      kernels::GlsSumsOf(f.w.data(), f.y.data(), cosine, sine, f.y.size(), isa);
  // The sums about the weighted means; the magnitudes' mean is 0 already.
  const double ccm = t.cc - t.c * t.c, ssm = t.ss - t.s * t.s, csm = t.cs - t.c * t.s;
  const double d = ccm * ssm - csm * csm;
  // Every phase alike: the sinusoid cannot be told from the mean.
  if (!(d > 0) || !(f.yy > 0)) return NAN;
  return (ssm * t.yc * t.yc + ccm * t.ys * t.ys - 2 * csm * t.yc * t.ys) / (f.yy * d);
}

// One trial, its cos and sin from the grid's recurrence (or directly, for
// frequencies off any grid).
class GeneralisedPower : public TrialStatistic {
 public:
  GeneralisedPower(const WeightedMagnitudes& f, double origin, double step, kernels::Isa isa)
      : f_(f), isa_(isa), phasors_(f.dt, origin, step, isa) {}

  double Value(double freq) override {
    phasors_.At(freq);
    return PowerOf(f_, phasors_.Cos().data(), phasors_.Sin().data(), isa_);
  }

 private:
  const WeightedMagnitudes& f_;
  kernels::Isa isa_;
  GridPhasors phasors_;
};

bool ErrorsUsable(const Observations& o) {
  if (o.err.size() != o.size()) return false;
  for (double e : o.err)
    if (!std::isfinite(e) || !(e > 0)) return false;
  return true;
}

}  // namespace

std::vector<double> LombScargleWeights(const Observations& o) {
  std::vector<double> w(o.size(), 1.0);
  if (ErrorsUsable(o)) {
    // Relative to the smallest error, so that no weight overflows: each is
    // at most 1 and their sum at most the number of observations.
    const double smallest = *std::min_element(o.err.begin(), o.err.end());
    for (size_t i = 0; i < o.size(); ++i) w[i] = (smallest / o.err[i]) * (smallest / o.err[i]);
  }
  double sum = 0;
  for (double x : w) sum += x;
  for (double& x : w) x /= sum;
  return w;
}

WeightedMagnitudes WeightedMagnitudesOf(const Observations& o) {
  WeightedMagnitudes f{OffsetsFrom(o.jd, o.jd[0]), LombScargleWeights(o), {}, 0};
  double mean = 0;
  for (size_t i = 0; i < o.size(); ++i) mean += f.w[i] * o.mag[i];
  f.y.resize(o.size());
  for (size_t i = 0; i < o.size(); ++i) {
    f.y[i] = o.mag[i] - mean;
    f.yy += f.w[i] * f.y[i] * f.y[i];
  }
  return f;
}

std::vector<double> LombScarglePowers(const Observations& o, std::span<const double> freqs,
                                      double origin, double step, kernels::Isa isa) {
  if (o.size() == 0) return std::vector<double>(freqs.size(), NAN);
  const WeightedMagnitudes f = WeightedMagnitudesOf(o);
  GeneralisedPower power(f, origin, step, isa);
  std::vector<double> p;
  for (double freq : freqs) p.push_back(power.Value(freq));
  return p;
}

void RunLombScargle(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                    SearchResult& r) {
  const WeightedMagnitudes f = WeightedMagnitudesOf(o);
  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] {
        return std::make_unique<GeneralisedPower>(f, r.grid.start, r.grid.step, kernels::BestIsa());
      },
      [&r](double value) { return KeepRankedTrial(r, value, false); });
}

}  // namespace korvel
