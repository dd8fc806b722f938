#include "io/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "io/file_paths.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::TempDir;
namespace fs = std::filesystem;

// The detail of the FileError a call raises, or "" when it raises none.
template <class F>
std::string FailureOf(F&& call) {
  try {
    call();
  } catch (const FileError& e) {
    return e.Detail();
  }
  return "";
}

size_t EntriesIn(const TempDir& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path()), {}));
}

TEST(OutputFile, AFileIsReplacedOnlyByACompleteOneWithItsPermissions) {
  TempDir dir;
  const std::string path = dir.Write("star.o", "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    OutputFile out(path);
    out.Write("half of a new file");
  }  // dropped: an error on the way left it uncommitted
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(EntriesIn(dir), 1u) << "no temporary left behind";
  WriteWholeFile(path, "new");
  EXPECT_EQ(ReadFile(path), "new");
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST(OutputFile, LinksAreFollowedAndDevicesAndPipesWrittenInPlace) {
  TempDir dir;
  const std::string real = dir.Write("real.o", "old");
  const std::string link = dir.File("link.o");
  fs::create_symlink("real.o", link);  // relative, as users make them
  WriteWholeFile(link, "new");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "new");

  const std::string null = dir.File("null.o"), full = dir.File("full.o");
  fs::create_symlink("/dev/null", null);
  fs::create_symlink("/dev/full", full);
  EXPECT_EQ(FailureOf([&] { WriteWholeFile(null, "x"); }), "");
  EXPECT_NE(FailureOf([&] { WriteWholeFile(full, "x"); }).find("No space left on device"),
            std::string::npos);
  EXPECT_TRUE(fs::is_symlink(null) && fs::is_symlink(full));
  EXPECT_EQ(KindOf(full), FileKind::CharacterDevice);

  const std::string pipe = dir.File("pipe.png");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(FailureOf([&] { WriteWholeFile(pipe, "x"); }),
            pipe + ": cannot be written: no program reads the pipe");
  std::string received;
  std::thread reader([&] { received = ReadFile(pipe); });
  // The reader may not have opened its end yet: the refusal is retried.
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (FailureOf([&] { WriteWholeFile(pipe, "picture"); }).empty()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  reader.join();
  EXPECT_EQ(received, "picture");
  EXPECT_EQ(KindOf(pipe), FileKind::Fifo);

  EXPECT_EQ(FailureOf([&] { WriteWholeFile(dir.path().string(), "x"); }),
            dir.path().string() + ": cannot be written: it is a directory");
}

}  // namespace
}  // namespace korvel
