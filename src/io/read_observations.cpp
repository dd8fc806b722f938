#include "io/read_observations.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "io/formats/lightcurve_fits.h"
#include "io/formats/rows.h"
#include "io/formats/table.h"

namespace korvel {

namespace {

using formats::Lower;
using formats::Table;
using formats::Trim;

struct FormatRow {
  ObservationFormat format;
  const char* name;   // --format, JSON
  const char* label;  // messages
  FormatRows (*read)(const std::string&, const ReadOptions&);
};

// The formats in --format's order; Auto and Plain have no reader here.
constexpr std::array<FormatRow, 9> kFormats = {{
    {ObservationFormat::Auto, "auto", "", nullptr},
    {ObservationFormat::Plain, "plain", "Plain", nullptr},
    {ObservationFormat::Csv, "csv", "CSV", formats::ReadCsvRows},
    {ObservationFormat::Aavso, "aavso", "AAVSO", formats::ReadAavsoRows},
    {ObservationFormat::AavsoExtended, "aavso-extended", "AAVSO Extended",
     formats::ReadAavsoExtendedRows},
    {ObservationFormat::Ztf, "ztf", "ZTF", formats::ReadZtfRows},
    {ObservationFormat::Gaia, "gaia", "Gaia", formats::ReadGaiaRows},
    {ObservationFormat::LightCurveFits, "fits", "FITS", ReadLightCurveFits},
    {ObservationFormat::Asassn, "asassn", "ASAS-SN", formats::ReadAsassnRows},
}};

const FormatRow& RowOf(ObservationFormat f) {
  for (const FormatRow& r : kFormats)
    if (r.format == f) return r;
  return kFormats[0];
}

// A plain observation file begins with a number.
bool StartsWithNumber(std::string_view line) {
  line = Trim(line);
  const size_t end = line.find_first_of(" \t,;");
  double v = 0;
  return formats::ParseValue(line.substr(0, end), v) != formats::Value::Missing;
}

// The format whose columns the header names; Plain for none.
ObservationFormat Classify(const Table& t) {
  const auto has = [&](std::string_view name) { return t.Find(name) >= 0; };
  if (has("catflags") || has("filtercode")) return ObservationFormat::Ztf;
  if (has("rejected_by_photometry") || has("rejected_by_variability") || has("g_transit_time"))
    return ObservationFormat::Gaia;
  if (has("phot_filter") || (has("camera") && has("mag_err") && (has("hjd") || has("jd"))))
    return ObservationFormat::Asassn;
  if (has("jd") && has("magnitude") && has("band")) return ObservationFormat::Aavso;
  if (t.Find({"time", "jd", "hjd", "bjd", "mjd", "date"}) >= 0 &&
      t.Find({"mag", "magnitude", "flux"}) >= 0)
    return ObservationFormat::Csv;
  return ObservationFormat::Plain;
}

bool IsExtended(const Table& t) {
  const std::string* type = t.Keyword("TYPE");
  return type != nullptr && Lower(Trim(*type)) == "extended";
}

constexpr const char* kPlainText =
    ": a plain observation file (a date and values on each line): it is read as observations, "
    "not as photometry";

// Nothing was recognised: says why, or reads the header as CSV so that the
// message names the columns the file has.
FormatRows ExplainUnrecognised(const std::string& path, const ReadOptions& options) {
  Table table(path);
  if (table.Empty()) table.Fail("empty file: no header and no rows");
  if (StartsWithNumber(table.FirstLine())) throw FormatError(path + kPlainText);
  return formats::ReadCsvRows(path, options);
}

std::string ReasonText(const std::string& reason, int64_t n) {
  if (reason == formats::kLimit) return std::to_string(n) + (n == 1 ? " limit" : " limits");
  return std::to_string(n) + " " + reason;
}

}  // namespace

const char* ObservationFormatName(ObservationFormat f) {
  return RowOf(f).name;
}

const char* ObservationFormatLabel(ObservationFormat f) {
  return RowOf(f).label;
}

ObservationFormat ObservationFormatOfName(const std::string& name) {
  const std::string n = Lower(Trim(name));
  std::string names;
  for (const FormatRow& r : kFormats) {
    if (n == r.name) return r.format;
    names += names.empty() ? "" : ", ";
    names += r.name;
  }
  throw KorvelError("Unknown format \"" + name + "\": the formats are " + names);
}

ObservationFormat DetectObservationFormat(const std::string& path) {
  if (HasFitsSignature(path)) return ObservationFormat::LightCurveFits;
  try {
    Table table(path);
    if (IsExtended(table)) return ObservationFormat::AavsoExtended;
    if (table.Empty() || StartsWithNumber(table.FirstLine())) return ObservationFormat::Plain;
    table.ReadHeader();
    // A header no format claims is read as CSV, whose reader names the
    // columns it could not find among those the file has.
    const ObservationFormat f = Classify(table);
    return f == ObservationFormat::Plain ? ObservationFormat::Csv : f;
  } catch (const KorvelError&) {
    // Unreadable, binary or empty: ReadObservations says which.
    return ObservationFormat::Plain;
  }
}

LoadedObservations ReadObservations(const std::string& path, const ReadOptions& options) {
  const ObservationFormat format =
      options.format == ObservationFormat::Auto ? DetectObservationFormat(path) : options.format;
  FormatRows rows;
  if (format == ObservationFormat::Plain) {
    if (options.format == ObservationFormat::Plain) throw FormatError(path + kPlainText);
    rows = ExplainUnrecognised(path, options);
  } else {
    rows = RowOf(format).read(path, options);
  }
  LoadedObservations p;
  try {
    p = SelectBand(std::move(rows), options);
  } catch (const FormatError& e) {
    throw FormatError(path + ": " + e.what());
  }
  if (p.jd.empty()) throw FormatError(path + ": no observations to use: " + DroppedRowsText(p));
  return p;
}

LoadedObservations SelectBand(FormatRows rows, const ReadOptions& options) {
  LoadedObservations p;
  p.format = rows.format;
  p.timeSystem = rows.timeSystem;
  p.flux = rows.flux;

  // Usable rows per band, in the order the bands first appear.
  size_t last = 0;
  for (const std::string& b : rows.band) {
    if (p.bands.empty() || p.bands[last].first != b) {
      last = 0;
      while (last < p.bands.size() && p.bands[last].first != b) ++last;
      if (last == p.bands.size()) p.bands.emplace_back(b, 0);
    }
    ++p.bands[last].second;
  }
  for (const auto& read : rows.rowsRead) {
    const std::string& b = read.first;
    const bool seen = std::any_of(p.bands.begin(), p.bands.end(),
                                  [&](const auto& entry) { return entry.first == b; });
    if (!seen) p.bands.emplace_back(b, 0);
  }
  std::stable_sort(p.bands.begin(), p.bands.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });

  if (options.band.empty()) {
    if (!p.bands.empty()) p.band = p.bands.front().first;
  } else {
    // The band as written, else the one band that differs only in case.
    const auto exact = std::find_if(p.bands.begin(), p.bands.end(),
                                    [&](const auto& e) { return e.first == options.band; });
    int folded = 0;
    for (const auto& e : p.bands)
      if (Lower(e.first) == Lower(options.band)) ++folded, p.band = e.first;
    if (exact != p.bands.end()) {
      p.band = exact->first;
    } else if (folded != 1) {
      std::string names;
      for (const auto& [b, n] : p.bands)
        if (!b.empty()) names += (names.empty() ? "" : ", ") + b + " (" + std::to_string(n) + ")";
      throw FormatError("no band \"" + options.band + "\"; " +
                        (names.empty() ? "the file names no bands" : "the bands are: " + names));
    }
  }

  std::vector<size_t> index;
  for (size_t i = 0; i < rows.band.size(); ++i)
    if (rows.band[i] == p.band) index.push_back(i);
  const auto byDate = [&](size_t a, size_t b) { return rows.time[a] < rows.time[b]; };
  if (!std::is_sorted(index.begin(), index.end(), byDate)) {
    std::stable_sort(index.begin(), index.end(), byDate);
    p.sorted = true;
  }
  p.jd.reserve(index.size());
  p.mag.reserve(index.size());
  for (size_t i : index) {
    p.jd.push_back(rows.time[i] + options.timeOffset);
    p.mag.push_back(rows.value[i]);
    if (rows.hasErrors) p.err.push_back(rows.err[i]);
  }
  if (const auto it = rows.rowsRead.find(p.band); it != rows.rowsRead.end())
    p.rowsRead = it->second;
  if (const auto it = rows.dropped.find(p.band); it != rows.dropped.end())
    for (const auto& [reason, n] : it->second)
      if (n > 0) p.dropped[reason] = n;
  return p;
}

std::string DroppedRowsText(const LoadedFormat& p) {
  std::string text = ObservationFormatLabel(p.format);
  if (!p.band.empty()) text += " " + p.band;
  text += ": " + std::to_string(p.rowsRead - p.RowsDropped()) + " of " +
          std::to_string(p.rowsRead) + " rows";
  // The archives' own verdicts first, then what could not be read.
  constexpr std::array<const char*, 5> kOrder = {formats::kFlagged, formats::kRejected,
                                                 formats::kLimit, formats::kMissing,
                                                 formats::kNonFinite};
  std::vector<std::string> parts;
  for (const char* reason : kOrder)
    if (const auto it = p.dropped.find(reason); it != p.dropped.end() && it->second > 0)
      parts.push_back(ReasonText(reason, it->second));
  for (const auto& [reason, n] : p.dropped)
    if (n > 0 && std::find(kOrder.begin(), kOrder.end(), reason) == kOrder.end())
      parts.push_back(ReasonText(reason, n));
  if (!parts.empty()) {
    text += " (";
    for (size_t i = 0; i < parts.size(); ++i) text += (i ? ", " : "") + parts[i];
    text += ")";
  }
  return text;
}

}  // namespace korvel
