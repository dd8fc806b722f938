#include "io/param_file.h"

#include <gtest/gtest.h>

#include "io/text_reader.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

TEST(ParamFile, WritesSevenCrLfLinesInTheirFormats) {
  testing::TempDir dir;
  AnalysisState s;
  s.Period = 0.5568123456;
  s.Epoch = 59001.23456;
  s.P2 = 39.8;
  s.ExtrDate = -12.5;
  s.NBins = 8;
  WriteParamFile(dir.File("default.cfg"), "/home/obs/stars", "/home/obs/stars/rr.dat", s);
  EXPECT_EQ(testing::ReadFile(dir.File("default.cfg")),
            "/home/obs/stars\r\n/home/obs/stars/rr.dat\r\n0.5568123\r\n59001.2346\r\n"
            "39.8000000\r\n  -12.5000\r\n 8\r\n");
}

TEST(ParamFile, AValueTooLargeForOneTokenIsWrittenSoThatItReadsBack) {
  testing::TempDir dir;
  AnalysisState s;
  s.Period = 1e90;  // 98 characters in the fixed layout: the reader would split it
  s.Epoch = -3e60;
  s.P2 = 1e55;  // 64 characters with its 7 decimals: still one token, kept fixed
  WriteParamFile(dir.File("default.cfg"), "d", "f", s);
  const std::string file = testing::ReadFile(dir.File("default.cfg"));
  EXPECT_NE(file.find("\r\n1e+90\r\n-3e+60\r\n"), std::string::npos) << file;
  const size_t p2 = file.find("-3e+60\r\n") + 8;
  EXPECT_EQ(file.find("\r\n", p2) - p2, TextReader::kMaxToken) << file;
}

TEST(ParamFile, DefaultsTable) {
  AnalysisState s;
  s.ShuffleCount = 4;
  s.RunCode = 'e';
  s.MagMode = false;
  s.Period = 2.5;
  s.NObs = 7;
  SetParameterDefaults(s);
  EXPECT_EQ(s.ShuffleCount, 0);
  EXPECT_EQ(s.RunCode, 'n');
  EXPECT_EQ(s.MouseOn, 'y');
  EXPECT_EQ(s.Px2State, 'n');
  EXPECT_TRUE(s.MagMode);
  EXPECT_EQ(s.MagAxisFlip, 0);
  EXPECT_EQ(s.MagAxisSign, 1);
  EXPECT_EQ(s.MagLabel, "Mag");
  EXPECT_EQ(s.FrameLeft, 60);
  EXPECT_EQ(s.FrameRight, 600);
  EXPECT_EQ(s.FrameTop, 50);
  EXPECT_EQ(s.FrameBottom, 220);
  EXPECT_TRUE(s.FullRange);
  EXPECT_EQ(s.PhMax, 1.0);
  EXPECT_EQ(s.PhMaxAll, 1.0);
  EXPECT_EQ(s.PhMin, -0.5);
  EXPECT_EQ(s.PhMinAll, -0.5);
  EXPECT_FALSE(s.StatLoaded || s.MLCLoaded || s.WindowSpec || s.Resumed || s.MirrorOn ||
               s.SpecToFile);
  // Nothing else is reset.
  EXPECT_EQ(s.Period, 2.5);
  EXPECT_EQ(s.NObs, 7);
}

TEST(ParamFile, OpenDialogDirDropsATrailingSeparatorExceptAfterADriveColon) {
  EXPECT_EQ(OpenDialogDir("/home/obs/"), "/home/obs");
  EXPECT_EQ(OpenDialogDir("C:\\stars\\"), "C:\\stars");
  EXPECT_EQ(OpenDialogDir("C:\\"), "C:\\");
  EXPECT_EQ(OpenDialogDir("/"), "/");
  EXPECT_EQ(OpenDialogDir("/home/obs"), "/home/obs");
  EXPECT_EQ(OpenDialogDir(""), "");
}

TEST(ParamFile, FieldTexts) {
  EXPECT_EQ(PeriodFieldText(0.5), "0.5000000");
  EXPECT_EQ(DateFieldText(59001.5), "59001.5000");
  EXPECT_EQ(BinsFieldText(8), " 8");
  EXPECT_EQ(BinsFieldText(12), "12");
}

}  // namespace
}  // namespace korvel
