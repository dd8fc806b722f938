#include "search/multi_harmonic_aov.h"

#include <cmath>
#include <memory>
#include <vector>

#include "search/grid_phasors.h"
#include "search/lomb_scargle.h"
#include "search/search_methods.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// Below this weighted norm (the weights sum to 1) a polynomial is no longer
// told apart from the ones before it: the phases are too few or too alike.
constexpr double kLeastNorm = 1e-12;

// Theta of one trial. With z = exp(2 pi i f t), the model of a mean and n
// harmonics is sum_{k=-n..n} c_k z^k; times z^n it is a polynomial of degree
// 2n in z, so the fit of y = x z^n (x the magnitudes less their weighted mean)
// is its projection on the orthogonal polynomials phi_0 .. phi_2n of the
// points z on the unit circle, which Szego's recurrence makes:
//   phi_0 = 1, phi_{k+1} = z phi_k - a_k phi*_k,
//   phi*_{k+1} = phi*_k - conj(a_k) z phi_k,  a_k = <z phi_k, 1> / <phi_k, phi_k>,
// phi*_k = z^k conj(phi_k). Since |z^n| = 1 and the span is closed under
// conjugation, the fit is real and equals the real least-squares fit. The
// recurrence runs in kernels::SzegoFit, one variant per instruction set.
class AovTheta : public TrialStatistic {
 public:
  AovTheta(const WeightedMagnitudes& f, int harmonics, double origin, double step, kernels::Isa isa)
      : f_(f),
        harmonics_(harmonics),
        isa_(isa),
        phasors_(f.dt, origin, step, isa),
        work_(kernels::SzegoWorkSize(f.y.size())) {}

  double Value(double freq) override {
    phasors_.At(freq);
    const size_t n = f_.y.size();
    const double fit =
        kernels::SzegoFit(f_.w.data(), f_.y.data(), phasors_.Cos().data(), phasors_.Sin().data(), n,
                          harmonics_, kLeastNorm, work_.data(), isa_);
    const double residual = f_.yy - fit;
    if (!(residual > 0)) return NAN;  // NaN fit included
    const double dof = static_cast<double>(n) - 2 * harmonics_ - 1;
    return dof / (2 * harmonics_) * fit / residual;
  }

 private:
  const WeightedMagnitudes& f_;
  int harmonics_;
  kernels::Isa isa_;
  GridPhasors phasors_;
  std::vector<double> work_;
};

}  // namespace

std::vector<double> MultiHarmonicAovThetas(const Observations& o, int harmonics,
                                           std::span<const double> freqs, double origin,
                                           double step, kernels::Isa isa) {
  if (o.size() == 0 || harmonics < 1) return std::vector<double>(freqs.size(), NAN);
  const WeightedMagnitudes f = WeightedMagnitudesOf(o);
  AovTheta theta(f, harmonics, origin, step, isa);
  std::vector<double> values;
  for (double freq : freqs) values.push_back(theta.Value(freq));
  return values;
}

std::optional<std::string> CheckHarmonics(const SearchRequest& r, const Observations& o) {
  if (r.harmonics < 1) return "The number of harmonics must be at least 1...";
  if (r.harmonics > kMaxAovHarmonics) return "At most 100 harmonics are possible...";
  if (static_cast<double>(o.size()) <= 2.0 * r.harmonics + 1)
    return "Too few observations for the number of harmonics: more than 2 n + 1 are needed...";
  return std::nullopt;
}

void RunMultiHarmonicAov(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                         SearchResult& r) {
  const WeightedMagnitudes f = WeightedMagnitudesOf(o);
  const int harmonics = p.request.harmonics;
  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] {
        return std::make_unique<AovTheta>(f, harmonics, r.grid.start, r.grid.step,
                                          kernels::BestIsa());
      },
      [&r](double value) { return KeepRankedTrial(r, value, false); });
}

}  // namespace korvel
