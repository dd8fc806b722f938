// The distinct peaks and the adopted period as text: a period with as many
// decimals as its error warrants, a false-alarm probability, the cells of the
// window's peaks table and the words of its status line. A missing value is
// a dash, never "NaN".
#pragma once

#include <string>
#include <vector>

#include "search/adopt.h"
#include "search/period_error.h"

namespace korvel {

inline constexpr const char* kNoValue = "\u2014";  // an em dash
inline constexpr int kPeakColumns = 4;

// The period a peak stands for: the fitted one where the Fourier fit
// succeeded, else the grid's.
double PeakPeriod(const PeakReport& r);

// "0.5568030 ± 0.0000061": the error rounded to two significant digits and
// the period to the same decimal place. Without a positive finite error, the
// period alone with 7 decimals, as the best-trials grid shows it.
std::string PeriodWithError(double period, double error);

// "0.45", "0.003", "2e-5", "<1e-6"; a dash for none.
std::string FapText(double fap);

// Row 0 the headers "Period", "Statistic", "FAP", "Label"; row k the k-th
// peak: its period with its error (a peak without a fit: the grid's period
// and why there is no fit), its statistic, FAP and label.
std::string PeakCellText(const std::vector<PeakReport>& peaks, int row, int column);

// "P = 0.5568030 ± 0.0000061 d (Lafler-Kinman; FAP 2e-5): <reason>", or
// why no period is adopted.
std::string AdoptedText(const AdoptedPeriod& a);

// "Stopped after k of n trials".
std::string StoppedText(double done, double total);

}  // namespace korvel
