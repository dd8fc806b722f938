#include "lightcurve/mean_curve_file.h"

#include <utility>

#include "core/numeric.h"
#include "core/text_format.h"
#include "io/text_reader.h"
#include "io/text_writer.h"

namespace korvel {

namespace {

// Appends a field, adding a blank when the value fills its width, so that a
// wide value never runs into the one before it.
void AppendField(std::string& line, const std::string& field) {
  if (!line.empty() && !field.empty() && field.front() != ' ') line += ' ';
  line += field;
}

}  // namespace

double WrapValue(const double* ph, const double* m, int32_t n, double distance) {
  const double gap = 1 + ph[1] - ph[n];
  // Gap 0 only for a first phase 0 and a last phase 1: nothing lies between.
  if (!(gap > 0)) return m[n];
  return m[n] + (m[1] - m[n]) * distance / gap;
}

double PeriodicValue(const double* ph, const double* m, int32_t n, double x) {
  if (x < ph[1]) return WrapValue(ph, m, n, 1 + x - ph[n]);
  // ph[j - 1] <= x < ph[j] at the first j found, so the width is positive.
  for (int32_t j = 2; j <= n; ++j)
    if (x < ph[j]) return m[j - 1] + (m[j] - m[j - 1]) * (x - ph[j - 1]) / (ph[j] - ph[j - 1]);
  return WrapValue(ph, m, n, x - ph[n]);
}

std::string CollectingHeader(const AnalysisState& s) {
  std::string line = Str(s.CurveNumber, 2);
  AppendField(line, Str(s.MeanPoints, 3));
  AppendField(line, Str(s.Period, 15, 8));
  AppendField(line, Str(s.Epoch, 11, 4));
  line += s.WaveState == 'f' ? " smoothed" : " disturbed";
  return line;
}

std::string CollectingPointLine(const AnalysisState& s, int32_t k) {
  std::string line = Str(s.MeanPhase[k], 5, 3);
  if (s.WaveState == 'f') {
    line += ' ' + Str(s.EditedMag[k], 7, 4);
  } else {
    line += ' ' + Str(s.MeanMag[k], 7, 4);
    line += ' ' + Str(s.MeanMagErr[k], 6, 4);
    line += ' ' + Str(s.MeanCount[k], 5, 0);
  }
  return line;
}

void WriteCollectingFile(const AnalysisState& s, const std::string& path, bool appendIfExists) {
  const bool append = appendIfExists && FileExists(path);
  TextWriter out(path, append ? TextWriter::Mode::Append : TextWriter::Mode::Create);
  out.WriteLine(CollectingHeader(s));
  for (int32_t k = 1; k <= s.MeanPoints; ++k) out.WriteLine(CollectingPointLine(s, k));
  out.Close();
}

void ReadMeanCurveFile(AnalysisState& s, const std::string& path, ReadDiagnostics* diagnostics) {
  TextReader in = TextReader::FromFile(path);
  iarray count{0};
  rarray period{0}, epoch{0};
  std::vector<rarray> phase(1), mag(1);
  // Trailing blank lines end the file rather than start an empty curve.
  while (!in.SeekEof()) {
    in.ReadInt();  // the curve number
    const int32_t n = in.ReadInt();
    period.push_back(in.ReadReal());
    epoch.push_back(in.ReadReal());
    in.ReadLine();  // the label
    rarray ph{0}, m{0};
    // A file that ends before the points its header announces keeps the
    // points it has: reading on would only invent zeros.
    for (int32_t j = 1; j <= n && !in.SeekEof(); ++j) {
      ph.push_back(in.ReadReal());
      m.push_back(in.ReadReal());
      in.ReadLine();
    }
    count.push_back(static_cast<int32_t>(ph.size()) - 1);
    phase.push_back(std::move(ph));
    mag.push_back(std::move(m));
  }
  s.MLCCurves = static_cast<int32_t>(count.size()) - 1;
  s.MLCCount = std::move(count);
  s.MLCPeriod = std::move(period);
  s.MLCEpoch = std::move(epoch);
  s.MLCPhase = std::move(phase);
  s.MLCMag = std::move(mag);
  s.MLCLoaded = true;
  if (diagnostics) *diagnostics = in.Diagnostics();
}

double ModelValue(const AnalysisState& s, double t) {
  double sum = 0;
  for (int32_t k = 1; k <= s.MLCCurves; ++k) {
    const int32_t n = s.MLCCount[k];
    if (n < 1 || !(s.MLCPeriod[k] > 0)) continue;
    const double x = Frac((t - s.MLCEpoch[k]) / s.MLCPeriod[k]);
    sum += PeriodicValue(s.MLCPhase[k].data(), s.MLCMag[k].data(), n, x);
  }
  return sum;
}

}  // namespace korvel
