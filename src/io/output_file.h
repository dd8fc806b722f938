// The one rule for a file that a command writes. A regular file, or a name
// not yet taken, is written under a temporary name beside it and renamed
// into place only when complete: a failure leaves the old file as it was. A
// symlink is followed and its target written the same way, so the link
// stays. A character device (/dev/null) or a pipe with a reader is written
// in place and never replaced; a directory, a socket, a block device or a
// pipe nobody reads is refused. Appending never replaces anything.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/error.h"

namespace korvel {

class OutputFile {
 public:
  enum class Mode { Replace, Append };

  // Opens path for writing under the rule above; throws FileError.
  explicit OutputFile(const std::string& path, Mode mode = Mode::Replace);
  // Without Commit a replacement is dropped (the old file stays as it was);
  // what was written in place stays.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  // Writes what is buffered, closes, and renames the temporary into place;
  // throws FileError (and then has removed the temporary).
  void Commit();

 private:
  void Flush();
  [[noreturn]] void Fail(int err);
  void Discard();

  std::string path_;       // as the caller named it, for messages
  std::string target_;     // the file written once symlinks are followed
  std::string temporary_;  // empty when written in place
  int fd_ = -1;
  std::string buffer_;
};

// The whole of bytes written to path under the rule above.
void WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace korvel
