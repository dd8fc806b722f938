// Writing text files: CR LF line ends, through the output rule of
// io/output_file.h (a file is replaced only by a complete one); errors are
// FileError, "I/O error %d" in the window.
#pragma once

#include <optional>
#include <string>

#include "io/output_file.h"

namespace korvel {

class TextWriter {
 public:
  enum class Mode { Create, Append };

  // Creates (or replaces) or appends to a file; throws FileError.
  explicit TextWriter(const std::string& path, Mode mode = Mode::Create);

  void Write(const std::string& text);
  void WriteLine(const std::string& text = std::string());
  // Writes everything and puts the file in place; throws when the data could
  // not be written. Without Close (an error on the way) nothing is replaced.
  void Close();

 private:
  std::optional<OutputFile> file_;
};

}  // namespace korvel
