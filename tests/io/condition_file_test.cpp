// Condition file: line formats, round trip, and refusal of unusable files.
#include "io/condition_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/error.h"

namespace korvel {
namespace {

std::string TempPath(const char* name) {
  return ::testing::TempDir() + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

AnalysisState SavedSearch() {
  AnalysisState s;
  s.RunCode = 'e';
  s.Pmin = 1;
  s.Pmax = 100;
  s.FreqLo = 0.01;
  s.FreqHi = 1;
  s.FreqScale = 480 / (s.FreqHi - s.FreqLo);
  s.Freq = 0.5;
  s.FreqStep = 0.00005;
  s.DrawnSpecMax = 3.25;
  s.DrawnSpecMin = 0.5;
  s.View = 'l';
  s.NBins = 8;
  s.ExtrDate = 2450000.125;
  s.Period = 2.5;
  s.P2Epoch = 0;
  for (int k = 1; k <= kBestPlaces; ++k) {
    s.BestPeriod[k] = 1.0 + k;
    s.BestParam[k] = 0.1 * k;
    s.BestFreq[k] = 1.0 / (1.0 + k);
  }
  for (int c = 0; c < kSpecColumns; ++c) {
    s.SpecHigh[c] = 2.0 + c * 0.001;
    s.SpecLow[c] = 1.0 + c * 0.001;
  }
  return s;
}

TEST(ConditionFile, WritesLinesOneAndTwoInTheirFormats) {
  AnalysisState s = SavedSearch();
  const std::string path = TempPath("cond_fmt.img");
  WriteConditionFile(s, path);
  const std::string text = ReadAll(path);
  const auto first = text.find("\r\n");
  EXPECT_EQ(text.substr(0, first),
            "2.0000000000 1.0000000 100.0000000 0.00005000 3.25000000 0.50000000");
  const auto second = text.find("\r\n", first + 2);
  EXPECT_EQ(text.substr(first + 2, second - first - 2), "l   8 2450000.125 2.5000000      0.000");
  // Column of 0.5: (0.5 - 0.01) * 484.84... = 237.57 -> 238; 20 best lines + 239 spectrum lines.
  EXPECT_EQ(s.SpecCol, 238);
  int lines = 0;
  for (size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
  EXPECT_EQ(lines, 2 + 20 + 239);
}

TEST(ConditionFile, AColumnOffTheSpectrumWritesAllColumnsOrNone) {
  const auto countLines = [](const std::string& text) {
    int lines = 0;
    for (size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
    return lines;
  };
  // Far beyond the last column (a scale no int holds): every column, once.
  AnalysisState s = SavedSearch();
  s.FreqScale = 1e300;
  WriteConditionFile(s, TempPath("cond_far.img"));
  EXPECT_EQ(s.SpecCol, kSpecColumns - 1);
  EXPECT_EQ(countLines(ReadAll(TempPath("cond_far.img"))), 2 + 20 + kSpecColumns);
  // Below the first column, or no column at all: no spectrum line.
  for (const double scale : {-1e300, std::nan("")}) {
    s.FreqScale = scale;
    WriteConditionFile(s, TempPath("cond_none.img"));
    EXPECT_EQ(s.SpecCol, -1);
    EXPECT_EQ(countLines(ReadAll(TempPath("cond_none.img"))), 2 + 20);
  }
}

TEST(ConditionFile, RoundTripsBestListAndSpectrum) {
  AnalysisState s = SavedSearch();
  const std::string path = TempPath("cond_rt.img");
  WriteConditionFile(s, path);
  const ConditionRecord c = ReadConditionFile(path);
  EXPECT_EQ(ConditionRecordProblem(c), "");
  EXPECT_DOUBLE_EQ(c.r[1], 2.0);
  EXPECT_DOUBLE_EQ(c.r[3], 100.0);
  EXPECT_EQ(c.View, 'l');
  EXPECT_EQ(c.NBins, 8);
  EXPECT_DOUBLE_EQ(c.ExtrDate, 2450000.125);
  EXPECT_DOUBLE_EQ(c.BestPeriod[20], 21.0);
  EXPECT_NEAR(c.BestFreq[3], 0.25, 1e-7);
  EXPECT_NEAR(c.SpecHigh[238], s.SpecHigh[238], 1e-5);
  EXPECT_EQ(c.SpecHigh[239], 0.0);  // beyond SpecCol nothing was written
}

TEST(ConditionFile, RefusesSaveBeforeAnySearch) {
  AnalysisState s;
  EXPECT_NE(ConditionSaveProblem(s), "");
  s.RunCode = 'e';
  EXPECT_NE(ConditionSaveProblem(s), "");
  EXPECT_EQ(ConditionSaveProblem(SavedSearch()), "");
}

TEST(ConditionFile, RefusesZeroPeriodAndEmptyRangeAndIgnoresExtraColumns) {
  const std::string path = TempPath("cond_bad.img");
  auto write = [&](const std::string& line1, int specLines) {
    std::ofstream f(path, std::ios::binary);
    f << line1 << "\r\nl   8      0.000 1.0000000      0.000\r\n";
    for (int k = 0; k < 20; ++k) f << "1 2 3\r\n";
    for (int k = 0; k < specLines; ++k) f << k << " 1\r\n";
  };
  write("0 1 100 0.001 2 1", 0);
  EXPECT_NE(ConditionRecordProblem(ReadConditionFile(path)), "");
  write("2 1 100 0.001 2 2", 0);
  EXPECT_NE(ConditionRecordProblem(ReadConditionFile(path)), "");
  write("2 1 100 0.001 2 1", 600);
  const ConditionRecord c = ReadConditionFile(path);
  EXPECT_EQ(ConditionRecordProblem(c), "");
  EXPECT_EQ(c.SpecHigh[480], 480.0);
  write("2 1 x 0.001 2 1", 0);
  EXPECT_THROW(ReadConditionFile(path), KorvelError);
}

}  // namespace
}  // namespace korvel
