// ZTF light curves as IRSA serves them, CSV or IPAC table: one row per
// exposure, bands zg, zr, zi by filtercode, catflags non-zero for a
// measurement the pipeline flagged.
#include <string>

#include "io/formats/rows.h"
#include "io/formats/table.h"

namespace korvel::formats {

FormatRows ReadZtfRows(const std::string& path, const ReadOptions&) {
  Table table(path);
  table.ReadHeader();
  const int hjd = table.Find("hjd");
  const int time = hjd >= 0 ? hjd : table.Require({"mjd"}, "time column (hjd or mjd)");
  const int mag = table.Require({"mag"}, "column mag");
  const int err = table.Find("magerr");
  const int flags = table.Find("catflags");
  const int band = table.Find("filtercode");

  RowSink sink(ObservationFormat::Ztf, hjd >= 0 ? "HJD" : "MJD", err >= 0);
  while (table.Next()) {
    double f = 0;
    const bool flagged = ParseValue(table.Field(flags), f) != Value::Missing && f != 0;
    sink.Add(table.Field(band), flagged ? kFlagged : nullptr, table.Field(time), table.Field(mag),
             ErrorOf(table.Field(err)));
  }
  return sink.Take();
}

}  // namespace korvel::formats
