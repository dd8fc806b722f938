// The AAVSO's two layouts: the data download (CSV, or the older
// tab-separated form) with a header, and the Extended Format observers
// submit, headerless rows after "#KEY=VALUE" lines.
#include <string>

#include "io/formats/rows.h"
#include "io/formats/table.h"

namespace korvel::formats {

// Julian date of the spreadsheet day count 0 (1899-12-30 0h).
constexpr double kExcelDayZeroJd = 2415018.5;

FormatRows ReadAavsoRows(const std::string& path, const ReadOptions&) {
  Table table(path);
  table.ReadHeader();
  const int time = table.Require({"jd"}, "column JD");
  const int mag = table.Require({"magnitude"}, "column Magnitude");
  const int err = table.Find("uncertainty");
  const int band = table.Find("band");
  // Older downloads mark fainter-than estimates in a column of their own.
  const int fainter = table.Find({"fainter than", "fainterthan", "fainter_than"});

  RowSink sink(ObservationFormat::Aavso, "JD", err >= 0);
  while (table.Next()) {
    const std::string_view m = table.Field(mag);
    const char* reason = LimitReason(m);
    if (reason == nullptr && fainter >= 0 && IsTrue(table.Field(fainter))) reason = kLimit;
    sink.Add(table.Field(band), reason, table.Field(time), m, ErrorOf(table.Field(err)));
  }
  return sink.Take();
}

namespace {

char DelimiterOf(const Table& table, const std::string* delim) {
  if (delim == nullptr) return ',';
  const std::string word = Lower(Trim(*delim));
  if (word.empty()) return delim->find('\t') != std::string::npos ? '\t' : ',';
  if (word == "comma") return ',';
  if (word == "tab") return '\t';
  if (word == "semicolon") return ';';
  if (word == "pipe") return '|';
  if (word.size() == 1 && word[0] != '#' && word[0] != '"') return word[0];
  table.Fail("#DELIM=" + *delim + ": the delimiter must be one character, comma or tab");
}

}  // namespace

FormatRows ReadAavsoExtendedRows(const std::string& path, const ReadOptions&) {
  Table table(path);
  const std::string* type = table.Keyword("TYPE");
  if (type == nullptr || Lower(Trim(*type)) != "extended")
    table.Fail("no #TYPE=EXTENDED line: not an AAVSO Extended Format file");
  const char delimiter = DelimiterOf(table, table.Keyword("DELIM"));
  std::string timeSystem = "JD";
  double timeAdd = 0;
  if (const std::string* date = table.Keyword("DATE")) {
    const std::string d = Lower(Trim(*date));
    if (d == "hjd") {
      timeSystem = "HJD";
    } else if (d == "excel") {
      // Spreadsheet day counts become Julian dates.
      timeAdd = kExcelDayZeroJd;
    } else if (d != "jd") {
      table.Fail("#DATE=" + *date + ": the dates must be JD, HJD or EXCEL");
    }
  }
  table.UseColumns({"starid", "date", "magnitude", "magerr", "filter", "trans", "mtype", "cname",
                    "cmag", "kname", "kmag", "amass", "group", "chart", "notes"},
                   delimiter, 5);
  RowSink sink(ObservationFormat::AavsoExtended, timeSystem, true);
  while (table.Next()) {
    const std::string_view m = table.Field(2);
    sink.Add(table.Field(4), LimitReason(m), table.Field(1), m, ErrorOf(table.Field(3)), timeAdd);
  }
  return sink.Take();
}

}  // namespace korvel::formats
