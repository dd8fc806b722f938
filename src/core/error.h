// The one error type of file and number handling. Its text is what the user
// sees in the message box of the general error handler.
#pragma once

#include <stdexcept>
#include <string>

namespace korvel {

class KorvelError : public std::runtime_error {
 public:
  explicit KorvelError(const std::string& text) : std::runtime_error(text) {}
};

// "I/O error 3" and the like: the numbering follows the platform error codes
// users of the program know from its messages (2 file not found, 3 path not
// found, 5 access denied, 100 read error, 101 write error).
KorvelError IoError(int code);

// A file that could not be opened, read or written: what() is "I/O error
// %d", the text the window shows; Detail() names the file and the reason, for
// the command line and Python ("star.o: cannot be written: No space left on
// device").
class FileError : public KorvelError {
 public:
  FileError(int code, std::string path, std::string reason, bool writing);
  // From errno of the failed call.
  static FileError FromErrno(int err, const std::string& path, bool writing);
  std::string Detail() const;
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_, reason_;
  bool writing_;
};

// Maps errno of a failed open or write to the code shown in "I/O error %d".
int IoCodeFromErrno(int err, bool writing);

inline constexpr const char* kInvalidNumericInput = "Invalid numeric input";
inline constexpr const char* kFileNotFound = "File not found";

}  // namespace korvel
