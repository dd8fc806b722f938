// Frequency analysis of a multiperiodic star around the multi-frequency fit:
// the amplitude spectrum of the residuals, the signal-to-noise ratio of each
// fitted frequency (Breger et al. 1993, A&A 271, 482), automatic
// prewhitening (highest residual peak, added, everything refitted, again)
// with its stop rules, and labels for combination frequencies and 1 c/d
// aliases.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "lightcurve/multi_frequency_fit.h"

namespace korvel {

struct FrequencyAnalysisOptions {
  // The search range, cycles per day; 0 takes the default of the data
  // (DefaultFrequencyRange).
  double fmin = 0, fmax = 0;
  double snrLimit = 4;        // Breger et al. 1993: S/N >= 4 is a detection
  double noiseBox = 2;        // width of the noise box, c/d, centred on the frequency
  int maxFrequencies = 10;    // the search stops when this many are kept
  std::optional<double> fap;  // a false-alarm limit of the highest peak; none by default
  // Frequencies to fit as they are (starts of the fit, no search).
  std::vector<double> frequencies;
  // Asked now and then (between blocks of a spectrum and between steps);
  // false ends the prewhitening with the frequencies kept so far (Stopped).
  // The window serves its events here.
  std::function<bool()> goOn;
};

// Why the prewhitening stopped.
enum class StopReason {
  LowSnr,          // the next candidate's S/N was below the limit
  FalseAlarm,      // the next highest peak's false-alarm probability exceeded the limit
  MaxFrequencies,  // as many frequencies as allowed were kept
  FitRefused,      // the fit with the next candidate was refused or did not converge
  Given,           // the frequencies were given: there was no search
  Stopped,         // goOn said to end
};

// "S/N < 4" and the like, for people.
std::string StopReasonText(StopReason reason, const FrequencyAnalysisOptions& options);
// "snr", "fap", "max_frequencies", "fit_refused", "given", "stopped": for
// files.
std::string StopReasonKey(StopReason reason);

// The peak that was not kept.
struct Candidate {
  double frequency = 0, amplitude = 0, snr = 0, fap = 0;
};

struct AnalysedFrequency {
  FittedFrequency fit;
  double snr = 0;
  std::string label;  // "f1+f2", "2f1", "f2-f1" ... or empty
  std::string alias;  // "alias of f1?" or empty
};

struct FrequencyAnalysis {
  std::string problem;  // empty unless the data or options were refused
  double fmin = 0, fmax = 0;
  std::vector<AnalysedFrequency> frequencies;  // in the order found (f1, f2, ...)
  MultiFrequencyFit fit;                       // the fit of the kept frequencies (empty when none)
  double zeroPoint = 0;  // the fit's, or the mean magnitude when none was kept
  double residualRms = 0;
  std::vector<double> residuals;  // mag - model, in the order of the input
  StopReason stop = StopReason::LowSnr;
  std::string stopText;
  std::optional<Candidate> rejected;  // the candidate that stopped the search
  bool ok() const { return problem.empty(); }
};

// The default range: fmin = 1 / T (slower is not resolved over the span T),
// fmax = half the inverse median gap between consecutive dates (a
// Nyquist-like limit of uneven sampling), at most 50 c/d and never below
// 2 fmin.
std::pair<double, double> DefaultFrequencyRange(std::span<const double> t);

// Equally spaced frequencies: start + k step, k < count.
struct FrequencyGrid {
  double start = 0, step = 0;
  size_t count = 0;
  double At(size_t k) const { return start + static_cast<double>(k) * step; }
};

// The grid of the residual spectrum: [fmin, fmax] oversampled 10 times
// against 1 / T.
FrequencyGrid SpectrumGrid(double fmin, double fmax, double span);

// The Fourier amplitude (Deeming 1975, Ap&SS 36, 137) of values y (less
// their mean) at dates t, 2 / N |sum y exp(-2 pi i f t)|, at every frequency
// of the grid. Empty when goOn (if given) said to end.
std::vector<double> AmplitudeSpectrum(std::span<const double> t, std::span<const double> y,
                                      const FrequencyGrid& grid,
                                      const std::function<bool()>& goOn = {});

// The S/N of an amplitude at frequency f: amplitude / the mean of spectrum
// in the box [f - box/2, f + box/2] clipped to the grid (Breger et al. 1993);
// NaN when the box holds no grid frequency.
double SignalToNoise(double f, double amplitude, const FrequencyGrid& grid,
                     std::span<const double> spectrum, double box);

// The false-alarm probability of the highest peak of an amplitude spectrum of
// N values of variance var over a range with M = (fmax - fmin) T independent
// frequencies: 1 - (1 - exp(-z))^M, z = N A^2 / (4 var) (Scargle 1982, ApJ
// 263, 835; Horne & Baliunas 1986, ApJ 302, 757).
double PeakFalseAlarm(double amplitude, size_t n, double variance, double independent);

// Why the analysis of these data would be refused before it starts (the
// options, the dates and magnitudes, the range), or nothing.
std::optional<std::string> FrequencyAnalysisProblem(std::span<const double> t,
                                                    std::span<const double> mag,
                                                    const FrequencyAnalysisOptions& options);

// The analysis: the given frequencies fitted, or automatic prewhitening.
// err as FitFrequencies takes it.
FrequencyAnalysis AnalyseFrequencies(std::span<const double> t, std::span<const double> mag,
                                     std::span<const double> err,
                                     const FrequencyAnalysisOptions& options);

// Labels of frequencies in the order found, within tolerance of each other:
// a frequency near i f_a + j f_b (|i|, |j| <= 2, a and b found before it)
// gets the combination of lowest order (then nearest), one near f_a +- 1 c/d
// the alias flag.
void LabelCombinations(std::vector<AnalysedFrequency>& found, double tolerance);

}  // namespace korvel
