// The photometry entry point: choosing the band, the columns, what it says
// about rows left out, and the files it refuses with the line at fault.
#include "io/read_observations.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::TempDir;

// The message of the FormatError reading the file throws ("" if none).
std::string ErrorOf(const std::string& path, const ReadOptions& options = {}) {
  try {
    ReadObservations(path, options);
  } catch (const FormatError& e) {
    return e.what();
  }
  return "";
}

TEST(SelectBand, BandsAreCountedMostFirstAndTheChosenOneIsShiftedAndSorted) {
  FormatRows rows;
  rows.hasErrors = true;
  rows.time = {5, 2, 3, 1, 4, 3};
  rows.value = {10, 11, 12, 13, 14, 15};
  rows.err = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
  rows.band = {"B", "V", "V", "B", "V", "B"};
  rows.rowsRead = {{"B", 4}, {"V", 3}, {"R", 2}};
  rows.dropped = {{"B", {{"limit", 1}, {"missing", 0}}}, {"R", {{"flagged", 2}}}};

  ReadOptions options;
  options.timeOffset = 100;
  // B and V tie at three: B is seen first; R has none left.
  const LoadedObservations p = SelectBand(rows, options);
  EXPECT_EQ(p.bands, (std::vector<std::pair<std::string, int64_t>>{{"B", 3}, {"V", 3}, {"R", 0}}));
  EXPECT_EQ(p.band, "B");
  EXPECT_EQ(p.jd, (std::vector<double>{101, 103, 105}));
  EXPECT_EQ(p.mag, (std::vector<double>{13, 15, 10}));
  EXPECT_EQ(p.err, (std::vector<double>{0.4, 0.6, 0.1}));
  EXPECT_TRUE(p.sorted);
  EXPECT_EQ(p.rowsRead, 4);
  EXPECT_EQ(p.dropped, (std::map<std::string, int64_t>{{"limit", 1}}));

  options.band = "v";  // differs from one band only in case
  const LoadedObservations v = SelectBand(rows, options);
  EXPECT_EQ(v.band, "V");
  EXPECT_EQ(v.jd, (std::vector<double>{102, 103, 104}));
  EXPECT_FALSE(v.sorted);

  options.band = "I";
  try {
    SelectBand(rows, options);
    ADD_FAILURE() << "an unknown band was read";
  } catch (const FormatError& e) {
    EXPECT_STREQ(e.what(), "no band \"I\"; the bands are: B (3), V (3), R (0)");
  }
}

TEST(DroppedRowsText, SaysHowManyRowsOfTheBandWereKeptAndWhyTheOthersWereNot) {
  LoadedObservations p;
  p.format = ObservationFormat::Ztf;
  p.band = "zr";
  p.jd.assign(412, 0.0);
  p.rowsRead = 440;
  p.dropped = {{"flagged", 27}, {"limit", 1}};
  EXPECT_EQ(DroppedRowsText(p), "ZTF zr: 412 of 440 rows (27 flagged, 1 limit)");
  p.format = ObservationFormat::Csv;
  p.band.clear();
  p.rowsRead = 412;
  p.dropped.clear();
  EXPECT_EQ(DroppedRowsText(p), "CSV: 412 of 412 rows");
}

TEST(ObservationFormatName, NamesRoundTripAndAnUnknownNameListsTheKnownOnes) {
  for (ObservationFormat f :
       {ObservationFormat::Auto, ObservationFormat::Plain, ObservationFormat::Csv,
        ObservationFormat::Aavso, ObservationFormat::AavsoExtended, ObservationFormat::Ztf,
        ObservationFormat::Gaia, ObservationFormat::LightCurveFits, ObservationFormat::Asassn})
    EXPECT_EQ(ObservationFormatOfName(ObservationFormatName(f)), f);
  EXPECT_EQ(ObservationFormatOfName("AAVSO-Extended"), ObservationFormat::AavsoExtended);
  try {
    ObservationFormatOfName("votable");
    ADD_FAILURE();
  } catch (const KorvelError& e) {
    EXPECT_NE(std::string(e.what()).find("csv, aavso, aavso-extended, ztf, gaia, fits, asassn"),
              std::string::npos)
        << e.what();
  }
}

TEST(ReadObservations, ColumnsChosenByNameOverrideTheUsualOnes) {
  const TempDir dir;
  const std::string path =
      dir.Write("t.tsv", "BJD\tmag\tV_mag\tV_err\n10.5\t1\t12.5\t0.03\n11.5\t2\t12.7\t0.04\n");
  ReadOptions options;
  options.magColumn = "v_MAG";
  options.errColumn = "V_err";
  const LoadedObservations p = ReadObservations(path, options);
  EXPECT_EQ(p.timeSystem, "BJD");
  EXPECT_EQ(p.mag, (std::vector<double>{12.5, 12.7}));
  EXPECT_EQ(p.err, (std::vector<double>{0.03, 0.04}));

  options.timeColumn = "hjd";
  EXPECT_EQ(ErrorOf(path, options),
            path + ":1: no column \"hjd\"; the columns are: BJD, mag, V_mag, V_err");
}

TEST(ReadObservations, BadFilesFailAtTheirLineAndNameWhatIsWrong) {
  const TempDir dir;
  struct Case {
    std::string_view content;
    const char* error;  // after "path:"
  };
  using namespace std::literals;
  const Case cases[] = {
      {"jd,mag,err\n1,12,0.1\n2,12.1\n",
       "3: 2 fields where the header names 3 (separated by commas)"},
      {"jd,mag,err\n1;12;0.1\n", "2: 1 field where the header names 3 (separated by commas)"},
      {"JD,Flux Ratio\n1,2\n",
       "1: no magnitude column (mag, magnitude or flux); the columns are: JD, Flux Ratio"},
      {"object,ra,dec\nx,1,2\n",
       "1: no time column (time, jd, hjd, bjd, mjd or date); the columns are: object, ra, dec"},
      {"jd,mag,band\n1,12,\"V\n", "2: a quote that does not close"},
      {"jd,mag\n1,12\n\x01\x02\x03\x00\xff"sv, "3: binary data, not a text table"},
      {"\x7f\x45\x4c\x46\x02\x01\x01\x00\x00"sv, "1: binary data, not a text table"},
      {"", "1: empty file: no header and no rows"},
      {"# only a comment\n\n", "2: empty file: no header and no rows"},
      {"|   mjd|  mag|\n|double|float|\n   1.5  12.1\n   2.5\n",
       "4: a row that ends before column \"mag\" of the IPAC header"},
      {"jd,mag\n1,\n2,nan\n",
       " no observations to use: CSV: 0 of 2 rows (1 missing, 1 non-finite)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    const std::string path = dir.Write("bad.csv", std::string(c.content));
    const std::string e = ErrorOf(path);
    EXPECT_EQ(e.rfind(path + ":" + c.error, 0), 0u) << e;
  }
}

TEST(ReadObservations, APlainObservationFileIsLeftToItsOwnReaderAndAMissingFileIsAFileError) {
  const TempDir dir;
  const std::string plain = dir.Write("star.dat", "2450000.1 12.3\n2450000.2 12.4\n");
  EXPECT_EQ(DetectObservationFormat(plain), ObservationFormat::Plain);
  EXPECT_NE(ErrorOf(plain).find("a plain observation file"), std::string::npos);
  ReadOptions csv;
  csv.format = ObservationFormat::Csv;
  EXPECT_NE(ErrorOf(plain, csv).find("no time column"), std::string::npos);
  EXPECT_THROW(ReadObservations(dir.File("none.csv"), {}), FileError);
}

}  // namespace
}  // namespace korvel
