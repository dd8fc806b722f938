// Are the stated period errors honest? Synthetic stars of known period are
// searched (Lafler-Kinman over 0.5 P .. 2 P), a Fourier series is fitted at
// the best distinct peak, and the share of stars whose true frequency lies
// within 1 and 2 stated errors is printed, for the analytic error and (on
// the first stars) the bootstrap. Honest errors cover 68 % and 95 %.
//   korvel_period_error_check [STARS] [SEED] [BOOTSTRAP_STARS]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <variant>
#include <vector>

#include "lightcurve/fourier_fit.h"
#include "search/peaks.h"
#include "search/search_pipeline.h"

namespace {

struct Star {
  double period = 0;
  std::vector<double> t, m;
};

// Log-uniform periods 0.2 .. 20 d; 60 .. 600 observations at night over
// 100 .. 2000 days; a sinusoid or a steep RR Lyrae-like curve; noise 0.01 to
// 0.1 mag.
Star MakeStar(std::mt19937_64& gen) {
  std::uniform_real_distribution<double> u(0, 1);
  Star s;
  s.period = 0.2 * std::pow(100.0, u(gen));
  const int n = 60 + static_cast<int>(540 * u(gen));
  const double span = 100 + 1900 * u(gen);
  const double amplitude = 0.1 + 0.4 * u(gen), noise = 0.01 + 0.09 * u(gen);
  const bool steep = u(gen) < 0.5;
  std::normal_distribution<double> scatter(0, noise);
  for (int i = 0; i < n; ++i) {
    const double t = 2455000 + std::floor(span * u(gen)) + 0.3 * u(gen);
    const double phase = std::fmod(t / s.period, 1.0);
    double shape = std::sin(2 * std::numbers::pi * phase);
    if (steep) shape = phase < 0.15 ? 1 - 2 * phase / 0.15 : -1 + 2 * (phase - 0.15) / 0.85;
    s.t.push_back(t);
    s.m.push_back(12 + amplitude * shape + scatter(gen));
  }
  std::vector<size_t> order(s.t.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return s.t[a] < s.t[b]; });
  Star sorted{s.period, {}, {}};
  for (size_t i : order) {
    sorted.t.push_back(s.t[i]);
    sorted.m.push_back(s.m[i]);
  }
  return sorted;
}

}  // namespace

int main(int argc, char** argv) {
  const int stars = argc > 1 ? std::atoi(argv[1]) : 200;
  const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  const int bootstrapStars = argc > 3 ? std::atoi(argv[3]) : 50;
  std::mt19937_64 gen(seed);
  int found = 0, fitted = 0, in1 = 0, in2 = 0, boot = 0, bootIn1 = 0, bootIn2 = 0;
  for (int k = 0; k < stars; ++k) {
    const Star s = MakeStar(gen);
    const korvel::Observations o = korvel::ObservationsOf(s.t, s.m);
    korvel::SearchRequest request;
    request.method = korvel::SearchKind::LaflerKinman;
    request.pmin = s.period / 2;
    request.pmax = s.period * 2;
    request.phaseShift = 0.05;
    request.threads = 2;
    const auto prepared = korvel::PrepareSearch(request, o);
    if (!std::holds_alternative<korvel::PreparedSearch>(prepared)) continue;
    korvel::PlainSearchHooks hooks(2);
    const korvel::SearchResult r =
        korvel::RunSearch(std::get<korvel::PreparedSearch>(prepared), o, hooks);
    const std::vector<korvel::Peak> peaks = korvel::DistinctPeaks(r, 1, r.span);
    const double truth = 1 / s.period;
    if (peaks.empty() || std::abs(peaks[0].frequency - truth) > korvel::PeakWidth(r.span)) continue;
    ++found;
    const korvel::FourierFit fit = korvel::FitFourier(s.t, s.m, peaks[0].frequency);
    if (!fit.ok()) continue;
    ++fitted;
    const double miss = std::abs(fit.frequency - truth);
    in1 += miss <= fit.frequencyError;
    in2 += miss <= 2 * fit.frequencyError;
    if (boot < bootstrapStars) {
      const double e = korvel::BootstrapFrequencyError(s.t, s.m, fit, 200, seed + k, 2);
      if (std::isfinite(e)) {
        ++boot;
        bootIn1 += miss <= e;
        bootIn2 += miss <= 2 * e;
      }
    }
  }
  std::printf("stars %d, true peak first %d, fitted %d\n", stars, found, fitted);
  std::printf("analytic error: within 1 sigma %.1f %%, within 2 sigma %.1f %%\n",
              100.0 * in1 / fitted, 100.0 * in2 / fitted);
  std::printf("bootstrap (200 resamplings, %d stars): within 1 sigma %.1f %%, 2 sigma %.1f %%\n",
              boot, 100.0 * bootIn1 / boot, 100.0 * bootIn2 / boot);
  return 0;
}
