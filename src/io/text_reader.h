// The token reader behind every text file the program reads.
//
// Numbers are blank-separated tokens: blanks, tabs, line ends and other
// control characters before a number are skipped; a token is at most 64
// characters (a longer run is split, the rest starting the next token); a
// character 26 (Ctrl-Z) ends the file; a number asked for when nothing but
// blanks remains reads as 0; a malformed number raises "Invalid numeric input".
//
// The file is read through a small buffer, never held whole, so that any
// size can be read. Without changing what is read, the reader counts what it
// passed over that a user may want to know about (ReadDiagnostics).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "core/error.h"

namespace korvel {

// A malformed number: the message the user sees, and the line it is on.
class TextReadError : public KorvelError {
 public:
  TextReadError(const std::string& text, int64_t line) : KorvelError(text), line_(line) {}
  int64_t Line() const { return line_; }

 private:
  int64_t line_;
};

// How often one kind of oddity was passed over, and where first.
struct ReadDiagnostic {
  int64_t count = 0;
  int64_t firstLine = 0;  // 1-based; 0 while count is 0
  void Note(int64_t line) {
    if (count++ == 0) firstLine = line;
  }
};

struct ReadDiagnostics {
  // Lines with fewer values than a record needs, which took the rest from the
  // following line(s); counted once per record, at the line it began on.
  ReadDiagnostic continuedLines;
  // Runs of more than 64 characters read as two or more numbers.
  ReadDiagnostic splitTokens;
  // Characters below 32 other than blanks, tabs and line ends (and Ctrl-Z).
  ReadDiagnostic controlCharacters;
};

class TextReader {
 public:
  static constexpr size_t kMaxToken = 64;
  // A longer run of control characters is no text (an endless source such as
  // /dev/zero is nothing else): it is read as a malformed number, so that
  // reading ends. Files padded with a few pages of zeros stay readable.
  static constexpr int64_t kMaxControlRun = int64_t{1} << 20;

  explicit TextReader(std::string content);
  // Opens the file; throws "File not found" or "I/O error %d". A read error
  // later throws "I/O error 100".
  static TextReader FromFile(const std::string& path);

  // True when the end of the file has been reached.
  bool Eof() { return Peek() < 0; }
  // Skips blanks and line ends; true when nothing else remains.
  bool SeekEof();

  double ReadReal();
  int32_t ReadInt();
  // Skips the rest of the current line, including its line end.
  void ReadLine();
  // Returns the rest of the current line as text and moves past its line end.
  std::string ReadLineText();

  // Line of the next character, from 1; a line ends with CR LF, LF or CR.
  int64_t Line() const { return line_; }
  const ReadDiagnostics& Diagnostics() const { return diagnostics_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  TextReader() = default;
  // The next character (0..255) without consuming it, or -1 at the end.
  int Peek() {
    if (pos_ < end_) return static_cast<unsigned char>(buffer_[pos_]);
    return Refill() ? static_cast<unsigned char>(buffer_[pos_]) : -1;
  }
  // Consumes the character Peek returned, counting lines and oddities.
  void Advance();
  bool Refill();
  std::string_view NextToken();

  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string path_;  // for the message of a failed read
  std::string buffer_;
  size_t pos_ = 0, end_ = 0;
  bool ended_ = false;  // Ctrl-Z seen or the source exhausted
  std::array<char, kMaxToken> token_{};
  int64_t line_ = 1;
  int64_t tokenLine_ = 1;  // line of the last token read
  int64_t controlRun_ = 0;
  // The record being read: whether a number of it has been read since the
  // last ReadLine, the line it began on, and whether it was counted.
  bool recordStarted_ = false, recordCounted_ = false;
  int64_t recordLine_ = 0;
  ReadDiagnostics diagnostics_;
};

// Whole-text conversions used by dialog fields: leading blanks are skipped and
// the remaining text must form the number exactly. False when it does not.
bool TextToReal(std::string_view text, double& value);
bool TextToInt(std::string_view text, int32_t& value);

// True for a path that names an existing file that can be opened as one
// (not a directory).
bool FileExists(const std::string& path);

}  // namespace korvel
