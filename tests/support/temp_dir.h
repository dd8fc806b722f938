// A fresh directory per test, removed afterwards, with helpers to write and
// read files byte for byte.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace korvel::testing {

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("korvel-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

  std::string Write(const std::string& name, const std::string& content) const {
    const std::string p = File(name);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs the body with the current directory set to dir, restoring it after.
template <class F>
void InDirectory(const std::filesystem::path& dir, F&& body) {
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  try {
    body();
  } catch (...) {
    std::filesystem::current_path(old);
    throw;
  }
  std::filesystem::current_path(old);
}

}  // namespace korvel::testing
