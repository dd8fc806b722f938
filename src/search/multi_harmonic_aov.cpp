#include "search/multi_harmonic_aov.h"

#include <cmath>
#include <complex>
#include <memory>

#include "search/grid_phasors.h"
#include "search/lomb_scargle.h"
#include "search/search_methods.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

using Complex = std::complex<double>;

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
// conjugation, the fit is real and equals the real least-squares fit.
class AovTheta : public TrialStatistic {
 public:
  AovTheta(const WeightedMagnitudes& f, int harmonics, double origin, double step)
      : f_(f),
        harmonics_(harmonics),
        phasors_(f.dt, origin, step),
        z_(f.y.size()),
        y_(f.y.size()),
        phi_(f.y.size()),
        star_(f.y.size()) {}

  double Value(double freq) override {
    phasors_.At(freq);
    const size_t n = f_.y.size();
    const double* c = phasors_.Cos().data();
    const double* s = phasors_.Sin().data();
    for (size_t i = 0; i < n; ++i) {
      z_[i] = Complex(c[i], s[i]);
      Complex zn = 1;
      for (int h = 0; h < harmonics_; ++h) zn *= z_[i];
      y_[i] = f_.y[i] * zn;
      phi_[i] = star_[i] = 1;
    }
    double fit = 0;
    for (int k = 0; k <= 2 * harmonics_; ++k) {
      double norm = 0;
      Complex along = 0, turn = 0;
      for (size_t i = 0; i < n; ++i) {
        const double w = f_.w[i];
        norm += w * std::norm(phi_[i]);
        along += w * y_[i] * std::conj(phi_[i]);
        turn += w * z_[i] * phi_[i];
      }
      if (!(norm > kLeastNorm)) return NAN;
      fit += std::norm(along) / norm;
      if (k == 2 * harmonics_) break;
      const Complex a = turn / norm;
      for (size_t i = 0; i < n; ++i) {
        const Complex zphi = z_[i] * phi_[i];
        phi_[i] = zphi - a * star_[i];
        star_[i] -= std::conj(a) * zphi;
      }
    }
    const double residual = f_.yy - fit;
    if (!(residual > 0)) return NAN;
    const double dof = static_cast<double>(n) - 2 * harmonics_ - 1;
    return dof / (2 * harmonics_) * fit / residual;
  }

 private:
  const WeightedMagnitudes& f_;
  int harmonics_;
  GridPhasors phasors_;
  std::vector<Complex> z_, y_, phi_, star_;
};

}  // namespace

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
      [&] { return std::make_unique<AovTheta>(f, harmonics, r.grid.start, r.grid.step); },
      [&r](double value) { return KeepRankedTrial(r, value, false); });
}

}  // namespace korvel
