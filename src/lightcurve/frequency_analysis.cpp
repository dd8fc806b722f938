// The residual spectrum, S/N, the prewhitening loop and the labels.
#include "lightcurve/frequency_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <limits>
#include <numbers>
#include <numeric>

namespace korvel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kMaxDefaultFrequency = 50;
// Observations times grid steps of one spectrum: beyond this each step of
// the prewhitening would take minutes.
constexpr double kMaxSpectrumWork = 2e9;

double Mean(std::span<const double> y) {
  return y.empty() ? 0 : std::accumulate(y.begin(), y.end(), 0.0) / static_cast<double>(y.size());
}

double Variance(std::span<const double> y) {
  const double mean = Mean(y);
  double sum = 0;
  for (const double v : y) sum += (v - mean) * (v - mean);
  return y.size() > 1 ? sum / static_cast<double>(y.size() - 1) : 0;
}

std::string Name(size_t index) {
  char name[24];
  std::snprintf(name, sizeof name, "f%zu", index + 1);
  return name;
}

// A limit as people write it: 4, 0.001.
std::string Short(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", x);
  return text;
}

// "2f1", "f2-f1", "2f2+f1": the positive terms first.
std::string CombinationText(std::vector<std::pair<int, size_t>> terms) {
  std::stable_sort(terms.begin(), terms.end(),
                   [](const auto& a, const auto& b) { return a.first > 0 && b.first < 0; });
  std::string text;
  for (const auto& [coefficient, index] : terms) {
    if (coefficient < 0)
      text += '-';
    else if (!text.empty())
      text += '+';
    if (std::abs(coefficient) > 1) text += std::to_string(std::abs(coefficient));
    text += Name(index);
  }
  return text;
}

}  // namespace

std::string StopReasonText(StopReason reason, const FrequencyAnalysisOptions& options) {
  switch (reason) {
    case StopReason::LowSnr:
      return "S/N < " + Short(options.snrLimit);
    case StopReason::FalseAlarm:
      return "false-alarm probability > " + Short(options.fap.value_or(1));
    case StopReason::MaxFrequencies:
      return "maximum of " + std::to_string(options.maxFrequencies) + " frequencies";
    case StopReason::FitRefused:
      return "the fit with the next frequency was refused";
    case StopReason::Given:
      return "frequencies given";
    case StopReason::Stopped:
      return "Stop pressed";
  }
  return {};
}

std::string StopReasonKey(StopReason reason) {
  switch (reason) {
    case StopReason::LowSnr:
      return "snr";
    case StopReason::FalseAlarm:
      return "fap";
    case StopReason::MaxFrequencies:
      return "max_frequencies";
    case StopReason::FitRefused:
      return "fit_refused";
    case StopReason::Given:
      return "given";
    case StopReason::Stopped:
      return "stopped";
  }
  return {};
}

std::pair<double, double> DefaultFrequencyRange(std::span<const double> t) {
  std::vector<double> sorted(t.begin(), t.end());
  std::sort(sorted.begin(), sorted.end());
  if (sorted.size() < 2 || !(sorted.back() > sorted.front())) return {0, 0};
  const double fmin = 1 / (sorted.back() - sorted.front());
  std::vector<double> gaps;
  for (size_t k = 1; k < sorted.size(); ++k)
    if (sorted[k] > sorted[k - 1]) gaps.push_back(sorted[k] - sorted[k - 1]);
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  const double nyquist = 0.5 / gaps[gaps.size() / 2];
  return {fmin, std::max(std::min(nyquist, kMaxDefaultFrequency), 2 * fmin)};
}

FrequencyGrid SpectrumGrid(double fmin, double fmax, double span) {
  FrequencyGrid grid;
  grid.start = fmin;
  grid.step = 1 / (10 * span);
  grid.count = static_cast<size_t>(std::floor((fmax - fmin) / grid.step)) + 1;
  return grid;
}

std::vector<double> AmplitudeSpectrum(std::span<const double> t, std::span<const double> y,
                                      const FrequencyGrid& grid,
                                      const std::function<bool()>& goOn) {
  constexpr size_t kBlock = 256;
  const double mean = Mean(y), t0 = Mean(t);
  // Padded to whole fours with terms of 0, which add nothing.
  const size_t padded = (t.size() + 3) / 4 * 4;
  std::vector<double> dt(padded, 0.0), v(padded, 0.0);
  std::vector<std::complex<double>> turn(padded, 1.0);
  for (size_t k = 0; k < t.size(); ++k) {
    dt[k] = t[k] - t0;
    v[k] = y[k] - mean;
    turn[k] = std::polar(1.0, -kTwoPi * grid.step * dt[k]);
  }
  std::vector<double> amplitude(grid.count);
  const double scale = t.empty() ? 0 : 2 / static_cast<double>(t.size());
  // Each observation's term turns by a fixed angle from one frequency to the
  // next: one complex product per step, set right again at the start of each
  // block of frequencies. A block's sums stay in the first-level cache while
  // every observation adds to them. Real arithmetic, not std::complex's
  // product, which checks every result for infinities in a call of its own.
  double re[kBlock], im[kBlock];
  for (size_t first = 0; first < grid.count; first += kBlock) {
    if (goOn && !goOn()) return {};
    const size_t count = std::min(kBlock, grid.count - first);
    std::fill(re, re + count, 0.0);
    std::fill(im, im + count, 0.0);
    // Four observations at a time: their turns are independent chains the
    // processor overlaps, and each sum still adds them in date order.
    for (size_t k = 0; k < dt.size(); k += 4) {
      double px[4], py[4], c[4], d[4];
      for (size_t j = 0; j < 4; ++j) {
        const std::complex<double> start =
            std::polar(v[k + j], -kTwoPi * grid.At(first) * dt[k + j]);
        px[j] = start.real();
        py[j] = start.imag();
        c[j] = turn[k + j].real();
        d[j] = turn[k + j].imag();
      }
      for (size_t i = 0; i < count; ++i) {
        re[i] = re[i] + px[0] + px[1] + px[2] + px[3];
        im[i] = im[i] + py[0] + py[1] + py[2] + py[3];
        for (size_t j = 0; j < 4; ++j) {
          const double nx = px[j] * c[j] - py[j] * d[j];
          py[j] = px[j] * d[j] + py[j] * c[j];
          px[j] = nx;
        }
      }
    }
    for (size_t i = 0; i < count; ++i) amplitude[first + i] = scale * std::hypot(re[i], im[i]);
  }
  return amplitude;
}

double SignalToNoise(double f, double amplitude, const FrequencyGrid& grid,
                     std::span<const double> spectrum, double box) {
  const double lo = std::ceil((f - box / 2 - grid.start) / grid.step);
  const double hi = std::floor((f + box / 2 - grid.start) / grid.step);
  const double first = std::max(lo, 0.0);
  const double last = std::min(hi, static_cast<double>(spectrum.size()) - 1);
  if (!(last >= first)) return std::numeric_limits<double>::quiet_NaN();
  double sum = 0;
  for (auto i = static_cast<size_t>(first); i <= static_cast<size_t>(last); ++i) sum += spectrum[i];
  const double noise = sum / (last - first + 1);
  return noise > 0 ? amplitude / noise : std::numeric_limits<double>::quiet_NaN();
}

double PeakFalseAlarm(double amplitude, size_t n, double variance, double independent) {
  if (!(variance > 0)) return 0;
  const double z = static_cast<double>(n) * amplitude * amplitude / (4 * variance);
  // 1 - (1 - p)^M without the loss of 1 - tiny.
  return -std::expm1(std::max(independent, 1.0) * std::log1p(-std::exp(-z)));
}

void LabelCombinations(std::vector<AnalysedFrequency>& found, double tolerance) {
  for (size_t k = 0; k < found.size(); ++k) {
    const double f = found[k].fit.frequency;
    std::string best;
    int bestOrder = 0;
    double bestDistance = tolerance;
    const auto consider = [&](double value, int order, std::string text) {
      const double d = std::abs(f - value);
      if (d >= tolerance) return;
      if (best.empty() || order < bestOrder || (order == bestOrder && d < bestDistance)) {
        best = std::move(text);
        bestOrder = order;
        bestDistance = d;
      }
    };
    found[k].alias.clear();
    for (size_t a = 0; a < k; ++a) {
      const double fa = found[a].fit.frequency;
      consider(2 * fa, 2, CombinationText({{2, a}}));
      for (size_t b = a + 1; b < k; ++b) {
        const double fb = found[b].fit.frequency;
        for (int i = -2; i <= 2; ++i)
          for (int j = -2; j <= 2; ++j) {
            const double value = i * fa + j * fb;
            if (i == 0 || j == 0 || value <= 0) continue;
            consider(value, std::abs(i) + std::abs(j), CombinationText({{i, a}, {j, b}}));
          }
      }
      if (found[k].alias.empty() &&
          (std::abs(f - (fa + 1)) < tolerance || std::abs(f - (fa - 1)) < tolerance))
        found[k].alias = "alias of " + Name(a) + "?";
    }
    found[k].label = best;
  }
}

namespace {

std::optional<std::string> OptionsProblem(const FrequencyAnalysisOptions& o) {
  if (!(o.snrLimit > 0) || !std::isfinite(o.snrLimit)) return "The S/N limit must be above 0.";
  if (!(o.noiseBox > 0) || !std::isfinite(o.noiseBox))
    return "The noise box must be wider than 0 c/d.";
  if (o.maxFrequencies < 1 || o.maxFrequencies > 100)
    return "The maximum number of frequencies must be 1 .. 100.";
  if (o.fap && !(*o.fap > 0 && *o.fap < 1))
    return "The false-alarm limit must lie between 0 and 1.";
  if (o.fmin < 0 || o.fmax < 0 || !std::isfinite(o.fmin) || !std::isfinite(o.fmax))
    return "The frequency range must be positive and finite.";
  if (o.fmin > 0 && o.fmax > 0 && !(o.fmax > o.fmin)) return "fmax must be above fmin.";
  return std::nullopt;
}

// The S/N of every fitted frequency against the spectrum of the fit's
// residuals; nothing when goOn said to end.
std::optional<std::vector<AnalysedFrequency>> Analysed(std::span<const double> t,
                                                       const MultiFrequencyFit& fit,
                                                       const FrequencyGrid& grid, double box,
                                                       const std::function<bool()>& goOn) {
  const std::vector<double> spectrum = AmplitudeSpectrum(t, fit.residuals, grid, goOn);
  if (spectrum.size() != grid.count) return std::nullopt;
  std::vector<AnalysedFrequency> out;
  for (const FittedFrequency& ff : fit.frequencies)
    out.push_back({ff, SignalToNoise(ff.frequency, ff.amplitude, grid, spectrum, box), {}, {}});
  return out;
}

// The range searched and the time span of the dates, or why the analysis is
// refused before any work.
std::optional<std::string> RangeOf(std::span<const double> t, std::span<const double> mag,
                                   const FrequencyAnalysisOptions& options, double& fmin,
                                   double& fmax, double& span) {
  const auto finite = [](double v) { return std::isfinite(v); };
  if (t.size() != mag.size()) return "The dates and the magnitudes differ in number.";
  if (!std::all_of(t.begin(), t.end(), finite) || !std::all_of(mag.begin(), mag.end(), finite))
    return "A date or a magnitude is not a finite number.";
  if (const auto problem = OptionsProblem(options)) return problem;
  const auto [defaultMin, defaultMax] = DefaultFrequencyRange(t);
  if (defaultMax <= 0) return "The observations span no time.";
  const auto [tMin, tMax] = std::minmax_element(t.begin(), t.end());
  span = *tMax - *tMin;
  fmin = options.fmin > 0 ? options.fmin : defaultMin;
  fmax = options.fmax > 0 ? options.fmax : std::max(defaultMax, 2 * fmin);
  if (!(fmax > fmin)) return "fmax must be above fmin.";
  if ((fmax - fmin) * 10 * span * static_cast<double>(t.size()) > kMaxSpectrumWork)
    return "The frequency range holds too many steps of 1 / (10 time span) for this many "
           "observations; narrow it.";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FrequencyAnalysisProblem(std::span<const double> t,
                                                    std::span<const double> mag,
                                                    const FrequencyAnalysisOptions& options) {
  double fmin = 0, fmax = 0, span = 0;
  return RangeOf(t, mag, options, fmin, fmax, span);
}

FrequencyAnalysis AnalyseFrequencies(std::span<const double> t, std::span<const double> mag,
                                     std::span<const double> err,
                                     const FrequencyAnalysisOptions& options) {
  FrequencyAnalysis out;
  double span = 0;
  if (const auto problem = RangeOf(t, mag, options, out.fmin, out.fmax, span)) {
    out.problem = *problem;
    return out;
  }
  const double resolution = 1.5 / span;  // Loumos & Deeming 1978, Ap&SS 56, 285
  out.zeroPoint = Mean(mag);
  out.residuals.assign(mag.begin(), mag.end());
  for (double& r : out.residuals) r -= out.zeroPoint;

  const auto keep = [&](MultiFrequencyFit fit, std::vector<AnalysedFrequency> analysed) {
    out.frequencies = std::move(analysed);
    out.zeroPoint = fit.zeroPoint;
    out.residuals = fit.residuals;
    out.fit = std::move(fit);
  };

  if (!options.frequencies.empty()) {
    MultiFrequencyFit fit = FitFrequencies(t, mag, err, options.frequencies);
    if (!fit.ok()) {
      out.problem = fit.problem;
      return out;
    }
    // The noise boxes of given frequencies lie in the grid whatever the range.
    const auto [fLo, fHi] =
        std::minmax_element(options.frequencies.begin(), options.frequencies.end());
    const double lo = std::max(std::min(out.fmin, *fLo - options.noiseBox / 2), 1 / span);
    const double hi = std::max(out.fmax, *fHi + options.noiseBox / 2);
    std::optional<std::vector<AnalysedFrequency>> analysed =
        Analysed(t, fit, SpectrumGrid(lo, hi, span), options.noiseBox, options.goOn);
    if (!analysed) {
      out.problem = "The analysis was stopped.";
      return out;
    }
    keep(std::move(fit), std::move(*analysed));
    out.stop = StopReason::Given;
  } else {
    const FrequencyGrid grid = SpectrumGrid(out.fmin, out.fmax, span);
    const double independent = (out.fmax - out.fmin) * span;
    std::vector<double> starts;
    while (true) {
      if (static_cast<int>(starts.size()) >= options.maxFrequencies) {
        out.stop = StopReason::MaxFrequencies;
        break;
      }
      const std::vector<double> spectrum = AmplitudeSpectrum(t, out.residuals, grid, options.goOn);
      if (spectrum.size() != grid.count) {
        out.stop = StopReason::Stopped;
        break;
      }
      const size_t peak = static_cast<size_t>(std::max_element(spectrum.begin(), spectrum.end()) -
                                              spectrum.begin());
      Candidate c{grid.At(peak), spectrum[peak], 0, 0};
      c.snr = SignalToNoise(c.frequency, c.amplitude, grid, spectrum, options.noiseBox);
      c.fap = PeakFalseAlarm(c.amplitude, t.size(), Variance(out.residuals), independent);
      if (options.fap && c.fap > *options.fap) {
        out.stop = StopReason::FalseAlarm;
        out.rejected = c;
        break;
      }
      std::vector<double> trialStarts = starts;
      trialStarts.push_back(c.frequency);
      MultiFrequencyFit trial = FitFrequencies(t, mag, err, trialStarts);
      if (!trial.ok() || !trial.converged) {
        out.stop = StopReason::FitRefused;
        out.rejected = c;
        break;
      }
      // The candidate judged against the noise left once it is removed too.
      std::optional<std::vector<AnalysedFrequency>> analysed =
          Analysed(t, trial, grid, options.noiseBox, options.goOn);
      if (!analysed) {
        out.stop = StopReason::Stopped;
        break;
      }
      const AnalysedFrequency& added = analysed->back();
      if (!(added.snr >= options.snrLimit)) {
        out.stop = StopReason::LowSnr;
        out.rejected = Candidate{added.fit.frequency, added.fit.amplitude, added.snr, c.fap};
        break;
      }
      starts.clear();
      for (const FittedFrequency& ff : trial.frequencies) starts.push_back(ff.frequency);
      keep(std::move(trial), std::move(*analysed));
    }
  }
  LabelCombinations(out.frequencies, resolution);
  double sum2 = 0;
  for (const double r : out.residuals) sum2 += r * r;
  out.residualRms = out.residuals.empty() ? 0 : std::sqrt(sum2 / out.residuals.size());
  out.stopText = StopReasonText(out.stop, options);
  return out;
}

}  // namespace korvel
