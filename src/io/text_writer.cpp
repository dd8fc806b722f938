#include "io/text_writer.h"

#include <cerrno>

#include "core/error.h"

namespace korvel {

TextWriter::TextWriter(const std::string& path, Mode mode) {
  file_ = std::fopen(path.c_str(), mode == Mode::Create ? "wb" : "ab");
  if (file_ == nullptr) throw IoError(IoCodeFromErrno(errno, true));
}

TextWriter::~TextWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void TextWriter::Write(const std::string& text) {
  if (file_ == nullptr) throw IoError(103);  // file not open
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) throw IoError(101);
}

void TextWriter::WriteLine(const std::string& text) {
  Write(text);
  Write("\r\n");
}

void TextWriter::Close() {
  if (file_ == nullptr) return;
  const bool failed = std::fflush(file_) != 0 || std::ferror(file_) != 0;
  const bool closeFailed = std::fclose(file_) != 0;
  file_ = nullptr;
  if (failed || closeFailed) throw IoError(101);
}

}  // namespace korvel
