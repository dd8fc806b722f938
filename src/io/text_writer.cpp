#include "io/text_writer.h"

namespace korvel {

TextWriter::TextWriter(const std::string& path, Mode mode) {
  file_.emplace(path, mode == Mode::Create ? OutputFile::Mode::Replace : OutputFile::Mode::Append);
}

void TextWriter::Write(const std::string& text) {
  if (!file_) throw IoError(103);  // file not open
  file_->Write(text);
}

void TextWriter::WriteLine(const std::string& text) {
  Write(text);
  Write("\r\n");
}

void TextWriter::Close() {
  if (!file_) return;
  // Closed once, whether or not the data went out.
  try {
    file_->Commit();
  } catch (...) {
    file_.reset();
    throw;
  }
  file_.reset();
}

}  // namespace korvel
