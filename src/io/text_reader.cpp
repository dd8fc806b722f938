#include "io/text_reader.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "core/error.h"

namespace korvel {

namespace {

constexpr char kCtrlZ = 26;

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
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

}  // namespace

TextReader::TextReader(std::string content) : text_(std::move(content)) {
  if (const size_t z = text_.find(kCtrlZ); z != std::string::npos) text_.resize(z);
}

TextReader TextReader::FromFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    const int err = errno;
    if (err == ENOENT) throw KorvelError(kFileNotFound);
    throw IoError(IoCodeFromErrno(err, false));
  }
  std::string content;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw IoError(100);
  return TextReader(std::move(content));
}

bool TextReader::SeekEof() {
  while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  return Eof();
}

std::string_view TextReader::NextToken() {
  SeekEof();
  const size_t start = pos_;
  while (pos_ < text_.size() && pos_ - start < kMaxToken && !IsBlank(text_[pos_])) ++pos_;
  return std::string_view(text_).substr(start, pos_ - start);
}

double TextReader::ReadReal() {
  const std::string_view token = NextToken();
  if (token.empty()) return 0.0;
  double value = 0;
  if (!ParseReal(token, value)) throw KorvelError(kInvalidNumericInput);
  return value;
}

int32_t TextReader::ReadInt() {
  const std::string_view token = NextToken();
  if (token.empty()) return 0;
  int32_t value = 0;
  if (!ParseInt(token, value)) throw KorvelError(kInvalidNumericInput);
  return value;
}

void TextReader::ReadLine() {
  while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

std::string TextReader::ReadLineText() {
  const size_t start = pos_;
  while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
  std::string line = text_.substr(start, pos_ - start);
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
