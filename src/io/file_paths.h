// The rules for the names of files, kept in one place: what a name leads to
// (symlinks followed), whether two names are one file, and names that a
// system call cannot carry. Every command that reads or writes a named file
// asks here.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

namespace korvel {

enum class FileKind {
  Missing,  // nothing there yet (or a dangling symlink)
  Regular,  // an ordinary file
  Directory,
  CharacterDevice,  // /dev/null, /dev/full, a terminal
  Fifo,             // a named pipe, or a pipe reached through /dev/fd
  Other,            // a socket or a block device
};

// What path leads to once every symlink is followed.
FileKind KindOf(const std::string& path);

// True when a and b name the same file: an existing file by its identity
// (hard links, symlinks and "./" included), a file not yet made by its
// normalised path.
bool SameFile(const std::string& a, const std::string& b);

// Why a name cannot be handed to the system, or nothing: a NUL byte would cut
// the name short and another file would be used.
std::optional<std::string> PathProblem(const std::string& path);

// Why a name that must lead to a regular file (a star of a survey) does not,
// or nothing ("star.dat: is a directory..."). Asked before the file is
// opened: opening a pipe may block for ever and a device may never end.
std::optional<std::string> InputKindProblem(const std::string& path);

// Why output cannot be written, or nothing: it names one of the command's
// inputs (which writing would destroy before, or while, it is read).
std::optional<std::string> OutputIsInput(const std::string& output,
                                         std::initializer_list<std::string> inputs);

// The bytes of a small regular file; throws FileError when it cannot be read.
std::string ReadWholeFile(const std::string& path);

}  // namespace korvel
