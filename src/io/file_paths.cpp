#include "io/file_paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/error.h"

namespace korvel {

FileKind KindOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return FileKind::Missing;
  if (S_ISREG(info.st_mode)) return FileKind::Regular;
  if (S_ISDIR(info.st_mode)) return FileKind::Directory;
  if (S_ISCHR(info.st_mode)) return FileKind::CharacterDevice;
  if (S_ISFIFO(info.st_mode)) return FileKind::Fifo;
  return FileKind::Other;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  struct stat infoA {
  }, infoB{};
  if (::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0)
    return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
  // Names of files not yet made: the same path once "." and ".." are gone
  // and the symlinks of the existing part are followed.
  std::error_code errorA, errorB;
  const auto pathA = std::filesystem::weakly_canonical(a, errorA);
  const auto pathB = std::filesystem::weakly_canonical(b, errorB);
  return !errorA && !errorB && pathA == pathB;
}

std::optional<std::string> PathProblem(const std::string& path) {
  if (path.find('\0') != std::string::npos) return "A file name cannot hold a NUL byte...";
  return std::nullopt;
}

std::optional<std::string> InputKindProblem(const std::string& path) {
  if (auto problem = PathProblem(path)) return problem;
  switch (KindOf(path)) {
    case FileKind::Directory:
      return path + ": is a directory...";
    case FileKind::CharacterDevice:
    case FileKind::Fifo:
    case FileKind::Other:
      return path + ": is not a regular file (a device, pipe or socket is not read)...";
    default:
      return std::nullopt;
  }
}

std::optional<std::string> OutputIsInput(const std::string& output,
                                         std::initializer_list<std::string> inputs) {
  for (const std::string& input : inputs)
    if (SameFile(output, input))
      return output + " is also an input of the command (" + input +
             "): writing it would destroy it; choose another name...";
  return std::nullopt;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError::FromErrno(errno, path, false);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw FileError::FromErrno(errno, path, false);
  return text.str();
}

}  // namespace korvel
