// What the fuzz targets share: a temporary directory of this process for the
// readers that take a path, and the check that turns a broken invariant into
// a crash the fuzzer reports with its input.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace korvel::fuzz {

// Created on first use, removed when the process exits normally; a crashed
// run leaves it behind, which scripts/fuzz keeps inside its scratch area.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("korvel fuzz: mkdtemp");
      std::abort();
    }
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline const ScratchDir& Scratch() {
  static const ScratchDir dir;
  return dir;
}

// Removes a file of the scratch directory, if there, and returns its path.
// Files are made anew rather than truncated: ext4 flushes a truncated file
// to disk when it is closed, which would cost milliseconds per input.
inline std::string FreshFile(const std::string& name) {
  const std::string path = Scratch().File(name);
  std::remove(path.c_str());
  return path;
}

// Writes bytes to a new file of the scratch directory and returns its path.
inline std::string WriteFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = FreshFile(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
    std::perror("korvel fuzz: writing the input");
    std::abort();
  }
  return path;
}

inline std::string WriteFile(const std::string& name, const std::string& text) {
  return WriteFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline std::string ReadFile(const std::string& path) {
  std::string content;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
    std::fclose(f);
  }
  return content;
}

// An invariant of the code under test: a failure is a finding, reported as
// a crash so that the fuzzer saves the input.
inline void Check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "korvel fuzz: invariant broken: %s\n", what);
  std::abort();
}

}  // namespace korvel::fuzz
