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
double PowerOf(const WeightedMagnitudes& f, const double* cosine, const double* sine) {
  double c = 0, s = 0, yc = 0, ys = 0, cc = 0, ss = 0, cs = 0;
  for (size_t i = 0; i < f.y.size(); ++i) {
    const double w = f.w[i], wc = w * cosine[i], ws = w * sine[i];
    c += wc;
    s += ws;
    yc += wc * f.y[i];
    ys += ws * f.y[i];
    cc += wc * cosine[i];
    ss += ws * sine[i];
    cs += ws * cosine[i];
  }
  // The sums about the weighted means; the magnitudes' mean is 0 already.
  const double ccm = cc - c * c, ssm = ss - s * s, csm = cs - c * s;
  const double d = ccm * ssm - csm * csm;
  // Every phase alike: the sinusoid cannot be told from the mean.
  if (!(d > 0) || !(f.yy > 0)) return NAN;
  return (ssm * yc * yc + ccm * ys * ys - 2 * csm * yc * ys) / (f.yy * d);
}

// One trial, its cos and sin from the grid's recurrence (or directly, for
// frequencies off any grid).
class GeneralisedPower : public TrialStatistic {
 public:
  GeneralisedPower(const WeightedMagnitudes& f, double origin, double step)
      : f_(f), phasors_(f.dt, origin, step) {}

  double Value(double freq) override {
    phasors_.At(freq);
    return PowerOf(f_, phasors_.Cos().data(), phasors_.Sin().data());
  }

 private:
  const WeightedMagnitudes& f_;
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

std::vector<double> LombScarglePowers(const Observations& o, std::span<const double> freqs) {
  if (o.size() == 0) return std::vector<double>(freqs.size(), NAN);
  const WeightedMagnitudes f = WeightedMagnitudesOf(o);
  GeneralisedPower power(f, 0, 0);  // no grid: each frequency directly
  std::vector<double> p;
  for (double freq : freqs) p.push_back(power.Value(freq));
  return p;
}

void RunLombScargle(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                    SearchResult& r) {
  const WeightedMagnitudes f = WeightedMagnitudesOf(o);
  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] { return std::make_unique<GeneralisedPower>(f, r.grid.start, r.grid.step); },
      [&r](double value) { return KeepRankedTrial(r, value, false); });
}

}  // namespace korvel
