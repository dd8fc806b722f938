// How often is pure noise called significant? Stars of Gaussian noise alone
// (57 observations over 300 days) are searched with Lafler-Kinman and with
// Deeming over 0.2 .. 1 d, and the first distinct peak's false-alarm
// probability is taken from K reshuffles; the share below 0.01 and 0.05 is
// printed (a sound test gives about 1 % and 5 %), and beside it the share
// of the analytic FAP of the peak's Fourier fit. Sinusoids of 0.1 mag in the
// same noise (0.05 mag) are run beside them for the test's power.
//   korvel_false_alarm_check [STARS] [SHUFFLES] [SEED]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <variant>
#include <vector>

#include "search/false_alarm.h"
#include "search/period_error.h"
#include "search/search_methods.h"
#include "search/search_pipeline.h"

namespace {

struct Star {
  std::vector<double> t, m;
  korvel::Observations o;
};

Star MakeStar(std::mt19937_64& gen, double amplitude) {
  std::uniform_real_distribution<double> u(0, 1);
  std::normal_distribution<double> noise(0, 0.05);
  Star s;
  const double period = 0.2 + 0.8 * u(gen);
  for (int i = 0; i < 57; ++i) s.t.push_back(2455000 + 300 * u(gen));
  std::sort(s.t.begin(), s.t.end());
  for (double x : s.t)
    s.m.push_back(12 + amplitude * std::sin(2 * std::numbers::pi * x / period) + noise(gen));
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const int stars = argc > 1 ? std::atoi(argv[1]) : 100;
  const int shuffles = argc > 2 ? std::atoi(argv[2]) : 199;
  const uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
  for (const korvel::SearchKind kind :
       {korvel::SearchKind::LaflerKinman, korvel::SearchKind::Deeming}) {
    std::mt19937_64 gen(seed);
    for (const double amplitude : {0.0, 0.1}) {
      int below1 = 0, below5 = 0, analytic1 = 0, analytic5 = 0;
      for (int k = 0; k < stars; ++k) {
        Star s = MakeStar(gen, amplitude);
        s.o = korvel::ObservationsOf(s.t, s.m);
        korvel::SearchRequest r;
        r.method = kind;
        r.pmin = 0.2;
        r.pmax = 1;
        r.phaseShift = 0.05;
        const auto prepared = korvel::PrepareSearch(r, s.o);
        if (!std::holds_alternative<korvel::PreparedSearch>(prepared)) continue;
        const korvel::PreparedSearch& p = std::get<korvel::PreparedSearch>(prepared);
        korvel::PlainSearchHooks hooks;
        const korvel::SearchResult result = korvel::RunSearch(p, s.o, hooks);
        const std::vector<korvel::Peak> peaks = korvel::DistinctPeaks(result, 1, result.span);
        const std::vector<korvel::FalseAlarm> fap =
            korvel::ShuffledFalseAlarms(p, s.o, peaks, shuffles, seed + k, 2);
        if (fap.empty()) continue;
        const std::vector<korvel::PeakReport> fitted =
            korvel::ReportPeaks(result, s.o, 1, korvel::ErrorOptions{});
        analytic1 += !fitted.empty() && fitted[0].fapAnalytic < 0.01;
        analytic5 += !fitted.empty() && fitted[0].fapAnalytic < 0.05;
        below1 += fap[0].fap1 < 0.01;
        below5 += fap[0].fap1 < 0.05;
      }
      std::printf(
          "%-8s amplitude %.2f: %d stars, FAP < 0.01: %.1f %%, FAP < 0.05: %.1f %% (%d shuffles); "
          "analytic FAP < 0.01: %.1f %%, < 0.05: %.1f %%\n",
          korvel::MethodOf(kind).name, amplitude, stars, 100.0 * below1 / stars,
          100.0 * below5 / stars, shuffles, 100.0 * analytic1 / stars, 100.0 * analytic5 / stars);
    }
  }
  return 0;
}
