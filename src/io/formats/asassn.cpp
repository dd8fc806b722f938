// ASAS-SN light curves: the v1 CSV (HJD, mag, mag_err, Filter; ">" before a
// magnitude marks a non-detection) and Sky Patrol v2 (jd, mag, mag_err,
// limit, quality, phot_filter; quality other than "G" is a flagged image).
#include <string>

#include "io/formats/rows.h"
#include "io/formats/table.h"

namespace korvel::formats {

namespace {

// The error both versions write for a non-detection.
constexpr double kNoDetectionError = 99;

// A non-detection: a marked magnitude, the 99.99 error, or a limit column
// that says so in words (a number there is the image's limiting magnitude).
const char* AsassnLimit(const Table& table, int mag, int err, int limit) {
  if (const char* r = LimitReason(table.Field(mag))) return r;
  if (ErrorOf(table.Field(err)) >= kNoDetectionError) return kLimit;
  if (limit >= 0) {
    const std::string l = Lower(Trim(table.Field(limit)));
    if (l == "true" || l == "t" || l == "yes") return kLimit;
  }
  return nullptr;
}

}  // namespace

FormatRows ReadAsassnRows(const std::string& path, const ReadOptions&) {
  Table table(path);
  table.ReadHeader();
  const int hjd = table.Find("hjd");
  const int time = hjd >= 0 ? hjd : table.Require({"jd"}, "time column (HJD or jd)");
  const int mag = table.Require({"mag"}, "column mag");
  const int err = table.Find("mag_err");
  const int band = table.Find({"phot_filter", "filter"});
  const int quality = table.Find("quality");
  const int limit = table.Find("limit");

  RowSink sink(ObservationFormat::Asassn, hjd >= 0 ? "HJD" : "JD", err >= 0);
  while (table.Next()) {
    const char* reason = nullptr;
    if (quality >= 0 && Lower(Trim(table.Field(quality))) != "g") reason = kFlagged;
    if (reason == nullptr) reason = AsassnLimit(table, mag, err, limit);
    sink.Add(table.Field(band), reason, table.Field(time), table.Field(mag),
             ErrorOf(table.Field(err)));
  }
  return sink.Take();
}

}  // namespace korvel::formats
