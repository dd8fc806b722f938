#include "search/lomb_scargle.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "search/engine_support.h"
#include "search/search_methods.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// The power of one trial from the weighted sums over the observations
// (Zechmeister & Kuerster 2009, eqs. 4-13). The magnitudes arrive already
// less their weighted mean, which leaves the power unchanged but keeps the
// differences of large sums out of it.
class GeneralisedPower : public TrialStatistic {
 public:
  GeneralisedPower(const Offsets& dt, const std::vector<double>& y, const std::vector<double>& w,
                   double yy)
      : dt_(dt), y_(y), w_(w), yy_(yy) {}

  // One std::sin/cos per observation and trial. The recurrence that steps
  // cos and sin of 2 pi f dt from one trial to the next by a fixed rotation
  // (and refreshes them exactly every few hundred trials) belongs in Values.
  double Value(double freq) override {
    double c = 0, s = 0, yc = 0, ys = 0, cc = 0, ss = 0, cs = 0;
    for (size_t i = 0; i < y_.size(); ++i) {
      // The phase reduced to [0, 1) before the angle keeps large f * dt exact.
      const double cycles = freq * dt_.values[i];
      const double angle = 2 * std::numbers::pi * (cycles - std::floor(cycles));
      const double cosine = std::cos(angle), sine = std::sin(angle);
      const double w = w_[i];
      c += w * cosine;
      s += w * sine;
      yc += w * y_[i] * cosine;
      ys += w * y_[i] * sine;
      cc += w * cosine * cosine;
      ss += w * sine * sine;
      cs += w * sine * cosine;
    }
    // The sums about the weighted means; the magnitudes' mean is 0 already.
    const double ycm = yc, ysm = ys;
    const double ccm = cc - c * c, ssm = ss - s * s, csm = cs - c * s;
    const double d = ccm * ssm - csm * csm;
    // Every phase alike: the sinusoid cannot be told from the mean.
    if (!(d > 0) || !(yy_ > 0)) return NAN;
    return (ssm * ycm * ycm + ccm * ysm * ysm - 2 * csm * ycm * ysm) / (yy_ * d);
  }

 private:
  const Offsets& dt_;
  const std::vector<double>& y_;
  const std::vector<double>& w_;
  double yy_;
};

bool ErrorsUsable(const Observations& o) {
  if (o.err.size() != o.size()) return false;
  for (double e : o.err)
    if (!std::isfinite(e) || !(e > 0)) return false;
  return true;
}

// What every trial shares: the time offsets, the weights and the magnitudes
// less their weighted mean with their weighted sum of squares.
struct FitData {
  Offsets dt;
  std::vector<double> w, y;
  double yy = 0;
};

FitData FitDataOf(const Observations& o) {
  FitData f{OffsetsFrom(o.jd, o.jd[0]), LombScargleWeights(o), {}, 0};
  double mean = 0;
  for (size_t i = 0; i < o.size(); ++i) mean += f.w[i] * o.mag[i];
  f.y.resize(o.size());
  for (size_t i = 0; i < o.size(); ++i) {
    f.y[i] = o.mag[i] - mean;
    f.yy += f.w[i] * f.y[i] * f.y[i];
  }
  return f;
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

std::vector<double> LombScarglePowers(const Observations& o, std::span<const double> freqs) {
  if (o.size() == 0) return std::vector<double>(freqs.size(), NAN);
  const FitData f = FitDataOf(o);
  GeneralisedPower power(f.dt, f.y, f.w, f.yy);
  std::vector<double> p;
  for (double freq : freqs) p.push_back(power.Value(freq));
  return p;
}

void RunLombScargle(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                    SearchResult& r) {
  const FitData f = FitDataOf(o);
  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] { return std::make_unique<GeneralisedPower>(f.dt, f.y, f.w, f.yy); },
      [&r](double power) {
        KeepTrial(r.statistic, power, false);
        r.lastValue = power;
        if (!std::isfinite(power)) return true;
        RecordSpectrum(r.display, r.grid, r.freq, power);
        RankLargest(r.best, r.freq, power);
        return true;
      });
}

}  // namespace korvel
