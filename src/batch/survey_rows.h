// The rows of a survey: one per star and method, as CSV (a header line, then
// records quoted where a field holds a comma, a quote or a line end) or as
// JSON lines with the same fields (and, for a star read in an archive's
// format, what the load read). Numbers are written in their shortest form
// that reads back as the same double. Reading an earlier output back (for
// --resume) finds its complete rows and where the last one ends.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "core/read_options.h"

namespace korvel::batch {

inline constexpr int kDefaultTop = 5;
inline constexpr int kMaxTop = 20;  // the best list's length

struct BestEntry {
  double period = 0, statistic = 0, frequency = 0;
};

// A distinct peak as a row holds it; for the adopted period its value, and
// where it came from and why in the label.
struct PeakEntry {
  double period = 0;            // fitted where the fit holds, else the grid's
  std::optional<double> error;  // analytic, of the fitted period
  std::optional<double> fap;    // reshuffled where computed, else analytic
  std::string label;            // empty when none applies
};

// How many of the repeated columns a row has: places of the best list and
// distinct peaks.
struct RowLayout {
  int top = kDefaultTop;
  int peaks = 0;
};

// Fields that do not apply (a star not read, a method without them) are
// empty: nothing.
struct SurveyRow {
  std::string file;    // as given on the command line or in the list
  std::string method;  // "lk", "deeming", "secondary", "adopted"
  std::optional<int32_t> nobs;
  std::optional<double> span;  // JD[NObs] - JD[1]
  std::optional<int64_t> trials;
  std::vector<BestEntry> best;                     // the first places of the best list, or none
  std::optional<double> sigma, level99, level999;  // Deeming only
  std::vector<PeakEntry> peaks;                    // the first distinct peaks, or none
  std::string status;                              // the final status line
  std::string error;                               // empty when the star was read and searched
  // What the load read, for a star in an archive's format; nothing for a
  // plain file or a star not read. JSON lines only: the CSV columns, and a
  // plain star's keys, stay those of a survey of plain files.
  std::optional<LoadedFormat> read;
  // The whole multi-frequency fit of a fit row (its "fit" key, after "error",
  // in JSON lines); nothing for other rows. The CSV columns stay the same.
  std::optional<nlohmann::ordered_json> fit;
};

enum class RowFormat { Csv, JsonLines };

// JSON lines for a name ending in ".jsonl", CSV for any other.
RowFormat FormatForFile(std::string_view fileName);

// file, method, nobs, span, trials, period_1, statistic_1, frequency_1, ...,
// period_top, ..., sigma, level99, level999, peak_period_1, peak_error_1,
// peak_fap_1, peak_label_1, ..., peak_label_peaks, status, error.
std::vector<std::string> SurveyColumns(const RowLayout& layout);

// The CSV header line (with its line end); nothing for JSON lines.
std::string HeaderText(RowFormat format, const RowLayout& layout);

// One record with its line end. Places beyond row.best and row.peaks are
// left empty. A JSON-lines record of a fit row adds "fit" after "error"; one
// of a row with read adds "format", "band", "time_system", "rows_read" and
// "rows_dropped" after those.
std::string RowText(const SurveyRow& row, RowFormat format, const RowLayout& layout);

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote,
// a line end or leading or trailing blanks; as it is otherwise.
std::string CsvField(std::string_view text);

// The complete rows of an earlier output: their (file, method) pairs, and
// the length of the text up to the end of the last complete record. A record
// not ended by its line end (a run killed while writing) lies beyond it.
struct ExistingRows {
  size_t completeLength = 0;
  bool hasHeader = false;  // CSV only
  std::set<std::pair<std::string, std::string>> done;
};

// The rows of text, or the reason it cannot be resumed: a header (CSV) or a
// record's keys (JSON lines) that are not the columns of layout (a record
// may end with the keys of what its load read), or a row the
// survey would not have written, named by its number (an unknown method, a
// count that is not a whole number, a number that is not one, a NUL byte).
// Both formats are held to the same rule.
std::variant<ExistingRows, std::string> ReadExistingRows(std::string_view text, RowFormat format,
                                                         const RowLayout& layout);

// CSV records split into fields. A record cut off before its line end is
// not returned; completeLength, when given, receives where the last complete
// one ends.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text,
                                               size_t* completeLength = nullptr);

}  // namespace korvel::batch
