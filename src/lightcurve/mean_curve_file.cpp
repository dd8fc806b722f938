// The collecting file of mean light curves and the model, on plain values.
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

std::string CollectingHeader(const CollectingBlock& b) {
  std::string line = Str(b.curveNumber, 2);
  AppendField(line, Str(static_cast<int32_t>(b.curve.size()), 3));
  AppendField(line, Str(b.ephemeris.period, 15, 8));
  AppendField(line, Str(b.ephemeris.epoch, 11, 4));
  line += b.smoothed ? " smoothed" : " disturbed";
  return line;
}

std::string CollectingPointLine(const CollectingBlock& b, size_t k) {
  const MeanCurve& c = b.curve;
  std::string line = Str(c.phase[k], 5, 3);
  if (b.smoothed) {
    line += ' ' + Str(b.editedMag[k], 7, 4);
  } else {
    line += ' ' + Str(c.mag[k], 7, 4);
    line += ' ' + Str(c.magErr[k], 6, 4);
    line += ' ' + Str(c.count[k], 5, 0);
  }
  return line;
}

void WriteCollectingFile(const CollectingBlock& b, const std::string& path, bool appendIfExists) {
  const bool append = appendIfExists && FileExists(path);
  TextWriter out(path, append ? TextWriter::Mode::Append : TextWriter::Mode::Create);
  out.WriteLine(CollectingHeader(b));
  for (size_t k = 0; k < b.curve.size(); ++k) out.WriteLine(CollectingPointLine(b, k));
  out.Close();
}

std::vector<CollectedCurve> ReadCollectedCurves(const std::string& path,
                                                ReadDiagnostics* diagnostics) {
  TextReader in = TextReader::FromFile(path);
  std::vector<CollectedCurve> curves;
  // Trailing blank lines end the file rather than start an empty curve.
  while (!in.SeekEof()) {
    CollectedCurve& c = curves.emplace_back();
    in.ReadInt();  // the curve number
    const int32_t n = in.ReadInt();
    c.ephemeris.period = in.ReadReal();
    c.ephemeris.epoch = in.ReadReal();
    in.ReadLine();  // the label
    // A file that ends before the points its header announces keeps the
    // points it has: reading on would only invent zeros.
    for (int32_t j = 1; j <= n && !in.SeekEof(); ++j) {
      c.phase.push_back(in.ReadReal());
      c.mag.push_back(in.ReadReal());
      in.ReadLine();
    }
  }
  if (diagnostics) *diagnostics = in.Diagnostics();
  return curves;
}

double ModelTerm(const Ephemeris& e, const PeriodicCurve& c, double t) {
  if (c.phase.empty() || !(e.period > 0)) return 0;
  return PeriodicValue(c, PhaseOf(t, e));
}

double ModelValue(std::span<const CollectedCurve> curves, double t) {
  double sum = 0;
  for (const CollectedCurve& c : curves) sum += ModelTerm(c.ephemeris, {c.phase, c.mag}, t);
  return sum;
}

}  // namespace korvel
