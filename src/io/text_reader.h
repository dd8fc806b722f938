// The token reader behind every text file the program reads.
//
// Numbers are blank-separated tokens: blanks, tabs, line ends and other
// control characters before a number are skipped; a token is at most 64
// characters (a longer run is split, the rest starting the next token); a
// character 26 (Ctrl-Z) ends the file; a number asked for when nothing but
// blanks remains reads as 0; a malformed number raises "Invalid numeric input".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel {

class TextReader {
 public:
  static constexpr size_t kMaxToken = 64;

  explicit TextReader(std::string content);
  // Reads the whole file; throws "File not found" or "I/O error %d".
  static TextReader FromFile(const std::string& path);

  // True when the end of the file has been reached.
  bool Eof() const { return pos_ >= text_.size(); }
  // Skips blanks and line ends; true when nothing else remains.
  bool SeekEof();

  double ReadReal();
  int32_t ReadInt();
  // Skips the rest of the current line, including its line end.
  void ReadLine();
  // Returns the rest of the current line as text and moves past its line end.
  std::string ReadLineText();

 private:
  std::string_view NextToken();

  std::string text_;
  size_t pos_ = 0;
};

// Whole-text conversions used by dialog fields: leading blanks are skipped and
// the remaining text must form the number exactly. False when it does not.
bool TextToReal(std::string_view text, double& value);
bool TextToInt(std::string_view text, int32_t& value);

// True for a path that names an existing file that can be opened as one
// (not a directory).
bool FileExists(const std::string& path);

}  // namespace korvel
