#include "search/peak_text.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "core/text_format.h"
#include "search/search_methods.h"

namespace korvel {

namespace {

// Beyond this a period's digits say nothing a double holds.
constexpr int kMaxDecimals = 15;

int DecadeOf(double x) {
  return static_cast<int>(std::floor(std::log10(x)));
}

// At least three decimals (as the best-trials grid) and four significant
// digits, so that small Deeming amplitudes keep their digits.
std::string StatisticText(double x) {
  if (!std::isfinite(x)) return kNoValue;
  const int d = x == 0 ? 3 : std::clamp(3 - DecadeOf(std::fabs(x)), 3, kMaxDecimals);
  return Str(x, 0, d);
}

std::string PeriodCell(const PeakReport& r) {
  if (r.problem.empty() && std::isfinite(r.fittedPeriod))
    return PeriodWithError(r.fittedPeriod, r.periodError);
  const std::string period = std::isfinite(r.peak.period) ? Str(r.peak.period, 0, 7) : kNoValue;
  return r.problem.empty() ? period : period + " (" + r.problem + ")";
}

}  // namespace

double PeakPeriod(const PeakReport& r) {
  return r.problem.empty() && r.fittedPeriod > 0 && std::isfinite(r.fittedPeriod) ? r.fittedPeriod
                                                                                  : r.peak.period;
}

std::string PeriodWithError(double period, double error) {
  if (!std::isfinite(period)) return kNoValue;
  if (!(error > 0) || !std::isfinite(error)) return Str(period, 0, 7);
  int d = 1 - DecadeOf(error);
  // 9.96e-6 rounds up to 1.0e-5: one decimal fewer keeps two digits.
  if (std::round(error * std::pow(10.0, d)) >= 100) --d;
  d = std::clamp(d, 0, kMaxDecimals);
  return Str(period, 0, d) + " \u00b1 " + Str(error, 0, d);
}

std::string FapText(double fap) {
  if (!(fap >= 0) || !std::isfinite(fap)) return kNoValue;
  if (fap < 1e-6) return "<1e-6";
  if (fap >= 0.1) return TrimZeros(Str(fap, 0, 2));
  // One significant digit: in fixed point down to 0.001, below as a power of ten.
  int decade = DecadeOf(fap);
  double digit = std::round(fap / std::pow(10.0, decade));
  if (digit >= 10) {
    digit = 1;
    ++decade;
  }
  if (decade >= -3) return TrimZeros(Str(fap, 0, -decade));
  return std::to_string(static_cast<int>(digit)) + "e" + std::to_string(decade);
}

std::string PeakCellText(const std::vector<PeakReport>& peaks, int row, int column) {
  static const char* const kHeaders[kPeakColumns] = {"Period", "Statistic", "FAP", "Label"};
  if (column < 0 || column >= kPeakColumns) return {};
  if (row == 0) return kHeaders[column];
  if (row < 0 || row > static_cast<int>(peaks.size())) return {};
  const PeakReport& r = peaks[static_cast<size_t>(row - 1)];
  switch (column) {
    case 0:
      return PeriodCell(r);
    case 1:
      return StatisticText(r.peak.statistic);
    case 2:
      return FapText(r.Fap());
    default:
      return r.peak.label;
  }
}

std::string AdoptedText(const AdoptedPeriod& a) {
  if (!a.ok()) return a.problem;
  const SearchMethod* m = MethodNamed(a.method);
  std::string text =
      "P = " + PeriodWithError(a.period, a.error) + " d (" + (m ? std::string(m->title) : a.method);
  if (std::isfinite(a.fap)) text += "; FAP " + FapText(a.fap);
  text += ")";
  if (!a.reason.empty()) text += ": " + a.reason;
  return text;
}

std::string StoppedText(double done, double total) {
  return "Stopped after " + Str(done, 0, 0) + " of " + Str(total, 0, 0) + " trials";
}

}  // namespace korvel
