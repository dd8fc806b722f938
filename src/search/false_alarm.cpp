#include "search/false_alarm.h"

#include <algorithm>
#include <cmath>

#include "core/parallel.h"
#include "search/reshuffle.h"
#include "search/search_methods.h"
#include "search/search_pipeline.h"

namespace korvel {

namespace {

// What one shuffled search gives: its best value anywhere and its value at
// each peak's trial.
struct Shuffled {
  double best = NAN;
  std::vector<double> atPeak;
};

double ValueAt(const TrialValues& v, int64_t trial) {
  if (v.Whole()) return trial < static_cast<int64_t>(v.value.size()) ? v.value[trial] : NAN;
  const auto entry = static_cast<size_t>(trial / v.perEntry);
  return entry < v.value.size() ? v.value[entry] : NAN;
}

// 95 % Wilson score interval of b successes in k trials.
void Wilson(double b, double k, double& low, double& high) {
  constexpr double z = 1.959963984540054;
  const double p = b / k, z2 = z * z / k;
  const double centre = (p + z2 / 2) / (1 + z2);
  const double half = z * std::sqrt(p * (1 - p) / k + z2 / (4 * k)) / (1 + z2);
  low = std::max(0.0, centre - half);
  high = std::min(1.0, centre + half);
}

}  // namespace

std::vector<FalseAlarm> ShuffledFalseAlarms(const PreparedSearch& p, const Observations& o,
                                            const std::vector<Peak>& peaks, int shuffles,
                                            uint64_t seed, int threads) {
  std::vector<FalseAlarm> alarms(peaks.size());
  if (shuffles <= 0 || peaks.empty()) return alarms;
  PreparedSearch quiet = p;
  quiet.request.spectrumFile.clear();
  quiet.request.threads = 1;
  std::vector<Shuffled> found(static_cast<size_t>(shuffles));
  ForEachIndex(shuffles, threads, [&](int k) {
    const std::vector<double> mag = ShuffledMagnitudes(o.mag, SeededUniform(ItemSeed(seed, k)));
    Observations shuffled = o;
    shuffled.mag = mag;
    PlainSearchHooks hooks(1);
    const SearchResult r = RunSearch(quiet, shuffled, hooks);
    Shuffled& s = found[static_cast<size_t>(k)];
    s.best = r.best[0].value;
    for (const Peak& peak : peaks) s.atPeak.push_back(ValueAt(r.statistic, peak.trial));
  });

  const bool smaller = MethodOf(p.request.method).smallerIsBetter;
  const auto atLeastAsGood = [smaller](double shuffled, double peak) {
    return smaller ? shuffled <= peak : shuffled >= peak;
  };
  const double k = shuffles;
  for (size_t i = 0; i < peaks.size(); ++i) {
    double anywhere = 0, here = 0;
    for (const Shuffled& s : found) {
      anywhere += atLeastAsGood(s.best, peaks[i].statistic) ? 1 : 0;
      here += atLeastAsGood(s.atPeak[i], peaks[i].statistic) ? 1 : 0;
    }
    FalseAlarm& a = alarms[i];
    a.shuffles = shuffles;
    a.fap1 = (anywhere + 1) / (k + 1);
    a.fap2 = (here + 1) / (k + 1);
    Wilson(anywhere, k, a.low, a.high);
  }
  return alarms;
}

}  // namespace korvel
