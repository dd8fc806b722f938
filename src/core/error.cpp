#include "core/error.h"

#include <cerrno>

namespace korvel {

KorvelError IoError(int code) {
  return KorvelError("I/O error " + std::to_string(code));
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
