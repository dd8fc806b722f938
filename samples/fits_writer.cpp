#include "fits_writer.h"

#include <fitsio.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace korvel::testing {

namespace {

LightCurveFitsFile Sinusoid(int rows, double period, double amplitude, double start, double step) {
  LightCurveFitsFile s;
  for (int i = 0; i < rows; ++i) {
    const double t = start + i * step;
    s.time.push_back(t);
    s.flux.push_back(1000.0 * (1.0 + amplitude * std::sin(2 * std::numbers::pi * t / period)));
    s.err.push_back(0.5);
    s.quality.push_back(0);
  }
  return s;
}

void Check(int status, const char* what) {
  if (status == 0) return;
  char text[FLEN_STATUS] = {};
  fits_get_errstatus(status, text);
  fits_clear_errmsg();
  throw std::runtime_error(std::string("fits_writer: ") + what + ": " + text);
}

void Key(fitsfile* f, const char* name, const std::string& value, int* status) {
  if (!value.empty())
    fits_write_key(f, TSTRING, name, const_cast<char*>(value.c_str()), nullptr, status);
}

}  // namespace

LightCurveFitsFile TessLike(int rows, double period, double amplitude) {
  return Sinusoid(rows, period, amplitude, 1500.0, 2.0 / 1440.0);
}

LightCurveFitsFile KeplerLike(int rows, double period, double amplitude) {
  LightCurveFitsFile s = Sinusoid(rows, period, amplitude, 130.0, 0.5 / 24.0);
  s.telescope = "Kepler";
  s.bjdrefi = 2454833;
  s.qualityColumn = "SAP_QUALITY";
  return s;
}

void WriteLightCurveFits(const std::string& path, const LightCurveFitsFile& curve) {
  std::remove(path.c_str());
  fitsfile* f = nullptr;
  int status = 0;
  fits_create_diskfile(&f, path.c_str(), &status);
  Check(status, "create");
  fits_create_img(f, BYTE_IMG, 0, nullptr, &status);
  Key(f, "TELESCOP", curve.telescope, &status);
  Key(f, "MISSION", curve.mission, &status);

  std::vector<std::string> names{"TIME"}, forms{curve.timeAsText ? "16A" : "D"};
  if (!curve.fluxColumn.empty()) {
    names.push_back(curve.fluxColumn);
    forms.push_back("E");
    if (curve.withErrors) {
      names.push_back(curve.fluxColumn + "_ERR");
      forms.push_back("E");
    }
  }
  if (!curve.qualityColumn.empty()) {
    names.push_back(curve.qualityColumn);
    forms.push_back("J");
  }
  std::vector<char*> ttype, tform;
  for (auto& n : names) ttype.push_back(n.data());
  for (auto& t : forms) tform.push_back(t.data());
  std::string extname = curve.extname;
  const LONGLONG rows = static_cast<LONGLONG>(curve.time.size());
  fits_create_tbl(f, BINARY_TBL, rows, static_cast<int>(names.size()), ttype.data(), tform.data(),
                  nullptr, extname.empty() ? nullptr : extname.data(), &status);
  Check(status, "table");
  if (curve.bjdrefi) {
    long refi = static_cast<long>(*curve.bjdrefi);
    fits_write_key(f, TLONG, "BJDREFI", &refi, nullptr, &status);
  }
  if (curve.bjdreff) {
    double reff = *curve.bjdreff;
    fits_write_key(f, TDOUBLE, "BJDREFF", &reff, nullptr, &status);
  }
  Key(f, "TIMESYS", curve.timesys, &status);
  Key(f, "TIMEREF", curve.timeref, &status);
  Check(status, "keywords");

  int c = 1;
  if (curve.timeAsText) {
    std::vector<std::string> text;
    std::vector<char*> ptr;
    for (double t : curve.time) text.push_back(std::to_string(t));
    for (auto& t : text) ptr.push_back(t.data());
    fits_write_col(f, TSTRING, c++, 1, 1, rows, ptr.data(), &status);
  } else {
    std::vector<double> t = curve.time;
    fits_write_col(f, TDOUBLE, c++, 1, 1, rows, t.data(), &status);
  }
  auto filled = [&](const std::vector<double>& v, double fill) {
    std::vector<double> out = v;
    out.resize(curve.time.size(), fill);
    return out;
  };
  if (!curve.fluxColumn.empty()) {
    std::vector<double> flux = filled(curve.flux, 1000.0);
    fits_write_col(f, TDOUBLE, c++, 1, 1, rows, flux.data(), &status);
    if (curve.withErrors) {
      std::vector<double> err = filled(curve.err, 0.5);
      fits_write_col(f, TDOUBLE, c++, 1, 1, rows, err.data(), &status);
    }
  }
  if (!curve.qualityColumn.empty()) {
    std::vector<int> quality(curve.quality.begin(), curve.quality.end());
    quality.resize(curve.time.size(), 0);
    fits_write_col(f, TINT, c++, 1, 1, rows, quality.data(), &status);
  }
  Check(status, "columns");
  fits_close_file(f, &status);
  Check(status, "close");
}

}  // namespace korvel::testing
