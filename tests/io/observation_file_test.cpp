#include "io/observation_file.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::TempDir;

struct Loaded {
  AnalysisState s;
  std::optional<std::string> error;
};

Loaded Load(const std::string& content, ReadOptions options = {}) {
  TempDir dir;
  Loaded out;
  out.error = LoadObservations(out.s, dir.Write("star.dat", content), options);
  return out;
}

TEST(LoadObservations, ColumnPicksTheNumberAfterTheDate) {
  ReadOptions o;
  o.column = 2;
  Loaded two = Load("100.5 12.3 12.6\r\n", o);
  ASSERT_EQ(two.s.NObs, 1);
  EXPECT_EQ(two.s.JD[1], 100.5);
  EXPECT_EQ(two.s.Mag[1], 12.6);

  o.column = 1;
  Loaded one = Load("100.5 12.3 12.6\r\n", o);
  EXPECT_EQ(one.s.Mag[1], 12.3);

  o.column = 0;  // 1 or less: nothing is skipped
  EXPECT_EQ(Load("100.5 12.3 12.6\r\n", o).s.Mag[1], 12.3);
}

TEST(LoadObservations, ZeroMagnitudesNeedReadZeros) {
  const std::string file = "1 0\n2 0.0001\n3 0.0\n";
  Loaded dropped = Load(file);
  ASSERT_EQ(dropped.s.NObs, 1);
  EXPECT_EQ(dropped.s.Mag[1], 0.0001);

  ReadOptions o;
  o.readZeros = true;
  EXPECT_EQ(Load(file, o).s.NObs, 3);
}

TEST(LoadObservations, WindowIncludesBothEnds) {
  ReadOptions o;
  o.jdLow = 2;
  o.jdHigh = 4;
  Loaded l = Load("1 10\n2 11\n3 12\n4 13\n5 14\n", o);
  ASSERT_EQ(l.s.NObs, 3);
  EXPECT_EQ(l.s.JD[1], 2);
  EXPECT_EQ(l.s.JD[3], 4);
}

TEST(LoadObservations, LineWithOnlyADateTakesTheMagnitudeFromTheNextLine) {
  Loaded l = Load("100\n12.5 99 98\n101 13\n");
  ASSERT_EQ(l.s.NObs, 2);
  EXPECT_EQ(l.s.JD[1], 100);
  EXPECT_EQ(l.s.Mag[1], 12.5);  // the rest of the next line is skipped
  EXPECT_EQ(l.s.JD[2], 101);
  EXPECT_EQ(l.s.Mag[2], 13);
}

TEST(LoadObservations, CtrlZEndsTheSet) {
  Loaded l = Load(
      "1 10\r\n2 11\r\n\x1a"
      "3 12\r\n");
  EXPECT_EQ(l.s.NObs, 2);
  EXPECT_FALSE(l.error);
}

TEST(LoadObservations, MalformedNumberKeepsTheObservationsBeforeIt) {
  Loaded l = Load("1 10\n2 11\n3 1l.5\n4 13\n");
  ASSERT_TRUE(l.error);
  EXPECT_EQ(*l.error, "Invalid numeric input");
  ASSERT_EQ(l.s.NObs, 2);
  EXPECT_EQ(l.s.MagMean, 10.5);
  EXPECT_EQ(l.s.JDHigh, 2);
}

TEST(LoadObservations, ReportsTheLineOfTheErrorAndWhatWasPassedOver) {
  TempDir dir;
  AnalysisState s;
  const LoadReport r = LoadObservationsReporting(s,
                                                 dir.Write("star.dat",
                                                           "1 10\r\n2\r\n11\r\n\x01"
                                                           "3 12\r\n4 1l\r\n5 13\r\n"),
                                                 {});
  ASSERT_TRUE(r.error);
  EXPECT_EQ(*r.error, "Invalid numeric input");  // the window's text, without the line
  EXPECT_EQ(r.errorLine, 5);
  EXPECT_EQ(s.NObs, 3);
  EXPECT_EQ(s.Mag[2], 11);
  EXPECT_EQ(r.diagnostics.continuedLines.count, 1);
  EXPECT_EQ(r.diagnostics.continuedLines.firstLine, 2);
  EXPECT_EQ(r.diagnostics.controlCharacters.firstLine, 4);
  EXPECT_EQ(r.diagnostics.splitTokens.count, 0);

  const LoadReport clean = LoadObservationsReporting(s, dir.Write("ok.dat", "1 10\n2 11\n"), {});
  EXPECT_FALSE(clean.error);
  EXPECT_EQ(clean.errorLine, 0);
  EXPECT_EQ(clean.diagnostics.continuedLines.count + clean.diagnostics.controlCharacters.count, 0);
}

TEST(LoadObservations, CrLfAndLfFilesReadAlike) {
  Loaded crlf = Load("1 10\r\n2 11\r\n3 12\r\n");
  Loaded lf = Load("1 10\n2 11\n3 12\n");
  ASSERT_EQ(crlf.s.NObs, 3);
  EXPECT_EQ(crlf.s.JD, lf.s.JD);
  EXPECT_EQ(crlf.s.Mag, lf.s.Mag);
}

TEST(LoadObservations, SixtyFiveCharacterMagnitudeIsSplit) {
  const std::string token = "1" + std::string(63, '0') + "7";
  ReadOptions o;
  o.column = 2;
  Loaded l = Load("5 " + token + "\n", o);
  ASSERT_EQ(l.s.NObs, 1);
  EXPECT_EQ(l.s.Mag[1], 7.0);
}

TEST(LoadObservations, TrailingBlankLinesYieldNoObservationEvenWithReadZeros) {
  ReadOptions o;
  o.readZeros = true;
  Loaded l = Load("1 10\r\n2 11\r\n\r\n   \r\n\t\n", o);
  EXPECT_EQ(l.s.NObs, 2);
  // A date with its magnitude missing at the very end still reads 0.
  EXPECT_EQ(Load("1 10\n2", o).s.NObs, 2);
}

TEST(LoadObservations, StatisticsOfTheSet) {
  Loaded l = Load("3 10.0\n1 10.5\n2 11.0\n");
  EXPECT_EQ(l.s.MagMean, 10.5);
  EXPECT_DOUBLE_EQ(l.s.MagVar, 1.0 / 6.0);  // divided by NObs
  EXPECT_EQ(l.s.JDLow, 1);
  EXPECT_EQ(l.s.JDHigh, 3);
  EXPECT_EQ(l.s.MagLow, 10.0);
  EXPECT_EQ(l.s.MagHigh, 11.0);
  EXPECT_EQ(l.s.DataJDmin, 1);
  EXPECT_EQ(l.s.DataJDmax, 3);
  EXPECT_EQ(l.s.DataMagMin, 10.0);
  EXPECT_EQ(l.s.DataMagMax, 11.0);
  EXPECT_DOUBLE_EQ(Load("1 1\n2 2\n3 3\n").s.MagVar, 2.0 / 3.0);
}

TEST(LoadObservations, FullJulianDatesKeepTheirTrueRange) {
  Loaded l = Load("2459001.5 12\n2459002.5 13\n");
  EXPECT_EQ(l.s.JDLow, 2459001.5);
  EXPECT_EQ(l.s.JDHigh, 2459002.5);
}

TEST(LoadObservations, EmptySetHasZeroStatistics) {
  Loaded l = Load("1 0\n2 0\n");
  EXPECT_EQ(l.s.NObs, 0);
  EXPECT_EQ(l.s.JD.size(), 1u);
  EXPECT_EQ(l.s.MagMean, 0);
  EXPECT_EQ(l.s.MagVar, 0);
  EXPECT_EQ(l.s.Marks.size(), 1u);
}

TEST(LoadObservations, ArraysHaveNObsPlusOneElementsAndMarksAreCleared) {
  TempDir dir;
  AnalysisState s;
  s.Marks = {0, 1, 1, 1, 1, 1};
  s.SelMade = true;
  s.Phase = {0, 0.5, 0.25};
  LoadObservations(s, dir.Write("a.dat", "1 10\n2 11\n3 12\n"), {});
  EXPECT_EQ(s.NObs, 3);
  for (size_t size : {s.JD.size(), s.Mag.size(), s.Phase.size(), s.SortPhase.size(), s.WMag.size(),
                      s.BinOf.size(), s.Marks.size()})
    EXPECT_EQ(size, 4u);
  EXPECT_EQ(s.Marks, (iarray{0, 0, 0, 0}));
  EXPECT_FALSE(s.SelMade);
  EXPECT_EQ(s.Phase[1], 0.5);  // kept: only the size changes
}

TEST(LoadObservations, MissingFileThrows) {
  AnalysisState s;
  EXPECT_THROW(LoadObservations(s, "/nonexistent/x.dat", {}), KorvelError);
}

TEST(BaseNameOf, FirstPointOfTheFilesOwnNameThatIsNotItsLastCharacter) {
  EXPECT_EQ(BaseNameOf("/data/star.dat"), "/data/star");
  EXPECT_EQ(BaseNameOf("/data/star"), "/data/star");
  // Two stars of obs.v2/ no longer share obs.img and obs1.bmp in data/.
  EXPECT_EQ(BaseNameOf("/data/obs.v2/star.dat"), "/data/obs.v2/star");
  EXPECT_EQ(BaseNameOf("/data/obs.v2/star"), "/data/obs.v2/star");
  EXPECT_EQ(BaseNameOf("/data/.star.dat"), "/data/.star");
  EXPECT_EQ(BaseNameOf("star."), "star.");
  EXPECT_EQ(BaseNameOf("a.b.c"), "a");
  EXPECT_EQ(BaseNameOf(""), "");
}

TEST(ObservationWriters, EighteenCharactersPlusCrLf) {
  TempDir dir;
  AnalysisState s;
  s.NObs = 3;
  s.JD = {0, 59001.12346, 59002.5, 59003.0};
  s.Mag = {0, 12.34567, 9.5, -0.25};
  s.Marks = {0, 1, 0, 1};
  WriteAllObservations(s, dir.File("all.dat"));
  EXPECT_EQ(ReadFile(dir.File("all.dat")),
            "59001.1235 12.3457\r\n59002.5000  9.5000\r\n59003.0000 -0.2500\r\n");
  WriteMarkedObservations(s, dir.File("sel.dat"));
  EXPECT_EQ(ReadFile(dir.File("sel.dat")), "59001.1235  12.346\r\n59003.0000  -0.250\r\n");
}

TEST(ObservationWriters, SavedFileReadsBack) {
  TempDir dir;
  AnalysisState s;
  s.NObs = 2;
  s.JD = {0, 100.25, 200.5};
  s.Mag = {0, 11.125, 12.5};
  WriteAllObservations(s, dir.File("out.dat"));
  AnalysisState back;
  EXPECT_FALSE(LoadObservations(back, dir.File("out.dat"), {}));
  EXPECT_EQ(back.JD, s.JD);
  EXPECT_EQ(back.Mag, s.Mag);
}

TEST(ObservationWriters, UnwritablePathIsAnIoError) {
  AnalysisState s;
  try {
    WriteAllObservations(s, "/nonexistent-dir/out.dat");
    FAIL();
  } catch (const KorvelError& e) {
    EXPECT_STREQ(e.what(), "I/O error 3");
  }
}

}  // namespace
}  // namespace korvel
