// Header-led text tables as the archives write them, read line by line in
// constant memory: delimited tables (comma, tab, semicolon, or blanks when
// the header has none of those) with double-quoted fields, and IPAC tables
// ('\' keyword lines, '|' header lines whose pipes bound the columns). Every
// reader of a text photometry format is built on this one tokenizer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::formats {

// The file's lines, one at a time, through a fixed buffer. A NUL or another
// control character (other than tab, CR, LF and form feed) is no text: the
// line it is on fails as binary data. Ctrl-Z ends the file.
class LineSource {
 public:
  // Throws FileError when the file cannot be opened.
  explicit LineSource(const std::string& path);

  // The next line without its line end; false at the end of the file. The
  // line stays valid (and may be changed by the caller) until the next call.
  bool Next(std::string*& line);
  int64_t Line() const { return line_; }  // of the line last returned, from 1
  const std::string& Path() const { return path_; }

  // Throws FormatError "path:line: what".
  [[noreturn]] void Fail(const std::string& what) const;

  // A line longer than this is no table row; it fails rather than grows.
  static constexpr size_t kMaxLine = size_t{1} << 20;

 private:
  bool Refill();

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string path_;
  std::string buffer_, line_text_;
  size_t pos_ = 0, end_ = 0;
  bool ended_ = false;
  int64_t line_ = 0;
};

class Table {
 public:
  // Opens the file and reads its leading comment lines ('#'), blank lines
  // and IPAC keyword lines ('\'), keeping "#KEY=VALUE" and "\KEY = VALUE"
  // pairs as keywords (keys in upper case), up to the first other line.
  explicit Table(const std::string& path);

  // True when the file held nothing but comments.
  bool Empty() const { return !pending_; }
  // The first line after the comments (the header, or the first row of a
  // table without one); empty when Empty().
  std::string_view FirstLine() const { return pending_ ? std::string_view(*pending_) : ""; }
  // A keyword of the leading comments, or nullptr.
  const std::string* Keyword(const std::string& upperKey) const;

  // The first line is the header: its delimiter is detected, or it is an
  // IPAC header; column names are kept trimmed and in lower case.
  void ReadHeader();
  // A table without a header: the columns are given, the first line is data.
  // A row needs at least `minFields` fields.
  void UseColumns(std::vector<std::string> lowerNames, char delimiter, size_t minFields);

  const std::vector<std::string>& Columns() const { return names_; }
  // The first column (in file order) whose name is one of `names` (lower
  // case), or -1.
  int Find(std::initializer_list<std::string_view> names) const;
  int Find(std::string_view name) const { return Find({name}); }
  // Find, or fail "no <what>; the columns are: ...".
  int Require(std::initializer_list<std::string_view> names, const std::string& what) const;
  // "a, b, c": the header's names as the file writes them, for messages.
  std::string ColumnList() const;
  bool IsIpac() const { return ipac_; }

  // The next data row; blank and '#' lines are passed over. A row with
  // fewer fields than the header names fails.
  bool Next();
  // A field of the current row, trimmed and unquoted; empty past its end.
  std::string_view Field(int column) const {
    return column >= 0 && static_cast<size_t>(column) < fields_.size() ? fields_[column]
                                                                       : std::string_view();
  }
  int64_t Line() const { return lines_.Line(); }
  const std::string& Path() const { return lines_.Path(); }
  [[noreturn]] void Fail(const std::string& what) const { lines_.Fail(what); }

 private:
  void Split(std::string& line);
  void SplitIpac(std::string_view line);

  LineSource lines_;
  std::string* pending_ = nullptr;  // the first line after the comments
  bool pendingIsData_ = false;
  std::map<std::string, std::string> keywords_;
  std::vector<std::string> names_, shownNames_;
  std::vector<std::string_view> fields_;
  char delimiter_ = ',';  // ' ': runs of blanks and tabs
  size_t minFields_ = 0;
  bool headerless_ = false;
  bool ipac_ = false;
  std::vector<size_t> pipes_;  // IPAC: positions of the header's '|'
};

// The delimiter of a header line: the most frequent of tab, comma and
// semicolon outside quotes; ' ' (runs of blanks) when none appears.
char DetectDelimiter(std::string_view header);

// Splits a delimited line into fields, trimmed, quotes removed (a doubled
// quote inside quotes is one quote; the line is changed in place for it).
// False for a quote that does not close.
bool SplitDelimited(std::string& line, char delimiter, std::vector<std::string_view>& fields);

std::string_view Trim(std::string_view s);
std::string Lower(std::string_view s);

}  // namespace korvel::formats
