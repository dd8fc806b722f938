// LoadedObservations as the archives give it: one entry point that recognises a
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

namespace korvel {

enum class ObservationFormat {
  Auto,            // recognised from the content
  Plain,           // blank-separated "date magnitude ..." lines
  Csv,             // CSV or TSV with a header naming the columns
  Aavso,           // the AAVSO data download (CSV or the older tab-separated form)
  AavsoExtended,   // AAVSO Extended Format (#TYPE=EXTENDED)
  Ztf,             // ZTF light curves (IRSA CSV or IPAC table)
  Gaia,            // Gaia DR3 epoch photometry (long or wide form)
  LightCurveFits,  // Kepler, K2 and TESS light-curve FITS
  Asassn,          // ASAS-SN light curves (v1 CSV, Sky Patrol v2)
};

// The name used by --format, in JSON and in messages ("csv", "aavso",
// "aavso-extended", "ztf", "gaia", "fits", "asassn", "plain", "auto").
const char* ObservationFormatName(ObservationFormat f);
// The format of a --format name; Auto for an unknown name is not given:
// an unknown name throws KorvelError listing the names.
ObservationFormat ObservationFormatOfName(const std::string& name);

struct FormatOptions {
  ObservationFormat format = ObservationFormat::Auto;
  // CSV: the columns chosen by name (case-insensitive) instead of found.
  std::string timeColumn, magColumn, errColumn;
  // The band to read; empty: the band with most rows (ties: the first seen).
  std::string band;
  // Added to every date (the user's shift of the file's own time system).
  double timeOffset = 0;
  // Light-curve FITS: keep the flux (and its error) instead of magnitudes.
  bool keepFlux = false;
};

// One band's observations, in date order (sorted where the file was not),
// duplicates kept.
struct LoadedObservations {
  ObservationFormat format = ObservationFormat::Plain;
  // The file's own time system as the file names it: "JD", "HJD", "BJD",
  // "BJD-TDB", "BJD-TCB", "MJD", "reduced JD"; "JD" when the file says none.
  std::string timeSystem = "JD";
  std::string band;  // the band read; empty when the file names none
  // Every band of the file with its usable rows, most first.
  std::vector<std::pair<std::string, int64_t>> bands;
  std::vector<double> jd, mag;
  std::vector<double> err;  // empty when the file gives no errors
  bool flux = false;        // mag holds flux (keepFlux on a flux file)
  int64_t rowsRead = 0;     // data rows of the band read, before any drop
  // Rows of the band read left out, by reason: "flagged", "limit",
  // "missing", "rejected", "non-finite".
  std::map<std::string, int64_t> dropped;
  bool sorted = false;  // the dates were out of order and were sorted
  int64_t RowsDropped() const {
    int64_t n = 0;
    for (const auto& [reason, count] : dropped) n += count;
    return n;
  }
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
LoadedObservations SelectBand(FormatRows rows, const FormatOptions& options);

// A file that cannot be read as its format: the message names the file and
// the line (text) or the HDU and row (FITS). Nothing is half read.
class FormatError : public KorvelError {
 public:
  using KorvelError::KorvelError;
};

// The format of the file's content: the FITS signature, a header line's
// column names, AAVSO's keywords; Plain when nothing else fits.
ObservationFormat DetectObservationFormat(const std::string& path);

// Reads the file (format from options, or detected). For Plain it throws:
// the blank-separated format is read by LoadObservations. Throws
// FormatError for a file it cannot read and FileError for one it cannot
// open.
LoadedObservations ReadObservations(const std::string& path, const FormatOptions& options);

// "ZTF zr: 412 of 440 rows (28 flagged, 0 limits)": what was read and dropped.
std::string DroppedRowsText(const LoadedObservations& p);

}  // namespace korvel
