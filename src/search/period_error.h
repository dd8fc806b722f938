// The period error of each distinct peak: a Fourier series fitted at the
// peak (lightcurve/fourier_fit.h), the analytic error of its frequency and,
// on request, a seeded bootstrap. `periodError` is always the analytic one;
// the bootstrap's is beside it.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "search/false_alarm.h"
#include "search/peaks.h"
#include "search/search_values.h"

namespace korvel {

struct PeakReport {
  Peak peak;
  double fittedPeriod = 0;    // of the fit; the peak's own period is the grid's
  double periodError = 0;     // analytic, one sigma, of fittedPeriod
  double bootstrapError = 0;  // one sigma; NaN unless asked for and obtained
  int harmonics = 0;
  double bic = 0;       // of the fit: peaks of one data set compare by it
  std::string problem;  // why the peak has no error; empty when it has one
  // From reshuffles (search/false_alarm.h); NaN unless asked for.
  double fap = 0, fapLow = 0, fapHigh = 0, fapHere = 0;
  // From the fit alone (F test over the independent frequencies); NaN
  // without a fit.
  double fapAnalytic = 0;
  // Signal to noise of the fit's first harmonic against the residual
  // spectrum around it (Breger et al. 1993); NaN without a fit.
  double snr = 0;
  // Of a pdm search alone (NaN for the others): the chance that Gaussian
  // noise gives a theta this small anywhere on the grid (PdmFap). NaN by
  // default, so that reports made elsewhere (analysis files) fall back on
  // the others.
  double fapPdm = std::numeric_limits<double>::quiet_NaN();
  // The reshuffled FAP where computed, else the analytic one: for pdm that
  // of its own statistic, for the others the fit's.
  double Fap() const {
    if (fap == fap) return fap;
    return fapPdm == fapPdm ? fapPdm : fapAnalytic;
  }
};

struct ErrorOptions {
  int bootstrapSamples = 0;  // 0: no bootstrap
  uint64_t seed = 1;
  int threads = 1;
  // The request that ran: a pdm search's bins and covers give the peaks'
  // PDM FAP. None: no PDM FAP.
  const SearchRequest* request = nullptr;
};

// The distinct peaks of r (at most `count`) with their errors, fitted on
// the observations the search ran on.
std::vector<PeakReport> ReportPeaks(const SearchResult& r, const Observations& o, int count,
                                    const ErrorOptions& options);

// The chance that Gaussian noise gives a theta at most `theta` at any of the
// independent tries (bins x independent frequencies) of the pdm search r,
// run from `request` on o (PeakReport::fapPdm). NaN for another search or
// without its request.
double PdmFap(const SearchResult& r, const SearchRequest* request, const Observations& o,
              double theta);

// The reports' false-alarm probabilities from `shuffles` reshuffles of the
// search p (ShuffledFalseAlarms).
void AddFalseAlarms(std::vector<PeakReport>& reports, const PreparedSearch& p,
                    const Observations& o, int shuffles, uint64_t seed, int threads);

}  // namespace korvel
