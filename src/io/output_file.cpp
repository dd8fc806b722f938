#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

#include "io/file_paths.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;

// Writes are gathered into blocks of this size: a file of many short lines
// costs few system calls.
constexpr size_t kBlock = 1 << 16;

// The file a name leads to once every symlink on its last part is followed
// (a dangling link leads to the file it would create).
std::string FollowLinks(const std::string& path) {
  fs::path p = path;
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code error;
    if (!fs::is_symlink(p, error)) return p.string();
    const fs::path next = fs::read_symlink(p, error);
    if (error) return p.string();
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  throw FileError::FromErrno(ELOOP, path, true);
}

int OpenTemporary(const std::string& target, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".part";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

OutputFile::OutputFile(const std::string& path, Mode mode) : path_(path) {
  if (PathProblem(path)) throw FileError(5, path, "the name holds a NUL byte", true);
  if (path.empty()) throw FileError::FromErrno(ENOENT, path, true);
  target_ = FollowLinks(path);
  const FileKind kind = KindOf(target_);
  if (kind == FileKind::Directory) throw FileError(5, path, "it is a directory", true);
  if (kind == FileKind::Other)
    throw FileError(5, path, "it is a socket or a block device, not a file", true);
  if (kind == FileKind::Fifo) {
    // Opened without waiting: a pipe nobody reads would block for ever.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0 && errno == ENXIO) throw FileError(101, path, "no program reads the pipe", true);
    if (fd_ >= 0) ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
  } else if (kind == FileKind::CharacterDevice) {
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
  } else if (mode == Mode::Append) {
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  } else {
    fd_ = OpenTemporary(target_, temporary_);
    struct stat old {};
    // A file replaced keeps its permissions.
    if (fd_ >= 0 && ::stat(target_.c_str(), &old) == 0) ::fchmod(fd_, old.st_mode & 07777);
  }
  if (fd_ < 0) throw FileError::FromErrno(errno, path, true);
}

OutputFile::~OutputFile() {
  // Written in place (appended, a device, a pipe): what was written stays, as
  // a closed stream's would; a replacement is dropped unless committed.
  if (fd_ >= 0 && temporary_.empty()) {
    try {
      Flush();
    } catch (const FileError&) {
      // Nobody is left to tell.
    }
  }
  Discard();
}

void OutputFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void OutputFile::Fail(int err) {
  Discard();
  throw FileError::FromErrno(err, path_, true);
}

void OutputFile::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail(n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

void OutputFile::Write(std::string_view bytes) {
  if (fd_ < 0) throw FileError(103, path_, "the file is not open", true);
  buffer_.append(bytes);
  if (buffer_.size() >= kBlock) Flush();
}

void OutputFile::Commit() {
  if (fd_ < 0) throw FileError(103, path_, "the file is not open", true);
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail(errno);
  if (!temporary_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
  temporary_.clear();
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  OutputFile out(path);
  out.Write(bytes);
  out.Commit();
}

}  // namespace korvel
