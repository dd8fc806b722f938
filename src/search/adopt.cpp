#include "search/adopt.h"

#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <cstdio>

#include "lightcurve/fourier_fit.h"

namespace korvel {

namespace {

// The odd harmonics of 2P must be this improbable under P alone.
constexpr double kOddHarmonicsLevel = 0.001;

// Do the odd harmonics of a series at twice P's period (those P cannot
// carry) matter? Both tests must say so: the F test, whose chance falls with
// any consistent difference between the halves of the cycle however small
// (a modulated star of thousands of points), and the information criterion,
// which for few points lets noise through more easily than the F test.
struct OddHarmonics {
  double chance = 1;   // of the F test: as large a drop if P alone is true
  double bicGain = 0;  // P's BIC less 2P's
  bool matter() const { return chance < kOddHarmonicsLevel && bicGain > 0; }
  std::string Text() const;
};

OddHarmonics OddHarmonicsOf(const FourierFit& p, const FourierFit& twice) {
  OddHarmonics odd;
  odd.bicGain = p.bic - twice.bic;
  const double n = static_cast<double>(twice.observations);
  const double extra = 2.0 * (twice.harmonics - p.harmonics);
  const double dof = n - (2.0 * twice.harmonics + 2);
  if (!(extra > 0) || !(dof > 0) || !(twice.rss > 0)) return odd;
  const double f = std::max(0.0, (p.rss - twice.rss) / extra) / (twice.rss / dof);
  if (std::isfinite(f))
    odd.chance = boost::math::cdf(complement(boost::math::fisher_f(extra, dof), f));
  return odd;
}

// The series of p's period doubled, with twice its harmonics: p's curve
// and the odd harmonics it cannot carry.
FourierFit TwiceThePeriod(const Observations& o, const FourierFit& p) {
  const int harmonics = 2 * p.harmonics;
  return FitFourier(o.jd, o.mag, p.frequency / 2, harmonics, harmonics);
}

double PeriodError(const FourierFit& fit) {
  return fit.frequencyError / (fit.frequency * fit.frequency);
}

std::string OddHarmonics::Text() const {
  char text[64];
  std::snprintf(text, sizeof text, "F test p = %.2g, BIC %+.1f", chance, -bicGain);
  return text;
}

}  // namespace

AdoptedPeriod AdoptPeriod(const std::vector<PeakList>& lists, const Observations& o) {
  AdoptedPeriod adopted;
  const PeakReport* chosen = nullptr;
  int fitted = 0;
  for (const PeakList& list : lists) {
    for (size_t k = 0; k < list.peaks.size(); ++k) {
      const PeakReport& peak = list.peaks[k];
      if (!peak.problem.empty() || !std::isfinite(peak.bic)) continue;
      ++fitted;
      if (chosen && !(peak.bic < chosen->bic)) continue;
      chosen = &peak;
      adopted.method = list.method;
      adopted.peak = static_cast<int>(k);
    }
  }
  if (!chosen) {
    adopted.problem = "No peak has a Fourier fit: no period adopted...";
    return adopted;
  }
  adopted.period = chosen->fittedPeriod;
  adopted.error = chosen->periodError;
  adopted.fap = chosen->Fap();
  adopted.reason = "the best Fourier fit (least BIC) of " + std::to_string(fitted) + " peaks";
  const double f = 1 / chosen->fittedPeriod;
  // Is the peak itself twice a period? Then its odd harmonics carry nothing.
  const FourierFit half = FitFourier(o.jd, o.mag, 2 * f);
  if (half.ok()) {
    const OddHarmonics odd = OddHarmonicsOf(half, TwiceThePeriod(o, half));
    if (!odd.matter()) {
      adopted.halved = true;
      adopted.period = 1 / half.frequency;
      adopted.error = PeriodError(half);
      adopted.reason +=
          "; its odd harmonics do not matter (" + odd.Text() + "), so half its period";
      return adopted;
    }
  }
  const FourierFit p = FitFourier(o.jd, o.mag, f, chosen->harmonics, chosen->harmonics);
  const FourierFit twice = p.ok() ? TwiceThePeriod(o, p) : p;
  if (!twice.ok()) {
    adopted.reason += "; 2P could not be fitted, so P";
    return adopted;
  }
  const OddHarmonics odd = OddHarmonicsOf(p, twice);
  if (odd.matter()) {
    adopted.doubled = true;
    adopted.period = 1 / twice.frequency;
    adopted.error = PeriodError(twice);
    adopted.reason += "; at 2P the odd harmonics matter (" + odd.Text() + "), so 2P";
  } else {
    adopted.reason += "; at 2P the odd harmonics do not matter (" + odd.Text() + "), so P";
  }
  return adopted;
}

}  // namespace korvel
