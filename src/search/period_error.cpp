#include "search/period_error.h"

#include <cmath>
#include <limits>

#include "lightcurve/fourier_fit.h"

namespace korvel {

std::vector<PeakReport> ReportPeaks(const SearchResult& r, const Observations& o, int count,
                                    const ErrorOptions& options) {
  std::vector<PeakReport> reports;
  constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
  for (const Peak& p : DistinctPeaks(r, count, r.span)) {
    PeakReport report{p, kNone, kNone, kNone, 0, {}, kNone, kNone, kNone, kNone, kNone, kNone};
    const FourierFit fit = FitFourier(o.jd, o.mag, p.frequency);
    if (!fit.ok()) {
      report.problem = fit.problem;
    } else {
      // sigma_P = sigma_f / f^2.
      report.fittedPeriod = 1 / fit.frequency;
      report.periodError = fit.frequencyError / (fit.frequency * fit.frequency);
      report.harmonics = fit.harmonics;
      if (options.bootstrapSamples > 0) {
        const double e = BootstrapFrequencyError(o.jd, o.mag, fit, options.bootstrapSamples,
                                                 options.seed, options.threads);
        report.bootstrapError = e / (fit.frequency * fit.frequency);
      }
    }
    reports.push_back(std::move(report));
  }
  return reports;
}

void AddFalseAlarms(std::vector<PeakReport>& reports, const PreparedSearch& p,
                    const Observations& o, int shuffles, uint64_t seed, int threads) {
  std::vector<Peak> peaks;
  for (const PeakReport& r : reports) peaks.push_back(r.peak);
  const std::vector<FalseAlarm> alarms = ShuffledFalseAlarms(p, o, peaks, shuffles, seed, threads);
  for (size_t i = 0; i < reports.size() && i < alarms.size(); ++i) {
    reports[i].fap = alarms[i].fap1;
    reports[i].fapLow = alarms[i].low;
    reports[i].fapHigh = alarms[i].high;
    reports[i].fapHere = alarms[i].fap2;
  }
}

}  // namespace korvel
