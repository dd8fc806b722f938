// Kepler, K2 and TESS light curves through cfitsio: one binary table of TIME,
// flux, flux error and a quality word per cadence, with the time reference and
// the mission in the headers.
#include "io/formats/lightcurve_fits.h"

#include <fitsio.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace korvel {

bool HasFitsSignature(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[9] = {};
  in.read(head, 9);
  return in.gcount() == 9 && std::memcmp(head, "SIMPLE  =", 9) == 0;
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Closes the file on every way out; a failed close of a file only read loses
// nothing, so its status is dropped.
struct FitsCloser {
  void operator()(fitsfile* f) const {
    int status = 0;
    fits_close_file(f, &status);
  }
};
using FitsHandle = std::unique_ptr<fitsfile, FitsCloser>;

// Where a failure happened, for the message: the file, the HDU once known.
struct Place {
  std::string path;
  int hdu = 0;          // 1-based; 0 before one is chosen
  std::string extname;  // of that HDU, when it has one

  std::string Text() const {
    std::string t = path;
    if (hdu > 0) {
      t += ": HDU " + std::to_string(hdu);
      if (!extname.empty()) t += " (" + extname + ")";
    }
    return t;
  }
};

std::string Trimmed(std::string s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return s.substr(i);
}

// cfitsio's own account of a failure: the status text and the oldest message
// of its error stack, which is then cleared so that the next file starts clean.
std::string CfitsioText(int status) {
  char statusText[FLEN_STATUS] = {};
  fits_get_errstatus(status, statusText);
  std::string text = "cfitsio: ";
  text += statusText;
  char message[FLEN_ERRMSG] = {};
  if (fits_read_errmsg(message) != 0) {
    // Its messages often end in ':' before a line that names the file.
    std::string detail = Trimmed(message);
    while (!detail.empty() && (detail.back() == ':' || detail.back() == ' ')) detail.pop_back();
    if (!detail.empty()) text += "; " + detail;
  }
  fits_clear_errmsg();
  return text;
}

[[noreturn]] void Fail(const Place& at, const std::string& what, int status = 0) {
  std::string text = at.Text() + ": " + what;
  if (status != 0) text += " (" + CfitsioText(status) + ")";
  fits_clear_errmsg();
  throw FormatError(text);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A header keyword of the current HDU, or nothing when it is absent or not of
// the asked type.
std::optional<std::string> StringKey(fitsfile* f, const char* name) {
  char value[FLEN_VALUE] = {};
  int status = 0;
  if (fits_read_key(f, TSTRING, name, value, nullptr, &status) != 0) {
    fits_clear_errmsg();
    return std::nullopt;
  }
  return Trimmed(value);
}

std::optional<double> NumberKey(fitsfile* f, const char* name) {
  double value = 0;
  int status = 0;
  if (fits_read_key(f, TDOUBLE, name, &value, nullptr, &status) != 0 || !std::isfinite(value)) {
    fits_clear_errmsg();
    return std::nullopt;
  }
  return value;
}

// The headers that matter: the table's own first, the primary header's where
// the table has none (missions put TELESCOP and MISSION there).
struct Headers {
  std::optional<std::string> telescope, mission, timesys, timeref;
  std::optional<double> bjdrefi, bjdreff, bjdref;

  void Take(fitsfile* f) {
    auto fill = [](auto& slot, auto value) {
      if (!slot) slot = std::move(value);
    };
    fill(telescope, StringKey(f, "TELESCOP"));
    fill(mission, StringKey(f, "MISSION"));
    fill(timesys, StringKey(f, "TIMESYS"));
    fill(timeref, StringKey(f, "TIMEREF"));
    fill(bjdrefi, NumberKey(f, "BJDREFI"));
    fill(bjdreff, NumberKey(f, "BJDREFF"));
    fill(bjdref, NumberKey(f, "BJDREF"));
  }

  // "Kepler", "K2", "TESS" as the missions write themselves; another
  // instrument keeps its own name.
  std::string Band() const {
    for (const auto* key : {&mission, &telescope}) {
      if (!*key || (*key)->empty()) continue;
      const std::string u = Upper(**key);
      if (u == "K2") return "K2";
      if (u == "KEPLER") return "Kepler";
      if (u == "TESS") return "TESS";
      if (key == &telescope) return **key;
    }
    return {};
  }

  // BJDREFI + BJDREFF (or BJDREF); without them the mission's own zero point.
  double Reference(const std::string& band) const {
    if (bjdrefi || bjdreff) return bjdrefi.value_or(0) + bjdreff.value_or(0);
    if (bjdref) return *bjdref;
    if (band == "TESS") return 2457000.0;
    if (band == "Kepler" || band == "K2") return 2454833.0;
    return 0;
  }

  std::string TimeSystem(const std::string& band) const {
    const std::string sys = Upper(timesys.value_or(""));
    const std::string ref = Upper(timeref.value_or(""));
    const bool mission = band == "TESS" || band == "Kepler" || band == "K2";
    if (ref == "HELIOCENTRIC") return "HJD";
    if (ref == "SOLARSYSTEM" || ref == "BARYCENTRIC" || (ref.empty() && mission)) {
      if (sys == "TCB") return "BJD-TCB";
      if (sys == "TDB" || (sys.empty() && mission)) return "BJD-TDB";
      return "BJD";
    }
    return "JD";
  }
};

// The LIGHTCURVE extension, else the first binary table after the primary
// HDU. Leaves the file positioned on it and names it in the place.
void MoveToTable(fitsfile* f, Place& at) {
  int status = 0;
  char name[] = "LIGHTCURVE";
  if (fits_movnam_hdu(f, BINARY_TBL, name, 0, &status) == 0) {
    int number = 0;
    fits_get_hdu_num(f, &number);
    at.hdu = number;
    at.extname = name;
    return;
  }
  if (status != BAD_HDU_NUM) Fail(at, "the HDUs cannot be read", status);
  fits_clear_errmsg();
  status = 0;
  for (int hdu = 2;; ++hdu) {
    int type = 0;
    if (fits_movabs_hdu(f, hdu, &type, &status) != 0) {
      if (status == END_OF_FILE || status == BAD_HDU_NUM) {
        fits_clear_errmsg();
        at.hdu = 0;
        Fail(at, "no LIGHTCURVE extension and no binary table among its " +
                     std::to_string(hdu - 1) + " HDU(s)");
      }
      at.hdu = hdu;
      Fail(at, "its header cannot be read", status);
    }
    if (type == BINARY_TBL) {
      at.hdu = hdu;
      at.extname = StringKey(f, "EXTNAME").value_or("");
      return;
    }
  }
}

// A column by name (case-insensitive), or -1 when the table has none; it must
// hold one number per row.
int FindColumn(fitsfile* f, const Place& at, const char* name) {
  int column = 0, status = 0;
  std::string exact = name;  // cfitsio takes a mutable template
  // Two columns of one name: the first is the one meant, as elsewhere.
  if (fits_get_colnum(f, CASEINSEN, exact.data(), &column, &status) != 0 &&
      status != COL_NOT_UNIQUE) {
    fits_clear_errmsg();
    return -1;
  }
  status = 0;
  fits_clear_errmsg();
  int type = 0;
  LONGLONG repeat = 0, width = 0;
  if (fits_get_coltypell(f, column, &type, &repeat, &width, &status) != 0)
    Fail(at, std::string("the type of column ") + name + " cannot be read", status);
  const bool numeric = type == TBYTE || type == TSBYTE || type == TSHORT || type == TUSHORT ||
                       type == TINT || type == TUINT || type == TLONG || type == TULONG ||
                       type == TLONGLONG || type == TULONGLONG || type == TFLOAT || type == TDOUBLE;
  if (!numeric || repeat != 1)
    Fail(at, std::string("column ") + name + " does not hold one number per row");
  return column;
}

// The first of the names the table has, with the name found.
std::pair<int, std::string> RequireColumn(fitsfile* f, const Place& at,
                                          std::initializer_list<const char*> names) {
  std::string tried;
  for (const char* name : names) {
    if (int column = FindColumn(f, at, name); column > 0) return {column, name};
    tried += tried.empty() ? name : std::string(" or ") + name;
  }
  Fail(at, "no column " + tried);
}

// Rows first .. first + count - 1 of a column as doubles; cfitsio's null
// values become NaN.
int ReadChunk(fitsfile* f, int column, LONGLONG first, LONGLONG count, double* out) {
  int status = 0, anyNull = 0;
  double null = kNaN;
  fits_read_col(f, TDOUBLE, column, first, 1, count, &null, out, &anyNull, &status);
  return status;
}

// cfitsio trusts its headers more than a hostile file deserves: a card value
// of 70 unquoted characters in TTYPEn overruns one of its buffers (4.2). Every
// header card is checked before cfitsio parses it: printable ASCII, as FITS
// requires, and an unquoted value short enough for any number or logical.
void CheckHeaders(const std::string& path, Place& at) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  const auto size = static_cast<long long>(std::filesystem::file_size(path, ec));
  if (ec) return;
  constexpr long long kBlock = 2880;
  long long offset = 0;
  // A header cut short is checked as far as it goes: cfitsio parses its cards
  // before it finds the block incomplete.
  for (int hdu = 1; offset + 80 <= size; ++hdu) {
    at.hdu = hdu;
    std::map<std::string, long long> sizes;  // BITPIX, NAXIS, NAXISn, PCOUNT, GCOUNT
    bool end = false;
    for (int card = 1; !end; ++card) {
      char text[80];
      in.seekg(offset);
      if (!in.read(text, 80)) return;  // cut short: cfitsio says so
      offset += 80;
      for (char c : text)
        if (c < 0x20 || c > 0x7e)
          Fail(at, "header card " + std::to_string(card) + " is not printable ASCII");
      const std::string key = Trimmed(std::string(text, 8));
      end = key == "END";
      if (text[8] != '=' || text[9] != ' ') continue;
      std::string value(text + 10, 70);
      if (value.find('\'') != std::string::npos) continue;
      value = Trimmed(value.substr(0, value.find('/')));
      if (value.size() > 68)
        Fail(at, "header card " + std::to_string(card) + " (" + key + ") has an overlong value");
      if (key == "BITPIX" || key == "PCOUNT" || key == "GCOUNT" || key.rfind("NAXIS", 0) == 0) {
        char* stop = nullptr;
        const long long v = std::strtoll(value.c_str(), &stop, 10);
        if (stop == value.c_str() || v < -64 || v > size) return;  // cfitsio's to judge
        sizes[key] = v;
      }
    }
    // The data unit, to find the next header; an absurd one ends the walk.
    long long data = 0;
    if (sizes["NAXIS"] > 0) {
      data = std::max(1LL, std::abs(sizes["BITPIX"]) / 8);
      long long cells = 1;
      for (long long i = 1; i <= sizes["NAXIS"] && i <= 999; ++i) {
        cells *= sizes["NAXIS" + std::to_string(i)];
        if (cells < 0 || cells > size) return;
      }
      const long long groups = sizes.count("GCOUNT") ? sizes["GCOUNT"] : 1;
      data *= groups * (cells + sizes["PCOUNT"]);
      if (data < 0 || data > size) return;
    }
    offset = (offset + kBlock - 1) / kBlock * kBlock;
    offset += (data + kBlock - 1) / kBlock * kBlock;
  }
}

}  // namespace

FormatRows ReadLightCurveFits(const std::string& path, const ReadOptions& options) {
  {
    std::ifstream probe(path, std::ios::binary);
    if (!probe) throw FileError::FromErrno(errno, path, false);
  }
  Place at{path, 0, {}};
  // Compressed or foreign files would be unpacked or guessed at by cfitsio:
  // only a FITS file as it is goes further.
  if (!HasFitsSignature(path)) Fail(at, "not a FITS file (it does not begin with SIMPLE  =)");

  CheckHeaders(path, at);
  at.hdu = 0;

  // The disk-file open takes the name literally: brackets and the like in a
  // file name are not cfitsio's filters.
  fitsfile* raw = nullptr;
  int status = 0;
  if (fits_open_diskfile(&raw, path.c_str(), READONLY, &status) != 0) {
    if (raw != nullptr) FitsCloser{}(raw);
    at.hdu = 1;
    Fail(at, "cannot be read as FITS", status);
  }
  FitsHandle file(raw);
  fitsfile* f = file.get();

  Headers headers;
  MoveToTable(f, at);
  headers.Take(f);
  {
    int type = 0;
    if (fits_movabs_hdu(f, 1, &type, &status) == 0) headers.Take(f);
    status = 0;
    fits_clear_errmsg();
    if (fits_movabs_hdu(f, at.hdu, &type, &status) != 0) Fail(at, "cannot be read", status);
  }

  const int timeColumn = RequireColumn(f, at, {"TIME"}).first;
  const auto [fluxColumn, fluxName] = RequireColumn(f, at, {"PDCSAP_FLUX", "SAP_FLUX"});
  const int errColumn = FindColumn(f, at, (fluxName + "_ERR").c_str());
  int qualityColumn = FindColumn(f, at, "QUALITY");
  if (qualityColumn < 0) qualityColumn = FindColumn(f, at, "SAP_QUALITY");

  LONGLONG rows = 0, rowWidth = 0, headStart = 0, dataStart = 0, dataEnd = 0;
  if (fits_get_num_rowsll(f, &rows, &status) != 0 ||
      fits_read_key(f, TLONGLONG, "NAXIS1", &rowWidth, nullptr, &status) != 0 ||
      fits_get_hduaddrll(f, &headStart, &dataStart, &dataEnd, &status) != 0)
    Fail(at, "the table's size cannot be read", status);
  // A table longer than the file is cut short: say where, before reading
  // (and before trusting a row count to size anything).
  if (rows > 0 && rowWidth <= 0) Fail(at, "the table's rows have no width (NAXIS1)");
  std::error_code ec;
  const auto fileSize = static_cast<LONGLONG>(std::filesystem::file_size(path, ec));
  if (!ec && rowWidth > 0 && rows > (fileSize - dataStart) / rowWidth) {
    const LONGLONG whole = std::max<LONGLONG>(0, (fileSize - dataStart) / rowWidth);
    Fail(at, "row " + std::to_string(whole + 1) + " of " + std::to_string(rows) +
                 " lies past the end of the file (the file is truncated)");
  }

  const std::string band = headers.Band();
  const double reference = headers.Reference(band);
  FormatRows out;
  out.format = ObservationFormat::LightCurveFits;
  out.timeSystem = headers.TimeSystem(band);
  out.flux = options.keepFlux;
  out.hasErrors = errColumn > 0;
  int64_t flagged = 0, nonFinite = 0;

  // cfitsio's preferred chunk: the rows its buffers hold at once.
  long chunk = 0;
  if (fits_get_rowsize(f, &chunk, &status) != 0 || chunk < 1) {
    chunk = 1000;
    status = 0;
    fits_clear_errmsg();
  }
  chunk = std::min<long>(chunk, 1 << 16);
  std::vector<double> time(chunk), flux(chunk), err(chunk, kNaN), quality(chunk, 0.0);
  const std::pair<int, double*> reads[] = {{timeColumn, time.data()},
                                           {fluxColumn, flux.data()},
                                           {errColumn, err.data()},
                                           {qualityColumn, quality.data()}};
  const double magErr = 2.5 / std::log(10.0);
  for (LONGLONG first = 1; first <= rows; first += chunk) {
    const LONGLONG n = std::min<LONGLONG>(chunk, rows - first + 1);
    for (const auto& [column, into] : reads) {
      if (column < 0) continue;
      if (int s = ReadChunk(f, column, first, n, into); s != 0) {
        // Name the first row that fails, not just its chunk.
        fits_clear_errmsg();
        LONGLONG bad = first;
        for (LONGLONG r = first; r < first + n; ++r) {
          double one = 0;
          if ((s = ReadChunk(f, column, r, 1, &one)) != 0) {
            bad = r;
            break;
          }
        }
        Fail(at, "row " + std::to_string(bad) + " cannot be read", s != 0 ? s : READ_ERROR);
      }
    }
    for (LONGLONG i = 0; i < n; ++i) {
      if (quality[i] != 0) {
        ++flagged;
        continue;
      }
      const double t = time[i], fl = flux[i];
      if (!std::isfinite(t) || !std::isfinite(fl) || (!options.keepFlux && fl <= 0)) {
        ++nonFinite;
        continue;
      }
      const double e = std::isfinite(err[i]) ? err[i] : kNaN;
      out.time.push_back(reference + t);
      if (options.keepFlux) {
        out.value.push_back(fl);
        out.err.push_back(e);
      } else {
        out.value.push_back(-2.5 * std::log10(fl));
        out.err.push_back(magErr * e / fl);
      }
    }
  }
  fits_clear_errmsg();

  out.band.assign(out.time.size(), band);
  out.rowsRead[band] = rows;
  out.dropped[band]["flagged"] = flagged;
  out.dropped[band]["non-finite"] = nonFinite;
  return out;
}

}  // namespace korvel
