#include "search/pdm.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "search/engine_support.h"
#include "search/search_methods.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// Theta of one trial. The observations fall into B C narrow bins of width
// 1 / (B C); bin j of the search is the C narrow bins from j on (cyclically),
// so its count and sums are the sums of theirs.
class PdmTheta : public TrialStatistic {
 public:
  PdmTheta(const Offsets& dt, const std::vector<double>& x, double total, int bins, int covers)
      : dt_(dt),
        x_(x),
        total_(total),
        narrow_(bins * covers),
        covers_(covers),
        count_(static_cast<size_t>(narrow_)),
        sum_(count_.size()),
        squares_(count_.size()) {}

  double Value(double freq) override {
    std::fill(count_.begin(), count_.end(), 0);
    std::fill(sum_.begin(), sum_.end(), 0.0);
    std::fill(squares_.begin(), squares_.end(), 0.0);
    for (size_t i = 0; i < x_.size(); ++i) {
      const double cycles = freq * dt_.values[i];
      const double phase = cycles - std::floor(cycles);
      const auto b =
          static_cast<size_t>(std::min<int>(static_cast<int>(phase * narrow_), narrow_ - 1));
      ++count_[b];
      sum_[b] += x_[i];
      squares_[b] += x_[i] * x_[i];
    }
    double within = 0, dof = 0;
    for (int j = 0; j < narrow_; ++j) {
      int n = 0;
      double sum = 0, squares = 0;
      for (int c = 0; c < covers_; ++c) {
        const auto b = static_cast<size_t>((j + c) % narrow_);
        n += count_[b];
        sum += sum_[b];
        squares += squares_[b];
      }
      if (n < 2) continue;
      within += squares - sum * sum / n;
      dof += n - 1;
    }
    if (!(dof > 0)) return NAN;
    return (within / dof) / total_;
  }

 private:
  const Offsets& dt_;
  const std::vector<double>& x_;
  double total_;  // the magnitudes' sample variance
  int narrow_, covers_;
  std::vector<int> count_;
  std::vector<double> sum_, squares_;
};

// The magnitudes less their mean and their sample variance.
struct Centred {
  Offsets dt;
  std::vector<double> x;
  double variance = 0;
};

Centred CentredOf(const Observations& o) {
  Centred c{OffsetsFrom(o.jd, o.jd[0]), std::vector<double>(o.size()), 0};
  double squares = 0;
  for (size_t i = 0; i < o.size(); ++i) {
    c.x[i] = o.mag[i] - o.magMean;
    squares += c.x[i] * c.x[i];
  }
  c.variance = squares / (static_cast<double>(o.size()) - 1);
  return c;
}

// The continued fraction of I_x(a, b) by the modified Lentz method, for
// x < (a + 1) / (a + b + 2) where it converges fast.
double BetaFraction(double x, double a, double b) {
  constexpr double kTiny = 1e-300, kEps = 1e-15;
  const double qab = a + b, qap = a + 1, qam = a - 1;
  double c = 1, d = 1 - qab * x / qap;
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1 / d;
  double h = d;
  for (int m = 1; m <= 10000; ++m) {
    const double m2 = 2.0 * m;
    double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    h *= d * c;
    aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
    d = 1 + aa * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1 + aa / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1 / d;
    const double del = d * c;
    h *= del;
    if (std::fabs(del - 1) < kEps) break;
  }
  return h;
}

}  // namespace

double RegularizedIncompleteBeta(double x, double a, double b) {
  if (!(a > 0) || !(b > 0) || !(x >= 0) || !(x <= 1)) return NAN;
  if (x == 0 || x == 1) return x;
  const double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                a * std::log(x) + b * std::log1p(-x));
  if (x < (a + 1) / (a + b + 2)) return front * BetaFraction(x, a, b) / a;
  return 1 - front * BetaFraction(1 - x, b, a) / b;
}

double PdmFalseAlarm(double theta, int n, int bins, int covers) {
  if (bins < 2 || n <= bins || covers < 1 || !(theta >= 0)) return NAN;
  const double x = std::min(1.0, theta * (n - bins) / (n - 1.0));
  const double k = 2.0 * covers / (covers + 1.0);
  return RegularizedIncompleteBeta(x, k * (n - bins) / 2.0, k * (bins - 1) / 2.0);
}

std::optional<std::string> CheckPdmBins(const SearchRequest& r, const Observations& o) {
  if (r.pdmBins < kMinPhaseBins) return "At least 2 phase bins are needed...";
  if (r.pdmBins > kMaxPhaseBins) return kTooManyBins;
  if (r.pdmCovers < 1 || r.pdmCovers > kMaxPdmCovers)
    return "The number of covers must be from 1 to 16...";
  if (o.size() <= static_cast<size_t>(r.pdmBins)) return kTooFewForBins;
  return std::nullopt;
}

std::vector<double> PdmThetas(const Observations& o, int bins, int covers,
                              std::span<const double> freqs) {
  if (o.size() < 2 || bins < 1 || covers < 1) return std::vector<double>(freqs.size(), NAN);
  const Centred c = CentredOf(o);
  PdmTheta theta(c.dt, c.x, c.variance, bins, covers);
  std::vector<double> values;
  for (double f : freqs) values.push_back(theta.Value(f));
  return values;
}

void RunPdm(const PreparedSearch& p, const Observations& o, SearchHooks& hooks, SearchResult& r) {
  const Centred c = CentredOf(o);
  const int bins = p.request.pdmBins, covers = p.request.pdmCovers;
  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] { return std::make_unique<PdmTheta>(c.dt, c.x, c.variance, bins, covers); },
      [&r](double theta) { return KeepRankedTrial(r, theta, true); });
}

}  // namespace korvel
