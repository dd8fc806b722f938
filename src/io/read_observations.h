// Observations as the archives give them: one entry point that recognises a
// file's format from its content (or takes it from the caller), reads every
// row into values, drops what must not be used (flagged rows, upper limits,
// missing values) with a count per reason, and hands back one band's dates,
// magnitudes and errors. The blank-separated observation format keeps its own
// reader (io/observation_file.h): this entry point only recognises it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/read_options.h"

namespace korvel {

// The name used by --format, in JSON and in messages ("csv", "aavso",
// "aavso-extended", "ztf", "gaia", "fits", "asassn", "plain", "auto").
const char* ObservationFormatName(ObservationFormat f);
// The format of a --format name; Auto for an unknown name is not given:
// an unknown name throws KorvelError listing the names.
ObservationFormat ObservationFormatOfName(const std::string& name);
// The name shown to people ("CSV", "AAVSO Extended", "ZTF", "Plain"; "" for
// Auto), as status lines and messages give it.
const char* ObservationFormatLabel(ObservationFormat f);

// One band's observations, in date order (sorted where the file was not),
// duplicates kept, with what was read and dropped.
struct LoadedObservations : LoadedFormat {
  std::vector<double> jd, mag;
  std::vector<double> err;  // empty when the file gives no errors
};

// Every row a reader kept, of every band, in file order, with what it
// dropped per band: the one shape all readers hand to SelectBand.
struct FormatRows {
  ObservationFormat format = ObservationFormat::Plain;
  std::string timeSystem = "JD";
  bool flux = false;
  bool hasErrors = false;
  std::vector<double> time, value, err;     // err NaN where a row has none
  std::vector<std::string> band;            // per row; empty strings without bands
  std::map<std::string, int64_t> rowsRead;  // per band, before drops
  std::map<std::string, std::map<std::string, int64_t>> dropped;  // per band, per reason
};

// One band of the rows (options.band, or the band with most rows), shifted by
// options.timeOffset and in date order. An unknown band throws
// FormatError naming the bands there are.
LoadedObservations SelectBand(FormatRows rows, const ReadOptions& options);

// A file that cannot be read as its format: the message names the file and
// the line (text) or the HDU and row (FITS). Nothing is half read.
class FormatError : public KorvelError {
 public:
  using KorvelError::KorvelError;
};

// The format of the file's content: the FITS signature, a header line's
// column names, AAVSO's keywords; Csv for a header line no format claims;
// Plain for a file that begins with a number, an empty file and one that is
// no text (the plain reader has its own rules for those).
ObservationFormat DetectObservationFormat(const std::string& path);

// Reads the file (format from options, or detected). For Plain it throws:
// the blank-separated format is read by LoadObservations. Throws
// FormatError for a file it cannot read and FileError for one it cannot
// open.
LoadedObservations ReadObservations(const std::string& path, const ReadOptions& options);

// "ZTF zr: 412 of 440 rows (28 flagged, 0 limits)": what was read and dropped.
std::string DroppedRowsText(const LoadedFormat& p);

}  // namespace korvel
