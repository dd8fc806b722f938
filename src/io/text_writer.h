// Writing text files: CR LF line ends, errors raised as "I/O error %d".
#pragma once

#include <cstdio>
#include <string>

namespace korvel {

class TextWriter {
 public:
  enum class Mode { Create, Append };

  // Creates (or overwrites) or appends to a file; throws "I/O error %d".
  explicit TextWriter(const std::string& path, Mode mode = Mode::Create);
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  void Write(const std::string& text);
  void WriteLine(const std::string& text = std::string());
  // Flushes and closes; throws when the data could not be written.
  void Close();

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace korvel
