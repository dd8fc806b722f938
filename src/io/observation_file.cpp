#include "io/observation_file.h"

#include <cstdint>

#include "core/error.h"
#include "core/text_format.h"
#include "io/read_observations.h"
#include "io/text_writer.h"

namespace korvel {

std::string BaseNameOf(const std::string& fileName) {
  // Points of the directories are not the file's: obs.v2/star.dat is
  // obs.v2/star, not obs. A point that starts the name hides the file.
  const size_t slash = fileName.rfind('/');
  const size_t name = slash == std::string::npos ? 0 : slash + 1;
  for (size_t i = name + 1; i + 1 < fileName.size(); ++i)
    if (fileName[i] == '.') return fileName.substr(0, i);
  return fileName;
}

std::optional<std::string> LoadObservations(AnalysisState& s, const std::string& path,
                                            const ReadOptions& options) {
  return LoadObservationsReporting(s, path, options).error;
}

namespace {

// An archive's file: read whole or not at all, the date window applied to
// its dates, errors kept beside the magnitudes.
LoadReport LoadFormatFile(AnalysisState& s, const std::string& path, const ReadOptions& options,
                          ObservationFormat format) {
  ReadOptions read = options;
  read.format = format;
  LoadedObservations o = ReadObservations(path, read);
  LoadReport report;
  rarray jd{0.0}, mag{0.0}, err;
  if (!o.err.empty()) err.push_back(0.0);
  for (size_t i = 0; i < o.jd.size(); ++i) {
    if (o.jd[i] < options.jdLow || o.jd[i] > options.jdHigh) continue;
    if (jd.size() > static_cast<size_t>(INT32_MAX)) {
      report.error = kTooManyObservations;
      break;
    }
    jd.push_back(o.jd[i]);
    mag.push_back(o.mag[i]);
    if (!o.err.empty()) err.push_back(o.err[i]);
  }
  s.DataFileName = path;
  s.BaseName = BaseNameOf(path);
  s.LoadedZeros = false;
  TakeObservations(s, std::move(jd), std::move(mag), std::move(err));
  read.band = o.band;
  s.ReadWith = read;
  o.jd.clear();
  o.mag.clear();
  o.err.clear();
  s.Loaded = std::move(static_cast<LoadedFormat&>(o));
  return report;
}

}  // namespace

LoadReport LoadObservationsReporting(AnalysisState& s, const std::string& path,
                                     const ReadOptions& options) {
  const ObservationFormat format =
      options.format == ObservationFormat::Auto ? DetectObservationFormat(path) : options.format;
  if (format != ObservationFormat::Plain) return LoadFormatFile(s, path, options, format);
  TextReader reader = TextReader::FromFile(path);
  LoadReport report;
  rarray jd{0.0}, mag{0.0};
  try {
    // A line with no number left (blank lines, trailing blanks) is not an
    // observation, so the end is tested after skipping blanks.
    while (!reader.SeekEof()) {
      const int64_t line = reader.Line();
      const double d = reader.ReadReal();
      for (int32_t skip = 1; skip < options.column; ++skip) reader.ReadReal();
      const double m = reader.ReadReal();
      reader.ReadLine();
      if (!options.readZeros && m == 0.0) continue;
      if (d < options.jdLow || d > options.jdHigh) continue;
      if (jd.size() > static_cast<size_t>(INT32_MAX)) {
        report.error = kTooManyObservations;
        report.errorLine = line;
        break;
      }
      jd.push_back(d);
      mag.push_back(m);
    }
  } catch (const TextReadError& e) {
    report.error = e.what();
    report.errorLine = e.Line();
  }
  // A failed read of the file itself (not of a number in it) leaves the state
  // as it was, as a file that cannot be opened does.
  report.diagnostics = reader.Diagnostics();
  s.DataFileName = path;
  s.BaseName = BaseNameOf(path);
  s.LoadedZeros = options.readZeros;

  TakeObservations(s, std::move(jd), std::move(mag));
  s.ReadWith = options;
  s.ReadWith.format = ObservationFormat::Plain;
  s.Loaded = LoadedFormat{};
  s.Loaded.rowsRead = s.NObs;
  return report;
}

void TakeObservations(AnalysisState& s, rarray jd, rarray mag, rarray err) {
  s.JD = std::move(jd);
  s.Mag = std::move(mag);
  s.Err = err.size() == s.JD.size() ? std::move(err) : rarray{};
  s.NObs = static_cast<int32_t>(s.JD.size() - 1);
  const size_t n = static_cast<size_t>(s.NObs) + 1;
  s.Phase.resize(n, 0.0);
  s.SortPhase.resize(n, 0.0);
  s.WMag.resize(n, 0.0);
  s.BinOf.resize(n, 0);
  // Marks of a previous set never apply to a new one.
  s.Marks.assign(n, 0);
  s.SelMade = false;
  s.LoadIndex.resize(n);
  for (size_t i = 0; i < n; ++i) s.LoadIndex[i] = static_cast<int32_t>(i);
  s.LoadedCount = s.NObs;
  ComputeLoadStatistics(s);
}

void ComputeLoadStatistics(AnalysisState& s) {
  if (s.NObs <= 0) {
    s.MagMean = s.MagVar = 0;
    s.JDLow = s.JDHigh = s.MagLow = s.MagHigh = 0;
    s.DataJDmin = s.DataJDmax = s.DataMagMin = s.DataMagMax = 0;
    return;
  }
  // Extremes start from the first observation, so that dates above 1e6 (full
  // Julian dates) and any magnitude give their true range.
  double latest = s.JD[1], earliest = s.JD[1], largest = s.Mag[1], smallest = s.Mag[1];
  for (int32_t i = 1; i <= s.NObs; ++i) {
    if (s.JD[i] > latest) latest = s.JD[i];
    if (s.JD[i] < earliest) earliest = s.JD[i];
    if (s.Mag[i] > largest) largest = s.Mag[i];
    if (s.Mag[i] < smallest) smallest = s.Mag[i];
  }
  ComputeMeanAndVariance(s);
  s.JDHigh = latest;
  s.JDLow = earliest;
  s.MagHigh = largest;
  s.MagLow = smallest;
  s.DataJDmax = s.JDHigh;
  s.DataJDmin = s.JDLow;
  s.DataMagMax = s.MagHigh;
  s.DataMagMin = s.MagLow;
}

void ComputeMeanAndVariance(AnalysisState& s) {
  if (s.NObs <= 0) {
    s.MagMean = s.MagVar = 0;
    return;
  }
  double sum = 0;
  for (int32_t i = 1; i <= s.NObs; ++i) sum += s.Mag[i];
  s.MagMean = sum / s.NObs;
  double squares = 0;
  for (int32_t i = 1; i <= s.NObs; ++i) squares += (s.Mag[i] - s.MagMean) * (s.Mag[i] - s.MagMean);
  s.MagVar = squares / s.NObs;
}

std::string ObservationLine(double jd, double mag, int magDecimals) {
  return Str(jd, 10, 4) + " " + Str(mag, 7, magDecimals);
}

void WriteAllObservations(const AnalysisState& s, TextWriter& out) {
  for (int32_t i = 1; i <= s.NObs; ++i) out.WriteLine(ObservationLine(s.JD[i], s.Mag[i], 4));
}

void WriteAllObservations(const AnalysisState& s, const std::string& path) {
  TextWriter out(path);
  WriteAllObservations(s, out);
  out.Close();
}

void WriteMarkedObservations(const AnalysisState& s, const std::string& path) {
  TextWriter out(path);
  for (int32_t i = 1; i <= s.NObs; ++i)
    if (Marked(s, i)) out.WriteLine(ObservationLine(s.JD[i], s.Mag[i], 3));
  out.Close();
}

}  // namespace korvel
