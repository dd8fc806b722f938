#include "search/period_error.h"

#include <algorithm>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "core/parallel.h"
#include "lightcurve/fourier_fit.h"
#include "search/pdm.h"

namespace korvel {

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr double kTwoPi = 2 * std::numbers::pi;

// Where the spectral window of the dates reaches this part of its height
// at zero frequency, a peak may be the sampling's own.
constexpr double kWindowPeak = 0.5;
// The S/N box: 1 c/d to each side of the peak (Breger et al. 1993 use a
// box of a few c/d), sampled at this many frequencies.
constexpr double kNoiseHalfBox = 1.0;
constexpr int kNoiseSamples = 200;

// |sum_i exp(2 pi i f t_i)| / N: the spectral window of the dates at f
// (Deeming 1975, Ap&SS 36, 137).
double Window(std::span<const double> t, double f) {
  std::complex<double> sum = 0;
  for (double x : t) sum += std::polar(1.0, kTwoPi * f * (x - t[0]));
  return std::abs(sum) / static_cast<double>(t.size());
}

// 1 - (1 - p)^tries: the chance that any of `tries` independent tries
// reaches what one reaches with probability p (Scargle 1982, ApJ 263, 835).
// Never claims a probability of 0 where the double underflows.
double OverTries(double p, double tries) {
  const double fap = -std::expm1(tries * std::log1p(-p));
  return std::clamp(fap, std::numeric_limits<double>::min(), 1.0);
}

// The analytic FAP of a fit with h harmonics: its variance ratio follows
// Fisher-Snedecor's F with (2h, N - 2h - 1) degrees of freedom at one
// frequency (Schwarzenberg-Czerny 1996, ApJ 460, L107). A search tries
// T (f_max - f_min) independent frequencies (Horne & Baliunas 1986, ApJ 302,
// 757), and the criterion tries kMaxHarmonics series at each: over these M
// tries the chance that any reaches it is 1 - (1 - p)^M (Scargle 1982, ApJ
// 263, 835), the union bound over the series counts included, because without
// it pure noise of 57 points was called significant at FAP < 0.01 for 8 % of
// stars (bench/checks/false_alarms.cpp).
double AnalyticFap(const FourierFit& fit, double independent) {
  const double n = static_cast<double>(fit.observations);
  const double d1 = 2.0 * fit.harmonics, d2 = n - d1 - 1;
  const double explained = fit.totalSquares - fit.rss;
  if (!(d2 > 0) || !(fit.rss > 0) || !(explained >= 0)) return kNone;
  const double f = (explained / d1) / (fit.rss / d2);
  if (!std::isfinite(f)) return kNone;
  const double p = boost::math::cdf(complement(boost::math::fisher_f(d1, d2), f));
  return OverTries(p, std::max(1.0, independent) * kMaxHarmonics);
}

// T (f_max - f_min): the independent frequencies of the search's grid
// (Horne & Baliunas 1986, ApJ 302, 757).
double IndependentFrequencies(const SearchResult& r) {
  return r.span * (r.grid.freqEnd - r.grid.start);
}

// S/N after Breger et al. 1993 (A&A 271, 482): the first harmonic's
// amplitude against the mean amplitude spectrum of the residuals (the fit
// removed) in a box around the peak, where the amplitude at f is
// 2 |sum_i r_i exp(2 pi i f t_i)| / N, that of a sinusoid of frequency f.
double SignalToNoise(std::span<const double> t, std::span<const double> m, const FourierFit& fit) {
  if (fit.a.empty()) return kNone;
  std::vector<double> twiceResidual(t.size());
  for (size_t i = 0; i < t.size(); ++i) twiceResidual[i] = 2 * (m[i] - FourierValue(fit, t[i]));
  const double lo = std::max(fit.frequency - kNoiseHalfBox, fit.frequency / 10);
  const double hi = fit.frequency + kNoiseHalfBox;
  const double step = (hi - lo) / kNoiseSamples;
  // Each observation's phasor at the box's frequencies, by one rotation per
  // step rather than a sine and cosine each.
  std::vector<std::complex<double>> phasor(t.size()), turn(t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    const double x = t[i] - fit.epoch;
    phasor[i] = twiceResidual[i] * std::polar(1.0, kTwoPi * (lo + step / 2) * x);
    turn[i] = std::polar(1.0, kTwoPi * step * x);
  }
  double noise = 0;
  for (int k = 0; k < kNoiseSamples; ++k) {
    std::complex<double> sum = 0;
    for (size_t i = 0; i < t.size(); ++i) {
      sum += phasor[i];
      phasor[i] *= turn[i];
    }
    noise += std::abs(sum) / static_cast<double>(t.size());
  }
  noise /= kNoiseSamples;
  const double signal = std::hypot(fit.a[0], fit.b[0]);
  return noise > 0 ? signal / noise : kNone;
}

void AddLabel(std::string& label, const char* more) {
  label += label.empty() ? more : std::string(", ") + more;
}

}  // namespace

// The beta distribution of theta under Gaussian noise (Schwarzenberg-Czerny
// 1997, ApJ 489, 941; PdmFalseAlarm) gives the chance at one frequency, taken
// over the independent tries as the analytic FAP is. Theta of B bins changes
// once the phases drift by a bin, 1/B of a cycle, over the time span, so its
// peaks are 1/B as wide as a sinusoid's: B T (f_max - f_min) tries. With
// T (f_max - f_min) alone, 30 of 100 pure-noise sets got a FAP below 0.05;
// with B times that 3 of 100 (docs/statistics.md).
double PdmFap(const SearchResult& r, const SearchRequest* request, const Observations& o,
              double theta) {
  if (r.method != SearchKind::Pdm || !request) return kNone;
  const double p =
      PdmFalseAlarm(theta, static_cast<int>(o.jd.size()), request->pdmBins, request->pdmCovers);
  const double tries = std::max(1.0, IndependentFrequencies(r)) * request->pdmBins;
  return std::isfinite(p) ? OverTries(p, tries) : kNone;
}

std::vector<PeakReport> ReportPeaks(const SearchResult& r, const Observations& o, int count,
                                    const ErrorOptions& options) {
  const double independent = IndependentFrequencies(r);
  const std::vector<Peak> peaks = DistinctPeaks(r, count, r.span);
  std::vector<PeakReport> reports(peaks.size());
  // Each peak's fit on a thread of its own; a bootstrap spreads its own
  // resamplings instead.
  const int threads = options.bootstrapSamples > 0 ? 1 : options.threads;
  ForEachIndex(static_cast<int>(peaks.size()), threads, [&](int k) {
    const Peak& p = peaks[static_cast<size_t>(k)];
    PeakReport report{p,     kNone, kNone, kNone, 0,     kNone, {},
                      kNone, kNone, kNone, kNone, kNone, kNone, kNone};
    report.fapPdm = PdmFap(r, options.request, o, p.statistic);
    if (!o.jd.empty() && Window(o.jd, p.frequency) >= kWindowPeak)
      AddLabel(report.peak.label, "window");
    const FourierFit fit = FitFourier(o.jd, o.mag, p.frequency);
    if (!fit.ok()) {
      report.problem = fit.problem;
    } else {
      // sigma_P = sigma_f / f^2.
      report.fittedPeriod = 1 / fit.frequency;
      report.periodError = fit.frequencyError / (fit.frequency * fit.frequency);
      report.harmonics = fit.harmonics;
      report.bic = fit.bic;
      report.fapAnalytic = AnalyticFap(fit, independent);
      report.snr = SignalToNoise(o.jd, o.mag, fit);
      if (options.bootstrapSamples > 0) {
        const double e = BootstrapFrequencyError(o.jd, o.mag, fit, options.bootstrapSamples,
                                                 options.seed, options.threads);
        report.bootstrapError = e / (fit.frequency * fit.frequency);
      }
    }
    reports[static_cast<size_t>(k)] = std::move(report);
  });
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
