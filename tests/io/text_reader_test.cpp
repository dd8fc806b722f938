#include "io/text_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "support/temp_dir.h"

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

// Lines of "k 10.25" with CR LF, the first padded so that a line end falls
// across the reader's 64 KiB chunks; a malformed last line.
TEST(TextReader, StreamsAFileAcrossItsBufferWithExactLineNumbers) {
  testing::TempDir dir;
  std::string text(5, ' ');  // 12-byte lines: the CR of line 5461 at 65535
  int lines = 0;
  while (text.size() < 200000) text += std::to_string(1000 + ++lines) + " 10.25\r\n";
  ASSERT_EQ(text.substr(65535, 2), "\r\n");
  text += "1x 2\r\n";
  TextReader r = TextReader::FromFile(dir.Write("big.dat", text));
  for (int k = 1; k <= lines; ++k) {
    ASSERT_EQ(r.ReadReal(), 1000 + k) << k;
    ASSERT_EQ(r.ReadReal(), 10.25) << k;
    r.ReadLine();
  }
  try {
    r.ReadReal();
    FAIL();
  } catch (const TextReadError& e) {
    EXPECT_STREQ(e.what(), "Invalid numeric input");
    EXPECT_EQ(e.Line(), lines + 1);
  }
  EXPECT_EQ(r.Diagnostics().controlCharacters.count, 0);
}

TEST(TextReader, LineNumbersCountEveryLineEndStyle) {
  TextReader r("1\r\n2\n3\r4\n\n\r\n\r x");
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(r.ReadReal(), k);
    EXPECT_EQ(r.Line(), k);
  }
  try {
    r.ReadReal();
    FAIL();
  } catch (const TextReadError& e) {
    EXPECT_EQ(e.Line(), 8);
  }
}

// Records as the observation reader reads them: two numbers, then the rest
// of the line is skipped.
ReadDiagnostics ReadRecords(const std::string& text) {
  TextReader r(text);
  while (!r.SeekEof()) {
    r.ReadReal();
    r.ReadReal();
    r.ReadLine();
  }
  return r.Diagnostics();
}

TEST(TextReader, CountsWhatItPassesOverWithoutChangingWhatIsRead) {
  struct Case {
    std::string text;
    ReadDiagnostic continued, split, control;
  };
  const std::string long65 = "1" + std::string(64, '0');
  const Case cases[] = {
      {"1 10\r\n\r\n  \t\r\n2 11 junk\r\n", {}, {}, {}},
      // Lines 2 and 4 lack their second number; line 5 is not continued.
      {"1 10\n2\n11\n3\n\n12\n4 13\n5", {2, 2}, {}, {}},
      {"1 10\n2 " + long65 + "\n3 " + long65 + long65 + "\n", {}, {2, 2}, {}},
      {"1 10\n2\f11\n\x01\x02 3 12 \x7f\x1b\n", {}, {}, {4, 2}},
  };
  for (const Case& c : cases) {
    const ReadDiagnostics d = ReadRecords(c.text);
    EXPECT_EQ(d.continuedLines.count, c.continued.count) << c.text;
    EXPECT_EQ(d.continuedLines.firstLine, c.continued.firstLine) << c.text;
    EXPECT_EQ(d.splitTokens.count, c.split.count) << c.text;
    EXPECT_EQ(d.splitTokens.firstLine, c.split.firstLine) << c.text;
    EXPECT_EQ(d.controlCharacters.count, c.control.count) << c.text;
    EXPECT_EQ(d.controlCharacters.firstLine, c.control.firstLine) << c.text;
  }
}

TEST(TextReader, EndlessControlCharactersEndAsAMalformedNumber) {
  // /dev/zero never ends: the reader stops after a mebibyte of zeros.
  TextReader zero = TextReader::FromFile("/dev/zero");
  try {
    zero.ReadReal();
    FAIL();
  } catch (const TextReadError& e) {
    EXPECT_STREQ(e.what(), "Invalid numeric input");
    EXPECT_EQ(e.Line(), 1);
  }
  EXPECT_EQ(zero.Diagnostics().controlCharacters.count, TextReader::kMaxControlRun + 1);

  // A file padded with zeros below the limit still reads to its end.
  TextReader padded("1 10\n" + std::string(100000, '\0') + "\n2 11\n");
  EXPECT_EQ(ReadRecords("1 10\n" + std::string(100000, '\0') + "\n2 11\n").controlCharacters.count,
            100000);
  EXPECT_EQ(padded.ReadReal(), 1);
  padded.ReadLine();
  EXPECT_EQ(padded.ReadReal(), 2);
  EXPECT_EQ(padded.Line(), 3);
}

TEST(TextReader, CtrlZInALaterChunkEndsTheFile) {
  testing::TempDir dir;
  const std::string text = std::string(100000, ' ') + "5 6\x1a 7 8";
  TextReader r = TextReader::FromFile(dir.Write("z.dat", text));
  EXPECT_EQ(r.ReadReal(), 5);
  EXPECT_EQ(r.ReadReal(), 6);
  EXPECT_TRUE(r.SeekEof());
  EXPECT_EQ(r.ReadReal(), 0.0);
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
