// What every text photometry reader does with one row once its format has
// found the fields: count it for its band, drop it with a reason (the
// format's own flag first, then a missing or non-finite value), or keep its
// date, value and error. Also the table of readers the entry point chooses
// from.
#pragma once

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <string_view>

#include "io/read_observations.h"

namespace korvel::formats {

inline constexpr double kNoError = std::numeric_limits<double>::quiet_NaN();
// 2.5 / ln 10: a relative flux error as a magnitude error.
inline constexpr double kMagPerRelativeFlux = 1.0857362047581294;

enum class Value { Ok, Missing, NonFinite };

// A number of a field: empty or not a number (e.g. "na", "null", "<12.1")
// is Missing; "nan" or "inf" or an overflow is NonFinite.
Value ParseValue(std::string_view field, double& v);
// The field as an error: the number when finite, else kNoError.
double ErrorOf(std::string_view field);
// "true", "t", "yes", "y" or a non-zero number, in any case.
bool IsTrue(std::string_view field);
// kLimit for a magnitude marked as a limit ('<' or '>' before it), else
// nullptr.
const char* LimitReason(std::string_view magnitude);
// The magnitude error of a flux and its error (kNoError where either fails).
double FluxMagError(double flux, std::string_view fluxError);

// Drop reasons, as LoadedObservations::dropped keys them.
inline constexpr const char* kFlagged = "flagged";
inline constexpr const char* kLimit = "limit";
inline constexpr const char* kMissing = "missing";
inline constexpr const char* kRejected = "rejected";
inline constexpr const char* kNonFinite = "non-finite";

class RowSink {
 public:
  RowSink(ObservationFormat format, std::string timeSystem, bool hasErrors);

  // One row of `band`: dropped for `reason` when given, else by its time and
  // value (a magnitude), else kept; `timeAdd` makes a relative time absolute.
  void Add(std::string_view band, const char* reason, std::string_view time, std::string_view value,
           double err, double timeAdd = 0);
  // The same with a flux: kept as a magnitude (-2.5 log10 F, its error
  // 1.0857 sigma_F / F) unless the rows hold flux; F <= 0 is non-finite.
  void AddFlux(std::string_view band, const char* reason, std::string_view time,
               std::string_view flux, std::string_view fluxError, double timeAdd = 0);

  void KeepFlux() { rows_.flux = true; }
  FormatRows Take() { return std::move(rows_); }

 private:
  // Counts a row of the band and returns its drop counters.
  std::map<std::string, int64_t>& Count(std::string_view band);
  void Judge(std::string_view band, const char* reason, std::string_view time, Value value,
             double v, double err, double timeAdd);
  void Keep(std::string_view band, double t, double v, double e);

  FormatRows rows_;
  std::string lastBand_ = "\x01";
  int64_t* lastRead_ = nullptr;
  std::map<std::string, int64_t>* lastDropped_ = nullptr;
};

// The readers of the text formats, one per format; each throws
// FormatError "file:line: what" for a file it cannot read.
FormatRows ReadCsvRows(const std::string& path, const ReadOptions& options);
FormatRows ReadAavsoRows(const std::string& path, const ReadOptions& options);
FormatRows ReadAavsoExtendedRows(const std::string& path, const ReadOptions& options);
FormatRows ReadZtfRows(const std::string& path, const ReadOptions& options);
FormatRows ReadGaiaRows(const std::string& path, const ReadOptions& options);
FormatRows ReadAsassnRows(const std::string& path, const ReadOptions& options);

}  // namespace korvel::formats
