#include "io/text_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/error.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::TempDir;

// The error text a call raises, or "" when it raises none.
template <class F>
std::string ErrorOf(F&& call) {
  try {
    call();
  } catch (const KorvelError& e) {
    return e.what();
  }
  return "";
}

TEST(TextWriter, LinesEndInCrLfAndWriteAddsNothing) {
  TempDir dir;
  const std::string path = dir.Write("out.txt", "old contents that a new file replaces\n");
  TextWriter w(path);
  w.Write("a");
  w.Write(" b");
  w.WriteLine();
  w.WriteLine("12.5 3");
  w.Close();
  EXPECT_EQ(ReadFile(path), "a b\r\n12.5 3\r\n");
}

TEST(TextWriter, AppendKeepsTheFileAndCreatesAMissingOne) {
  TempDir dir;
  const std::string path = dir.Write("out.txt", "first\r\n");
  {
    TextWriter w(path, TextWriter::Mode::Append);
    w.WriteLine("second");
    w.Close();
  }
  EXPECT_EQ(ReadFile(path), "first\r\nsecond\r\n");
  const std::string fresh = dir.File("fresh.txt");
  TextWriter(fresh, TextWriter::Mode::Append).WriteLine("x");  // closed by the destructor
  EXPECT_EQ(ReadFile(fresh), "x\r\n");
}

TEST(TextWriter, AFileThatCannotBeOpenedRaisesItsCode) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "sub");
  struct Case {
    std::string path;
    TextWriter::Mode mode;
    const char* text;
  } const cases[] = {
      {dir.File("missing/out.txt"), TextWriter::Mode::Create, "I/O error 3"},
      {dir.File("missing/out.txt"), TextWriter::Mode::Append, "I/O error 3"},
      {dir.File("sub"), TextWriter::Mode::Create, "I/O error 5"},
      {dir.File("sub"), TextWriter::Mode::Append, "I/O error 5"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ErrorOf([&] { TextWriter w(c.path, c.mode); }), c.text) << c.path;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

// A full disk is raised, at the latest when the file is closed.
TEST(TextWriter, AFailedWriteIsRaised) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TextWriter w("/dev/full");
  EXPECT_EQ(ErrorOf([&] {
              w.WriteLine("1.0 2.0");
              w.Close();
            }),
            "I/O error 101");
}

// Once closed, a second Close does nothing and a write is refused instead of
// touching a closed file.
TEST(TextWriter, AClosedWriterRefusesToWrite) {
  TempDir dir;
  const std::string path = dir.File("out.txt");
  TextWriter w(path);
  w.WriteLine("kept");
  w.Close();
  EXPECT_EQ(ErrorOf([&] { w.Close(); }), "");
  EXPECT_EQ(ErrorOf([&] { w.WriteLine("lost"); }), "I/O error 103");
  EXPECT_EQ(ReadFile(path), "kept\r\n");
}

}  // namespace
}  // namespace korvel
