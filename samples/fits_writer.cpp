#include "fits_writer.h"

#include <fitsio.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <stdexcept>

namespace korvel::testing {

namespace {

LightCurveFitsSpec Sinusoid(int rows, double period, double amplitude, double start, double step) {
  LightCurveFitsSpec s;
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

LightCurveFitsSpec TessLike(int rows, double period, double amplitude) {
  return Sinusoid(rows, period, amplitude, 1500.0, 2.0 / 1440.0);
}

LightCurveFitsSpec KeplerLike(int rows, double period, double amplitude) {
  LightCurveFitsSpec s = Sinusoid(rows, period, amplitude, 130.0, 0.5 / 24.0);
  s.telescope = "Kepler";
  s.bjdrefi = 2454833;
  s.qualityColumn = "SAP_QUALITY";
  return s;
}

void WriteLightCurveFits(const std::string& path, const LightCurveFitsSpec& spec) {
  std::remove(path.c_str());
  fitsfile* f = nullptr;
  int status = 0;
  fits_create_diskfile(&f, path.c_str(), &status);
  Check(status, "create");
  fits_create_img(f, BYTE_IMG, 0, nullptr, &status);
  Key(f, "TELESCOP", spec.telescope, &status);
  Key(f, "MISSION", spec.mission, &status);

  std::vector<std::string> names{"TIME"}, forms{spec.timeAsText ? "16A" : "D"};
  if (!spec.fluxColumn.empty()) {
    names.push_back(spec.fluxColumn);
    forms.push_back("E");
    if (spec.withErrors) {
      names.push_back(spec.fluxColumn + "_ERR");
      forms.push_back("E");
    }
  }
  if (!spec.qualityColumn.empty()) {
    names.push_back(spec.qualityColumn);
    forms.push_back("J");
  }
  std::vector<char*> ttype, tform;
  for (auto& n : names) ttype.push_back(n.data());
  for (auto& t : forms) tform.push_back(t.data());
  std::string extname = spec.extname;
  const LONGLONG rows = static_cast<LONGLONG>(spec.time.size());
  fits_create_tbl(f, BINARY_TBL, rows, static_cast<int>(names.size()), ttype.data(), tform.data(),
                  nullptr, extname.empty() ? nullptr : extname.data(), &status);
  Check(status, "table");
  if (spec.bjdrefi) {
    long refi = static_cast<long>(*spec.bjdrefi);
    fits_write_key(f, TLONG, "BJDREFI", &refi, nullptr, &status);
  }
  if (spec.bjdreff) {
    double reff = *spec.bjdreff;
    fits_write_key(f, TDOUBLE, "BJDREFF", &reff, nullptr, &status);
  }
  Key(f, "TIMESYS", spec.timesys, &status);
  Key(f, "TIMEREF", spec.timeref, &status);
  Check(status, "keywords");

  int c = 1;
  if (spec.timeAsText) {
    std::vector<std::string> text;
    std::vector<char*> ptr;
    for (double t : spec.time) text.push_back(std::to_string(t));
    for (auto& t : text) ptr.push_back(t.data());
    fits_write_col(f, TSTRING, c++, 1, 1, rows, ptr.data(), &status);
  } else {
    std::vector<double> t = spec.time;
    fits_write_col(f, TDOUBLE, c++, 1, 1, rows, t.data(), &status);
  }
  auto filled = [&](const std::vector<double>& v, double fill) {
    std::vector<double> out = v;
    out.resize(spec.time.size(), fill);
    return out;
  };
  if (!spec.fluxColumn.empty()) {
    std::vector<double> flux = filled(spec.flux, 1000.0);
    fits_write_col(f, TDOUBLE, c++, 1, 1, rows, flux.data(), &status);
    if (spec.withErrors) {
      std::vector<double> err = filled(spec.err, 0.5);
      fits_write_col(f, TDOUBLE, c++, 1, 1, rows, err.data(), &status);
    }
  }
  if (!spec.qualityColumn.empty()) {
    std::vector<int> quality(spec.quality.begin(), spec.quality.end());
    quality.resize(spec.time.size(), 0);
    fits_write_col(f, TINT, c++, 1, 1, rows, quality.data(), &status);
  }
  Check(status, "columns");
  fits_close_file(f, &status);
  Check(status, "close");
}

}  // namespace korvel::testing
