#include "core/error.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace korvel {

KorvelError IoError(int code) {
  return KorvelError("I/O error " + std::to_string(code));
}

FileError::FileError(int code, std::string path, std::string reason, bool writing)
    : KorvelError(IoError(code).what()),
      path_(std::move(path)),
      reason_(std::move(reason)),
      writing_(writing) {}

FileError FileError::FromErrno(int err, const std::string& path, bool writing) {
  return FileError(IoCodeFromErrno(err, writing), path, std::strerror(err), writing);
}

std::string FileError::Detail() const {
  return path_ + (writing_ ? ": cannot be written: " : ": cannot be read: ") + reason_;
}

int IoCodeFromErrno(int err, bool writing) {
  switch (err) {
    case ENOENT:
      return writing ? 3 : 2;
    case ENOTDIR:
      return 3;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;
    default:
      return writing ? 101 : 100;
  }
}

}  // namespace korvel
