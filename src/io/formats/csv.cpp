// CSV or TSV (or blank-separated) tables whose header names the columns:
// found by their usual names, or chosen by the caller.
#include <string>

#include "io/formats/rows.h"
#include "io/formats/table.h"

namespace korvel::formats {

namespace {

// The column the caller named, or the first of the usual names.
int Pick(const Table& table, const std::string& chosen,
         std::initializer_list<std::string_view> usual, const std::string& what, bool required) {
  if (!chosen.empty()) {
    const int c = table.Find(Lower(chosen));
    if (c < 0) table.Fail("no column \"" + chosen + "\"; the columns are: " + table.ColumnList());
    return c;
  }
  return required ? table.Require(usual, what) : table.Find(usual);
}

std::string TimeSystemOf(const std::string& column) {
  if (column == "hjd") return "HJD";
  if (column == "bjd") return "BJD";
  if (column == "mjd") return "MJD";
  return "JD";
}

}  // namespace

FormatRows ReadCsvRows(const std::string& path, const ReadOptions& options) {
  Table table(path);
  table.ReadHeader();
  const int time = Pick(table, options.timeColumn, {"time", "jd", "hjd", "bjd", "mjd", "date"},
                        "time column (time, jd, hjd, bjd, mjd or date)", true);
  int mag = Pick(table, options.magColumn, {"mag", "magnitude"}, "", false);
  const int flux = options.magColumn.empty() ? table.Find("flux") : -1;
  if (mag < 0 && flux < 0)
    table.Fail("no magnitude column (mag, magnitude or flux); the columns are: " +
               table.ColumnList());
  const bool fromFlux = mag < 0;
  const int err = fromFlux ? table.Find({"flux_err", "flux_error"})
                           : Pick(table, options.errColumn,
                                  {"err", "magerr", "mag_err", "error", "uncertainty"}, "", false);
  const int band = table.Find({"band", "filter", "filtercode"});

  RowSink sink(ObservationFormat::Csv, TimeSystemOf(table.Columns()[time]), err >= 0);
  if (fromFlux && options.keepFlux) sink.KeepFlux();
  while (table.Next()) {
    if (fromFlux) {
      sink.AddFlux(table.Field(band), nullptr, table.Field(time), table.Field(flux),
                   table.Field(err));
    } else {
      const std::string_view m = table.Field(mag);
      sink.Add(table.Field(band), LimitReason(m), table.Field(time), m, ErrorOf(table.Field(err)));
    }
  }
  return sink.Take();
}

}  // namespace korvel::formats
