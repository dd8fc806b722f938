// How an observation file is to be read (the plain format's column, Read
// zeros and date window, and the archives' format, band and columns) and what
// a load read. The analysis state keeps both, so that a reread, an analysis
// file and every report use the load's own choices.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

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

struct ReadOptions {
  // The plain format: which number after the date is the magnitude, and
  // whether a magnitude of exactly 0 is kept.
  int32_t column = 1;
  bool readZeros = false;
  // Window of accepted dates (after timeOffset), both ends included.
  double jdLow = -10000000;
  double jdHigh = 10000000;

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

// What a load read besides the observations. A plain file reads as the
// format Plain, no band, "JD", its observations as the rows read.
struct LoadedFormat {
  ObservationFormat format = ObservationFormat::Plain;
  // The file's own time system as the file names it: "JD", "HJD", "BJD",
  // "BJD-TDB", "BJD-TCB", "MJD", "reduced JD"; "JD" when the file says none.
  std::string timeSystem = "JD";
  std::string band;  // the band read; empty when the file names none
  // Every band of the file with its usable rows, most first.
  std::vector<std::pair<std::string, int64_t>> bands;
  bool flux = false;     // the magnitudes are flux (keepFlux on a flux file)
  int64_t rowsRead = 0;  // data rows of the band read, before any drop
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

}  // namespace korvel
