// Synthetic light-curve FITS files in the missions' layout, written with
// cfitsio: for the reader's tests, the fuzz seeds and sample files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvel::testing {

struct LightCurveFitsFile {
  // Primary header keywords; empty: not written.
  std::string telescope = "TESS", mission;
  // Table header keywords; unset or empty: not written.
  std::string extname = "LIGHTCURVE";
  std::optional<int64_t> bjdrefi = 2457000;
  std::optional<double> bjdreff = 0.0;
  std::string timesys = "TDB", timeref = "SOLARSYSTEM";
  // Column names; an empty name leaves the column out.
  std::string fluxColumn = "PDCSAP_FLUX", qualityColumn = "QUALITY";
  bool withErrors = true;
  bool timeAsText = false;  // TIME written as a text column (a wrong type)
  // One entry per row; err and quality may be empty (zeros written).
  std::vector<double> time, flux, err;
  std::vector<int32_t> quality;
};

// rows cadences of a sinusoid of the given period (days) and relative
// amplitude around flux 1000, two minutes apart from TIME 1500 (TESS-like) or
// half an hour apart from TIME 130 with SAP_QUALITY (Kepler-like).
LightCurveFitsFile TessLike(int rows, double period, double amplitude);
LightCurveFitsFile KeplerLike(int rows, double period, double amplitude);

// Writes the file (replacing one there); throws std::runtime_error with
// cfitsio's status text when it cannot.
void WriteLightCurveFits(const std::string& path, const LightCurveFitsFile& curve);

}  // namespace korvel::testing
