#include "io/text_reader.h"

#include <gtest/gtest.h>

#include "core/error.h"

namespace korvel {
namespace {

TEST(TextReader, SkipsBlanksTabsAndLineEndsBeforeANumber) {
  TextReader r(" \t 1.5\r\n\r\n  -2e3\n\t+4.");
  EXPECT_EQ(r.ReadReal(), 1.5);
  EXPECT_EQ(r.ReadReal(), -2000.0);
  EXPECT_EQ(r.ReadReal(), 4.0);
  EXPECT_TRUE(r.Eof());
}

TEST(TextReader, MissingNumberAtTheVeryEndReadsAsZero) {
  TextReader r("7  \r\n  \n");
  EXPECT_EQ(r.ReadReal(), 7.0);
  EXPECT_EQ(r.ReadReal(), 0.0);
  EXPECT_EQ(r.ReadInt(), 0);
  EXPECT_TRUE(r.Eof());
}

TEST(TextReader, CtrlZEndsTheFile) {
  TextReader r("1 2\x1a 3 4");
  EXPECT_EQ(r.ReadReal(), 1.0);
  EXPECT_EQ(r.ReadReal(), 2.0);
  EXPECT_TRUE(r.SeekEof());
  EXPECT_EQ(r.ReadReal(), 0.0);
}

TEST(TextReader, MalformedNumbersRaiseInvalidNumericInput) {
  for (const char* bad : {"abc", "1,5", "1.2.3", "--1", "1e", ".", "inf", "nan", "0x10", "+"}) {
    TextReader r(bad);
    try {
      r.ReadReal();
      ADD_FAILURE() << bad << " was accepted";
    } catch (const KorvelError& e) {
      EXPECT_STREQ(e.what(), "Invalid numeric input") << bad;
    }
  }
  TextReader r("2.5");
  EXPECT_THROW(r.ReadInt(), KorvelError);
}

TEST(TextReader, TokenIsAtMostSixtyFourCharacters) {
  // 65 characters: the first 64 are one number, the 65th starts the next.
  const std::string token = "1" + std::string(63, '0') + "7";
  ASSERT_EQ(token.size(), 65u);
  TextReader r(token);
  EXPECT_EQ(r.ReadReal(), 1e63);
  EXPECT_EQ(r.ReadReal(), 7.0);
}

TEST(TextReader, ReadLineSkipsToAfterTheLineEndOfAnyStyle) {
  TextReader r("1 junk\r\n2 junk\n3 junk\r4");
  EXPECT_EQ(r.ReadReal(), 1.0);
  r.ReadLine();
  EXPECT_EQ(r.ReadReal(), 2.0);
  r.ReadLine();
  EXPECT_EQ(r.ReadReal(), 3.0);
  r.ReadLine();
  EXPECT_EQ(r.ReadReal(), 4.0);
}

TEST(TextReader, ReadLineTextReturnsTheWholeLine) {
  TextReader r("C:\\stars\\ \r\nrr lyr.dat\n\r\n");
  EXPECT_EQ(r.ReadLineText(), "C:\\stars\\ ");
  EXPECT_EQ(r.ReadLineText(), "rr lyr.dat");
  EXPECT_EQ(r.ReadLineText(), "");
  EXPECT_TRUE(r.Eof());
}

TEST(TextReader, MissingFileIsFileNotFound) {
  try {
    TextReader::FromFile("/nonexistent-dir/none.dat");
    FAIL();
  } catch (const KorvelError& e) {
    EXPECT_STREQ(e.what(), "File not found");
  }
}

TEST(FieldConversion, LeadingBlanksSkippedWholeTextMustBeANumber) {
  double v = -1;
  EXPECT_TRUE(TextToReal("  12.5", v));
  EXPECT_EQ(v, 12.5);
  EXPECT_FALSE(TextToReal("12.5x", v));
  EXPECT_FALSE(TextToReal("", v));
  EXPECT_FALSE(TextToReal("1 2", v));
  int32_t n = 0;
  EXPECT_TRUE(TextToInt(" 8", n));
  EXPECT_EQ(n, 8);
  EXPECT_FALSE(TextToInt("2.5", n));
  EXPECT_FALSE(TextToInt("99999999999", n));
}

}  // namespace
}  // namespace korvel
