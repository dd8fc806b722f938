// Writer and reader of the condition file.
#include "io/condition_file.h"

#include <algorithm>
#include <cmath>

#include "core/text_format.h"
#include "io/text_reader.h"
#include "io/text_writer.h"

namespace korvel {

std::string ConditionSaveProblem(const AnalysisState& s) {
  const bool searched = s.RunCode == 'r' || s.RunCode == 'e';
  const bool gridSet = s.Freq != 0 && s.FreqHi != 0 && s.FreqLo != 0 && s.FreqHi != s.FreqLo &&
                       std::isfinite(s.Freq) && std::isfinite(s.FreqHi) && std::isfinite(s.FreqLo);
  if (!searched || !gridSet) return "No search to save...";
  return {};
}

void WriteConditionFile(AnalysisState& s, const std::string& path) {
  // Halves go to the even column, as the default rounding mode does. A
  // column off the spectrum (a crafted resumed search, a scale out of range)
  // is held to -1 (no column reached) or 480 before it becomes an integer.
  const double column = std::nearbyint((s.Freq - s.FreqLo) * s.FreqScale);
  s.SpecCol = column >= 0 ? static_cast<int32_t>(std::min<double>(column, kSpecColumns - 1)) : -1;
  // The vertical range last drawn; before the spectrum has been drawn, the
  // range the search has reached, so that Continue has a range to scale to.
  const bool drawn = s.DrawnSpecMax != s.DrawnSpecMin;
  const double rangeHigh = drawn ? s.DrawnSpecMax : s.SpecMax;
  const double rangeLow = drawn ? s.DrawnSpecMin : s.SpecMin;
  TextWriter out(path);
  out.WriteLine(Str(1 / s.Freq, 0, 10) + " " + Str(1 / s.FreqHi, 0, 7) + " " +
                Str(1 / s.FreqLo, 0, 7) + " " + Str(s.FreqStep, 0, 8) + " " + Str(rangeHigh, 0, 8) +
                " " + Str(rangeLow, 0, 8));
  out.WriteLine(std::string(1, s.View) + " " + Str(int64_t{s.NBins}, 3) + " " +
                Str(s.ExtrDate, 10, 3) + " " + Str(s.Period, 0, 7) + " " + Str(s.P2Epoch, 10, 3));
  for (int k = 1; k <= kBestPlaces; ++k)
    out.WriteLine(Str(s.BestPeriod[k], 0, 7) + " " + Str(s.BestParam[k], 0, 7) + " " +
                  Str(s.BestFreq[k], 0, 7));
  const int last = s.SpecCol < kSpecColumns ? s.SpecCol : kSpecColumns - 1;
  for (int k = 0; k <= last; ++k)
    out.WriteLine(Str(s.SpecHigh[k], 0, 5) + " " + Str(s.SpecLow[k], 0, 5));
  out.Close();
}

ConditionRecord ReadConditionFile(const std::string& path) {
  TextReader in = TextReader::FromFile(path);
  ConditionRecord c;
  for (int i = 1; i <= 6; ++i) c.r[i] = in.ReadReal();
  in.ReadLine();
  const std::string line2 = in.ReadLineText();
  c.View = line2.empty() ? 0 : line2[0];
  TextReader second(line2.empty() ? std::string() : line2.substr(1));
  c.NBins = second.ReadInt();
  c.ExtrDate = second.ReadReal();
  c.Period = second.ReadReal();
  c.P2Epoch = second.ReadReal();
  for (int k = 1; k <= kBestPlaces; ++k) {
    c.BestPeriod[k] = in.ReadReal();
    c.BestParam[k] = in.ReadReal();
    c.BestFreq[k] = in.ReadReal();
    in.ReadLine();
  }
  for (int k = 0; !in.SeekEof(); ++k) {
    const double high = in.ReadReal();
    const double low = in.ReadReal();
    in.ReadLine();
    if (k < kSpecColumns) {
      c.SpecHigh[k] = high;
      c.SpecLow[k] = low;
    }
  }
  return c;
}

std::string ConditionRecordProblem(const ConditionRecord& c) {
  for (int i = 1; i <= 6; ++i)
    if (!std::isfinite(c.r[i])) return "Condition file holds an invalid number...";
  if (c.r[1] == 0 || c.r[2] == 0 || c.r[3] == 0) return "Condition file holds a zero period...";
  if (c.r[5] == c.r[6]) return "Condition file holds an empty spectrum range...";
  return {};
}

}  // namespace korvel
