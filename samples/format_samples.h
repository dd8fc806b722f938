// A synthetic variable star of known period in three bands, written in each
// archive's layout, with what a reader must make of every file: rows per
// band, rows kept, drops by reason. Flagged rows, upper limits and a missing
// value are written the way each archive writes them; where an archive has
// no way to say a thing (ZTF gives no limits, a plain CSV no flags), the
// row is written as an ordinary measurement and counted so.
//
// One generator for the readers' tests, the acceptance test through
// korvel-batch and korvel-make-format-samples, which writes the files for
// people to look at and try.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "fits_writer.h"
#include "io/observation_file.h"
#include "io/read_observations.h"

namespace korvel::testing {

struct SampleRow {
  enum Kind { Good, Flagged, Limit, Missing };
  double jd = 0, mag = 0, err = 0;
  int band = 0;
  Kind kind = Good;
};

struct SampleStar {
  double period = 0.61237;
  std::vector<SampleRow> rows;  // in date order, bands interleaved

  // The light curve without noise: two harmonics around each band's mean.
  double Mag(double jd, int band) const {
    constexpr double kMeans[3] = {12.0, 12.4, 11.7};
    const double phase = 2 * std::numbers::pi * (jd - 2459000) / period;
    return kMeans[band] + 0.35 * std::sin(phase) + 0.1 * std::sin(2 * phase + 0.7);
  }
};

// perBand rows in band 0, 20 fewer in band 1, 40 fewer in band 2; every
// 17th row of a band is flagged, every 23rd a limit, its 8th has no value.
inline SampleStar MakeSampleStar(int perBand = 150, uint32_t seed = 7) {
  SampleStar star;
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> when(0, 300), noise(-0.01, 0.01);
  for (int b = 0; b < 3; ++b) {
    for (int k = 0; k < perBand - 20 * b; ++k) {
      SampleRow r;
      r.band = b;
      r.jd = 2459000.5 + when(gen);
      r.mag = star.Mag(r.jd, b) + noise(gen);
      r.err = 0.012 + 0.002 * b;
      r.kind = k == 7         ? SampleRow::Missing
               : k % 17 == 5  ? SampleRow::Flagged
               : k % 23 == 11 ? SampleRow::Limit
                              : SampleRow::Good;
      star.rows.push_back(r);
    }
  }
  std::stable_sort(star.rows.begin(), star.rows.end(),
                   [](const SampleRow& a, const SampleRow& b) { return a.jd < b.jd; });
  return star;
}

struct SampleCounts {
  int64_t read = 0, kept = 0;
  std::map<std::string, int64_t> dropped;
  double firstJd = 0, firstErr = 0;  // of the first kept row in date order
};

// One file in one archive's layout and what reading it must give.
struct SampleFile {
  std::string name, content;
  ObservationFormat format = ObservationFormat::Csv;
  std::string timeSystem;
  std::vector<std::string> bands;                   // per band index; empty: not written
  std::map<std::string, SampleCounts> expect = {};  // by band name
  double timeZero = 0;       // the dates read are jd - timeZero (MJD stays MJD)
  bool outOfOrder = false;   // rows not in date order: the reader must sort them
  bool aFewSwapped = false;  // out of order by a few swapped rows, not latest first
  double shift = 0;          // days added to the star's dates: the archive's years
  std::optional<LightCurveFitsFile> fits = {};  // a binary file, written from this
};

namespace sample_detail {

inline std::string Num(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// What the layout can say about each kind of row; nullptr: written as Good.
struct Marks {
  const char* flagReason = nullptr;  // "flagged" or "rejected"
  bool limits = false;
};

// The row as the layout can write it, counted into what a reader must make
// of it.
inline SampleRow Tally(SampleFile& f, SampleRow w, const Marks& marks) {
  w.jd += f.shift;
  if ((w.kind == SampleRow::Flagged && marks.flagReason == nullptr) ||
      (w.kind == SampleRow::Limit && !marks.limits))
    w.kind = SampleRow::Good;
  SampleCounts& c = f.expect[f.bands[w.band]];
  ++c.read;
  switch (w.kind) {
    case SampleRow::Good:
      if (c.kept == 0 || w.jd < c.firstJd) c.firstJd = w.jd, c.firstErr = w.err;
      ++c.kept;
      break;
    case SampleRow::Flagged:
      ++c.dropped[marks.flagReason];
      break;
    case SampleRow::Limit:
      ++c.dropped["limit"];
      break;
    case SampleRow::Missing:
      ++c.dropped["missing"];
      break;
  }
  return w;
}

// Writes every row of the written bands through `line`, one line each.
template <class Line>
SampleFile Write(const SampleStar& star, SampleFile f, const Marks& marks, Line line) {
  std::vector<const SampleRow*> order;
  for (const SampleRow& r : star.rows)
    if (!f.bands[r.band].empty()) order.push_back(&r);
  if (f.outOfOrder && f.aFewSwapped) {
    // Every 41st row of a band changes places with the band's next: a few
    // late arrivals in every band.
    std::map<int, std::vector<size_t>> places;
    for (size_t i = 0; i < order.size(); ++i) places[order[i]->band].push_back(i);
    for (const auto& [band, at] : places)
      for (size_t k = 20; k + 1 < at.size(); k += 41) std::swap(order[at[k]], order[at[k + 1]]);
  } else if (f.outOfOrder) {
    std::reverse(order.begin(), order.end());
  }
  for (const SampleRow* r : order) {
    const SampleRow w = Tally(f, *r, marks);
    f.content += line(w, f.bands[w.band]);
  }
  return f;
}

inline std::string Mag(const SampleRow& r, const char* missing, const std::string& limitMark) {
  if (r.kind == SampleRow::Missing) return missing;
  if (r.kind == SampleRow::Limit) return limitMark + Num(r.mag + 1.5, 3);
  return Num(r.mag, 4);
}

constexpr double kGaiaZero = 2455197.5, kGaiaFluxZero = 25.6874;
constexpr double kGaiaShift = -2000;  // the star's 2020 dates moved into 2015

inline double GaiaFlux(double mag) {
  return std::pow(10.0, -0.4 * (mag - kGaiaFluxZero));
}

}  // namespace sample_detail

// Every layout the text readers know, written from one star.
inline std::vector<SampleFile> FormatSamples(const SampleStar& star) {
  using namespace sample_detail;
  using F = ObservationFormat;
  std::vector<SampleFile> out;

  {  // A plain CSV with '#' comments and a flux column besides the magnitudes.
    SampleFile f{"star.csv",
                 "# synthetic star\n# period 0.61237 d\nJD,Mag,Err,Band,Flux\n",
                 F::Csv,
                 "JD",
                 {"g", "r", "i"}};
    out.push_back(Write(star, f, {nullptr, true}, [](const SampleRow& r, const std::string& b) {
      return Num(r.jd, 6) + "," + Mag(r, "", "<") + "," + Num(r.err, 4) + "," + b + "," +
             Num(std::pow(10.0, -0.4 * r.mag), 9) + "\n";
    }));
  }
  {  // Semicolons, quoted fields, HJD.
    SampleFile f{"star_semicolon.csv",
                 "\"hjd\";\"magnitude\";\"uncertainty\";\"filter\"\r\n",
                 F::Csv,
                 "HJD",
                 {"V", "B", "I"}};
    out.push_back(Write(star, f, {nullptr, true}, [](const SampleRow& r, const std::string& b) {
      return Num(r.jd, 6) + ";\"" + Mag(r, "", "<") + "\";" + Num(r.err, 4) + ";\"" + b + "\"\r\n";
    }));
  }
  {  // The AAVSO data download.
    SampleFile f{"aavso.csv",
                 "JD,Magnitude,Uncertainty,HQuncertainty,Band,Observer Code,Comment Code(s),"
                 "Comp Star 1,Comp Star 2,Charts,Comments\n",
                 F::Aavso,
                 "JD",
                 {"V", "B", "Vis."}};
    out.push_back(Write(star, f, {nullptr, true}, [](const SampleRow& r, const std::string& b) {
      return Num(r.jd, 5) + "," + Mag(r, "", "<") + "," + Num(r.err, 3) + ",," + b +
             ",XYZ,,000-BBB-123,,X12345,\"clear, steady\"\n";
    }));
  }
  {  // The older tab-separated download, latest first.
    SampleFile f{"aavso.txt",
                 "JD\tMagnitude\tUncertainty\tBand\tObserver Code\n",
                 F::Aavso,
                 "JD",
                 {"V", "B", "R"}};
    f.outOfOrder = true;
    out.push_back(Write(star, f, {nullptr, true}, [](const SampleRow& r, const std::string& b) {
      return Num(r.jd, 5) + "\t" + Mag(r, "", "<") + "\t" + Num(r.err, 3) + "\t" + b + "\tXYZ\n";
    }));
  }
  {  // AAVSO Extended Format.
    SampleFile f{"aavso_extended.txt",
                 "#TYPE=EXTENDED\n#OBSCODE=XYZ\n#SOFTWARE=generator\n#DELIM=,\n#DATE=HJD\n"
                 "#OBSTYPE=CCD\n#NAME,DATE,MAG,MERR,FILT,TRANS,MTYPE,CNAME,CMAG,KNAME,KMAG,AMASS,"
                 "GROUP,CHART,NOTES\n",
                 F::AavsoExtended,
                 "HJD",
                 {"V", "B", "I"}};
    out.push_back(Write(star, f, {nullptr, true}, [](const SampleRow& r, const std::string& b) {
      return "SYN STAR," + Num(r.jd, 5) + "," + Mag(r, "na", "<") + "," + Num(r.err, 3) + "," + b +
             ",NO,STD,ENSEMBLE,na,123,11.2,1.2,na,X12345,na\n";
    }));
  }
  {  // ZTF from IRSA as CSV: hjd, catflags.
    SampleFile f{"ztf.csv",
                 "oid,expid,hjd,mjd,mag,magerr,catflags,filtercode,ra,dec\n",
                 F::Ztf,
                 "HJD",
                 {"zg", "zr", "zi"}};
    f.outOfOrder = f.aFewSwapped = true;
    out.push_back(Write(star, f, {"flagged", false}, [](const SampleRow& r, const std::string& b) {
      return "633101100012345,123456," + Num(r.jd, 6) + "," + Num(r.jd - 2400000.5, 6) + "," +
             Mag(r, "", "") + "," + Num(r.err, 4) + "," +
             (r.kind == SampleRow::Flagged ? "32768" : "0") + "," + b + ",123.4,-5.6\n";
    }));
  }
  {  // ZTF from IRSA as an IPAC table with MJD only.
    SampleFile f{"ztf.tbl",
                 "\\fixlen = T\n\\ synthetic\n"
                 "|              oid|           mjd|     mag|  magerr| catflags| filtercode|\n"
                 "|             long|        double|   float|   float|      int|       char|\n"
                 "|                 |          days|     mag|     mag|         |           |\n"
                 "|             null|          null|    null|    null|     null|       null|\n",
                 F::Ztf,
                 "MJD",
                 {"zg", "zr", "zi"}};
    f.timeZero = 2400000.5;
    out.push_back(Write(star, f, {"flagged", false}, [](const SampleRow& r, const std::string& b) {
      char buf[160];
      std::snprintf(buf, sizeof buf, " %17s %14s %8s %8s %9s %11s\n", "633101100012345",
                    Num(r.jd - 2400000.5, 6).c_str(), Mag(r, "null", "").c_str(),
                    Num(r.err, 4).c_str(), r.kind == SampleRow::Flagged ? "4" : "0", b.c_str());
      return std::string(buf);
    }));
  }
  {  // Gaia DR3 epoch photometry, long form, in DR3's years (2014 to 2017).
    SampleFile f{"gaia_long.csv",
                 "source_id,transit_id,band,time,mag,flux,flux_error,flux_over_error,"
                 "rejected_by_photometry,rejected_by_variability,other_flags,solution_id\n",
                 F::Gaia,
                 "BJD-TCB",
                 {"G", "BP", "RP"}};
    f.shift = kGaiaShift;
    out.push_back(Write(star, f, {"rejected", false}, [](const SampleRow& r, const std::string& b) {
      const double flux = GaiaFlux(r.mag);
      const double fluxErr = flux * r.err / 1.0857362047581294;
      return "123456789," + std::to_string(static_cast<int64_t>(r.jd * 1000)) + "," + b + "," +
             Num(r.jd - kGaiaZero, 8) + "," + Mag(r, "", "") + "," + Num(flux, 4) + "," +
             Num(fluxErr, 5) + ",50.0,false," + (r.kind == SampleRow::Flagged ? "true" : "false") +
             ",0,375316653866487564\n";
    }));
  }
  {  // Gaia DR3 epoch photometry, wide form: G, BP and RP transits side by side.
    SampleFile f{"gaia_wide.csv",
                 "source_id,g_transit_time,g_transit_flux,g_transit_flux_error,g_transit_mag,"
                 "bp_obs_time,bp_flux,bp_flux_error,bp_mag,rp_obs_time,rp_flux,rp_flux_error,"
                 "rp_mag,variability_flag_g_reject,variability_flag_bp_reject,"
                 "variability_flag_rp_reject\n",
                 F::Gaia,
                 "BJD-TCB",
                 {"G", "BP", "RP"}};
    f.shift = kGaiaShift;
    std::vector<std::vector<SampleRow>> byBand(3);
    for (const SampleRow& r : star.rows) byBand[r.band].push_back(r);
    for (size_t i = 0; i < byBand[0].size(); ++i) {
      std::string line = "123456789", flags;
      for (int b = 0; b < 3; ++b) {
        if (i >= byBand[b].size()) {
          line += ",,,,";
          flags += ",";
          continue;
        }
        const SampleRow w = Tally(f, byBand[b][i], {"rejected", false});
        const double flux = GaiaFlux(w.mag);
        for (const std::string& cell : {Num(w.jd - kGaiaZero, 8), Num(flux, 4),
                                        Num(flux * w.err / 1.0857362047581294, 5), Mag(w, "", "")})
          line += "," + cell;
        flags += w.kind == SampleRow::Flagged ? ",true" : ",false";
      }
      f.content += line + flags + "\n";
    }
    out.push_back(f);
  }
  {  // ASAS-SN v1 (2016): V and g only, '>' before a limit's magnitude.
    SampleFile f{"asassn_v1.csv",
                 "HJD,UT Date,Camera,FWHM,Limit,mag,mag_err,flux(mJy),flux_err,Filter\n",
                 F::Asassn,
                 "HJD",
                 {"V", "g", ""}};
    f.shift = -1500;
    out.push_back(Write(star, f, {nullptr, true}, [](const SampleRow& r, const std::string& b) {
      const bool limit = r.kind == SampleRow::Limit;
      return Num(r.jd, 5) + ",2021-01-01.123,bf,1.5,16.2," + Mag(r, "", ">") + "," +
             (limit ? std::string("99.990") : Num(r.err, 3)) + ",3.1,0.05," + b + "\n";
    }));
  }
  {  // ASAS-SN Sky Patrol v2: quality "B" for a flagged image, 99.99 for a limit.
    SampleFile f{"asassn_v2.csv",
                 "jd,flux,flux_err,mag,mag_err,limit,fwhm,image_id,camera,quality,phot_filter\n",
                 F::Asassn,
                 "JD",
                 {"V", "g", ""}};
    f.outOfOrder = f.aFewSwapped = true;
    out.push_back(Write(star, f, {"flagged", true}, [](const SampleRow& r, const std::string& b) {
      const bool limit = r.kind == SampleRow::Limit;
      return Num(r.jd, 5) + ",3.1,0.05," + Mag(r, "", "") + "," +
             (limit ? std::string("99.990") : Num(r.err, 3)) + ",16.2,1.5,ba123456,ba," +
             (r.kind == SampleRow::Flagged ? "B" : "G") + "," + b + "\n";
    }));
  }
  return out;
}

namespace sample_detail {

// Rows of band 0 as the blank-separated plain format holds them: date and
// magnitude, nothing to flag, so every row with a value is an observation.
inline SampleFile PlainSample(const SampleStar& star) {
  SampleFile f{"star.dat", "", ObservationFormat::Plain, "JD", {""}};
  SampleCounts& c = f.expect[""];
  for (const SampleRow& r : star.rows) {
    if (r.band != 0 || r.kind == SampleRow::Missing) continue;
    f.content += ObservationLine(r.jd, r.mag, 4) + "\r\n";
    if (c.read == 0) c.firstJd = r.jd;
    ++c.read;
    ++c.kept;
  }
  return f;
}

// A light curve of the star from one of the missions: `rows` cadences `step`
// days apart from TIME `start` (BJD - BJDREF); every 19th cadence carries a
// quality flag and every 31st has no flux, as gaps and bad cadences do.
inline SampleFile MissionSample(const SampleStar& star, const std::string& name,
                                const std::string& mission, int64_t bjdref, double start,
                                double step, int rows) {
  LightCurveFitsFile curve;
  curve.telescope = mission == "TESS" ? "TESS" : "Kepler";
  curve.mission = mission;
  curve.bjdrefi = bjdref;
  curve.qualityColumn = mission == "TESS" ? "QUALITY" : "SAP_QUALITY";
  SampleFile f{name, "", ObservationFormat::LightCurveFits, "BJD-TDB", {mission}};
  SampleCounts& c = f.expect[mission];
  std::mt19937 gen(static_cast<uint32_t>(bjdref));
  std::uniform_real_distribution<double> noise(-0.002, 0.002);
  for (int i = 0; i < rows; ++i) {
    const double t = start + i * step;
    // Electrons per second of a star of that magnitude (zero point 25).
    const double flux = std::pow(10.0, -0.4 * (star.Mag(t + bjdref, 0) + noise(gen) - 25));
    const bool flagged = i % 19 == 4, gap = i % 31 == 9;
    curve.time.push_back(t);
    curve.flux.push_back(gap ? std::numeric_limits<double>::quiet_NaN() : flux);
    curve.err.push_back(0.0005 * flux);
    curve.quality.push_back(flagged ? (mission == "TESS" ? 32 : 128) : 0);
    ++c.read;
    if (flagged) {
      ++c.dropped["flagged"];
    } else if (gap) {
      ++c.dropped["non-finite"];
    } else {
      if (c.kept++ == 0) c.firstJd = t + bjdref, c.firstErr = 2.5 / std::log(10.0) * 0.0005;
    }
  }
  f.fits = curve;
  return f;
}

}  // namespace sample_detail

// Every file korvel-make-format-samples writes: the plain format, the text
// layouts of FormatSamples, a TSV of barycentric dates and the missions'
// light-curve FITS files (Kepler and K2 long cadence, TESS full-frame 30
// minutes), each with what reading it must give.
inline std::vector<SampleFile> AllFormatSamples(const SampleStar& star) {
  using namespace sample_detail;
  std::vector<SampleFile> out{PlainSample(star)};
  for (SampleFile& f : FormatSamples(star)) out.push_back(std::move(f));
  {  // Tab-separated with BJD, a few rows late.
    SampleFile f{
        "star.tsv", "bjd\tmag\tmag_err\tfilter\n", ObservationFormat::Csv, "BJD", {"V", "R", "I"}};
    f.outOfOrder = f.aFewSwapped = true;
    out.push_back(Write(star, f, {nullptr, true}, [](const SampleRow& r, const std::string& b) {
      return Num(r.jd, 6) + "\t" + Mag(r, "", "<") + "\t" + Num(r.err, 4) + "\t" + b + "\n";
    }));
  }
  constexpr double kLongCadence = 29.4244 / 1440;
  out.push_back(
      MissionSample(star, "kepler_llc.fits", "Kepler", 2454833, 400.0, kLongCadence, 420));
  out.push_back(MissionSample(star, "k2_llc.fits", "K2", 2454833, 2310.0, kLongCadence, 420));
  out.push_back(MissionSample(star, "tess_ffi.fits", "TESS", 2457000, 1600.0, 30.0 / 1440, 480));
  return out;
}

// Writes one sample to path: its text, or the FITS file its curve describes.
// Throws std::runtime_error when it cannot.
inline void WriteSampleFile(const std::string& path, const SampleFile& f) {
  if (f.fits) return WriteLightCurveFits(path, *f.fits);
  std::ofstream out(path, std::ios::binary);
  out << f.content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace korvel::testing
