#include "io/text_reader.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>

namespace korvel {

namespace {

constexpr char kCtrlZ = 26;
// Large enough that reading costs one system call per 64 KiB, small enough
// that any file reads in constant memory.
constexpr size_t kChunk = size_t{1} << 16;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Fixed or exponent notation with an optional sign; at least one digit in the
// mantissa. No "inf", "nan", hexadecimal or comma decimal separator.
bool IsRealSyntax(std::string_view t) {
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  size_t digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == t.size();
}

bool ParseReal(std::string_view t, double& value) {
  if (!IsRealSyntax(t)) return false;
  if (t[0] == '+') t.remove_prefix(1);
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return ec == std::errc() && end == t.data() + t.size();
}

bool ParseInt(std::string_view t, int32_t& value) {
  if (t.empty()) return false;
  if (t[0] == '+') t.remove_prefix(1);
  if (t.empty() || t[0] == '+') return false;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  return ec == std::errc() && end == t.data() + t.size();
}

std::string_view SkipLeadingBlanks(std::string_view t) {
  size_t i = 0;
  while (i < t.size() && t[i] == ' ') ++i;
  return t.substr(i);
}

bool IsLineEnd(int c) {
  return c == '\n' || c == '\r';
}

}  // namespace

TextReader::TextReader(std::string content) : buffer_(std::move(content)), ended_(true) {
  if (const size_t z = buffer_.find(kCtrlZ); z != std::string::npos) buffer_.resize(z);
  end_ = buffer_.size();
}

TextReader TextReader::FromFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    const int err = errno;
    if (err == ENOENT) throw KorvelError(kFileNotFound);
    throw FileError::FromErrno(err, path, false);
  }
  TextReader reader;
  reader.file_.reset(f);
  reader.path_ = path;
  // The reader's buffer is the only one needed.
  std::setvbuf(f, nullptr, _IONBF, 0);
  reader.buffer_.resize(kChunk);
  // A file that cannot be read at all (a directory) fails here, as before
  // anything of it is used.
  reader.Refill();
  return reader;
}

bool TextReader::Refill() {
  if (ended_ || !file_) return false;
  const size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
  if (n < buffer_.size() && std::ferror(file_.get()))
    throw FileError(100, path_, std::strerror(errno), false);
  pos_ = 0;
  end_ = n;
  if (const void* z = std::memchr(buffer_.data(), kCtrlZ, n)) {
    end_ = static_cast<size_t>(static_cast<const char*>(z) - buffer_.data());
    ended_ = true;
  }
  if (n == 0) ended_ = true;
  return pos_ < end_;
}

void TextReader::Advance() {
  const auto c = static_cast<unsigned char>(buffer_[pos_++]);
  if (c >= ' ' || c == '\t') {
    controlRun_ = 0;
    return;
  }
  if (c == '\n') {
    ++line_;
  } else if (c == '\r') {
    if (Peek() != '\n') ++line_;
  } else {
    diagnostics_.controlCharacters.Note(line_);
    if (++controlRun_ > kMaxControlRun) throw TextReadError(kInvalidNumericInput, line_);
    return;
  }
  controlRun_ = 0;
}

bool TextReader::SeekEof() {
  int c;
  while ((c = Peek()) >= 0 && c <= ' ') Advance();
  return c < 0;
}

std::string_view TextReader::NextToken() {
  bool crossedLineEnd = false;
  int c;
  while ((c = Peek()) >= 0 && c <= ' ') {
    crossedLineEnd = crossedLineEnd || IsLineEnd(c);
    Advance();
  }
  tokenLine_ = line_;
  size_t n = 0;
  while (n < kMaxToken && (c = Peek()) > ' ') {
    token_[n++] = static_cast<char>(c);
    Advance();
  }
  if (n == 0) return {};
  if (n == kMaxToken && Peek() > ' ') diagnostics_.splitTokens.Note(tokenLine_);
  if (!recordStarted_) {
    recordStarted_ = true;
    recordLine_ = tokenLine_;
  } else if (crossedLineEnd && !recordCounted_) {
    recordCounted_ = true;
    diagnostics_.continuedLines.Note(recordLine_);
  }
  return std::string_view(token_.data(), n);
}

double TextReader::ReadReal() {
  const std::string_view token = NextToken();
  if (token.empty()) return 0.0;
  double value = 0;
  if (!ParseReal(token, value)) throw TextReadError(kInvalidNumericInput, tokenLine_);
  return value;
}

int32_t TextReader::ReadInt() {
  const std::string_view token = NextToken();
  if (token.empty()) return 0;
  int32_t value = 0;
  if (!ParseInt(token, value)) throw TextReadError(kInvalidNumericInput, tokenLine_);
  return value;
}

void TextReader::ReadLine() {
  int c;
  while ((c = Peek()) >= 0 && !IsLineEnd(c)) Advance();
  if (c == '\r') {
    Advance();
    c = Peek();
  }
  if (c == '\n') Advance();
  recordStarted_ = recordCounted_ = false;
}

std::string TextReader::ReadLineText() {
  std::string line;
  int c;
  while ((c = Peek()) >= 0 && !IsLineEnd(c)) {
    line += static_cast<char>(c);
    Advance();
  }
  ReadLine();
  return line;
}

bool TextToReal(std::string_view text, double& value) {
  return ParseReal(SkipLeadingBlanks(text), value);
}

bool TextToInt(std::string_view text, int32_t& value) {
  return ParseInt(SkipLeadingBlanks(text), value);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(path, ec) &&
         !std::filesystem::is_directory(path, ec);
}

}  // namespace korvel
