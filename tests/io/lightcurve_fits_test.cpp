#include "io/formats/lightcurve_fits.h"

#include <fitsio.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>

#include "fits_writer.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::KeplerLike;
using testing::LightCurveFitsFile;
using testing::TempDir;
using testing::TessLike;
using testing::WriteLightCurveFits;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Written(const TempDir& dir, const std::string& name, const LightCurveFitsFile& s) {
  const std::string path = dir.File(name);
  WriteLightCurveFits(path, s);
  return path;
}

// The message of the FormatError the read throws ("" when it reads).
std::string ReadError(const std::string& path) {
  try {
    ReadLightCurveFits(path, {});
  } catch (const FormatError& e) {
    char left[FLEN_ERRMSG];
    EXPECT_EQ(fits_read_errmsg(left), 0) << "cfitsio's error stack is left: " << left;
    return e.what();
  }
  return "";
}

TEST(LightCurveFits, ReadsTessCadencesAsAbsoluteMagnitudes) {
  TempDir dir;
  LightCurveFitsFile s = TessLike(200, 0.7, 0.01);
  s.quality[10] = 1;
  s.quality[20] = 1024;
  s.flux[30] = kNaN;
  s.time[40] = kNaN;
  const FormatRows rows = ReadLightCurveFits(Written(dir, "tess.fits", s), {});

  EXPECT_EQ(rows.format, ObservationFormat::LightCurveFits);
  EXPECT_EQ(rows.timeSystem, "BJD-TDB");
  EXPECT_FALSE(rows.flux);
  EXPECT_TRUE(rows.hasErrors);
  ASSERT_EQ(rows.time.size(), 196u);
  ASSERT_EQ(rows.value.size(), 196u);
  ASSERT_EQ(rows.err.size(), 196u);
  EXPECT_EQ(rows.band, std::vector<std::string>(196, "TESS"));
  EXPECT_EQ(rows.rowsRead.at("TESS"), 200);
  EXPECT_EQ(rows.dropped.at("TESS").at("flagged"), 2);
  EXPECT_EQ(rows.dropped.at("TESS").at("non-finite"), 2);

  // Row 50 of the file is the 47th kept: four rows before it were dropped.
  const double t = 1500.0 + 50 * 2.0 / 1440.0;
  const double flux = 1000.0 * (1 + 0.01 * std::sin(2 * std::numbers::pi * t / 0.7));
  EXPECT_NEAR(rows.time[46], 2457000.0 + t, 1e-8);
  EXPECT_NEAR(rows.value[46], -2.5 * std::log10(flux), 1e-6);
  EXPECT_NEAR(rows.err[46], 1.0857 * 0.5 / flux, 1e-7);
}

TEST(LightCurveFits, ReadsKeplerFilesWithSapQualityAndTheirOwnZeroPoint) {
  TempDir dir;
  LightCurveFitsFile s = KeplerLike(100, 3.1, 0.05);
  s.quality[0] = 8;
  s.bjdreff = 0.25;
  const FormatRows rows = ReadLightCurveFits(Written(dir, "kplr.fits", s), {});
  ASSERT_EQ(rows.time.size(), 99u);
  EXPECT_EQ(rows.band.front(), "Kepler");
  EXPECT_EQ(rows.dropped.at("Kepler").at("flagged"), 1);
  EXPECT_NEAR(rows.time.front(), 2454833.25 + 130.0 + 0.5 / 24.0, 1e-8);
}

// K2 names its mission apart from the telescope; older products have only
// SAP_FLUX, no BJDREF keywords and the table under another name.
TEST(LightCurveFits, FallsBackToSapFluxTheFirstTableAndTheMissionsReference) {
  TempDir dir;
  LightCurveFitsFile s = KeplerLike(20, 3.1, 0.05);
  s.mission = "K2";
  s.fluxColumn = "SAP_FLUX";
  s.extname = "CADENCES";
  s.bjdrefi.reset();
  s.bjdreff.reset();
  const FormatRows rows = ReadLightCurveFits(Written(dir, "k2.fits", s), {});
  ASSERT_EQ(rows.time.size(), 20u);
  EXPECT_EQ(rows.band.front(), "K2");
  EXPECT_NEAR(rows.time.front(), 2454833.0 + 130.0, 1e-8);
}

TEST(LightCurveFits, KeepsFluxWhenAskedAndDropsNonPositiveFluxOnlyForMagnitudes) {
  TempDir dir;
  LightCurveFitsFile s = TessLike(10, 0.7, 0.01);
  s.flux[3] = -5.0;
  const std::string path = Written(dir, "flux.fits", s);
  ReadOptions keep;
  keep.keepFlux = true;
  const FormatRows flux = ReadLightCurveFits(path, keep);
  EXPECT_TRUE(flux.flux);
  ASSERT_EQ(flux.value.size(), 10u);
  EXPECT_FLOAT_EQ(flux.value[3], -5.0);
  EXPECT_FLOAT_EQ(flux.value[4], s.flux[4]);
  EXPECT_FLOAT_EQ(flux.err[4], 0.5);
  const FormatRows mags = ReadLightCurveFits(path, {});
  EXPECT_EQ(mags.value.size(), 9u);
  EXPECT_EQ(mags.dropped.at("TESS").at("non-finite"), 1);
}

TEST(LightCurveFits, RejectsBrokenFilesNamingFileHduAndRow) {
  TempDir dir;
  const std::string good = Written(dir, "good.fits", KeplerLike(2000, 3.1, 0.05));
  const std::string bytes = testing::ReadFile(good);

  const std::string cut = dir.Write("cut.fits", bytes.substr(0, bytes.size() - 9000));
  const std::string cutError = ReadError(cut);
  EXPECT_NE(cutError.find(cut + ": HDU 2 (LIGHTCURVE)"), std::string::npos) << cutError;
  EXPECT_NE(cutError.find("row 1567 of 2000"), std::string::npos) << cutError;

  const std::string header = dir.Write("header.fits", bytes.substr(0, 2880 + 400));
  EXPECT_NE(ReadError(header).find("header.fits"), std::string::npos);

  const std::string junk = dir.Write("junk.fits", "SIMPLE  = nonsense\n" + std::string(50, 'x'));
  EXPECT_NE(ReadError(junk).find("cfitsio: "), std::string::npos) << ReadError(junk);
  EXPECT_NE(ReadError(dir.Write("text.fits", "1 2\n")).find("not a FITS file"), std::string::npos);

  LightCurveFitsFile noFlux = TessLike(5, 1, 0.1);
  noFlux.fluxColumn.clear();
  EXPECT_NE(
      ReadError(Written(dir, "noflux.fits", noFlux)).find("no column PDCSAP_FLUX or SAP_FLUX"),
      std::string::npos);
  LightCurveFitsFile textTime = TessLike(5, 1, 0.1);
  textTime.timeAsText = true;
  EXPECT_NE(ReadError(Written(dir, "texttime.fits", textTime))
                .find("HDU 2 (LIGHTCURVE): column TIME does not hold one number per row"),
            std::string::npos);
  // Only the primary HDU: cut after its header.
  const std::string primary = dir.Write("primary.fits", bytes.substr(0, 2880));
  EXPECT_NE(ReadError(primary).find("no LIGHTCURVE extension and no binary table"),
            std::string::npos)
      << ReadError(primary);

  // cfitsio itself would overrun a buffer on this column name.
  std::string longName = bytes;
  const size_t card = longName.find("TTYPE2  =");
  longName.replace(card, 80, "TTYPE2  = " + std::string(70, 'x'));
  EXPECT_NE(ReadError(dir.Write("long.fits", longName)).find("HDU 2: header card"),
            std::string::npos);

  EXPECT_THROW(ReadLightCurveFits(dir.File("absent.fits"), {}), FileError);
}

// cfitsio would read "star[1].fits" as HDU 1 of star and "[TIME>5]" as a
// row filter.
TEST(LightCurveFits, TakesBracketsInFileNamesLiterally) {
  TempDir dir;
  for (const char* name : {"star[1].fits", "lc[TIME>1501].fits"}) {
    const FormatRows rows = ReadLightCurveFits(Written(dir, name, TessLike(30, 1, 0.1)), {});
    EXPECT_EQ(rows.time.size(), 30u) << name;
  }
}

}  // namespace
}  // namespace korvel
