#include "io/formats/table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/error.h"
#include "io/read_observations.h"

namespace korvel::formats {

namespace {

constexpr size_t kChunk = size_t{1} << 16;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\f';
}

const char* DelimiterName(char d) {
  switch (d) {
    case ',':
      return "commas";
    case '\t':
      return "tabs";
    case ';':
      return "semicolons";
    case ' ':
      return "blanks";
    default:
      return "its delimiter";
  }
}

}  // namespace

std::string_view Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (IsBlank(s[b]) || s[b] == '\r')) ++b;
  while (e > b && (IsBlank(s[e - 1]) || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

LineSource::LineSource(const std::string& path) : path_(path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw FileError::FromErrno(errno, path, false);
  file_.reset(f);
  std::setvbuf(f, nullptr, _IONBF, 0);
  buffer_.resize(kChunk);
}

bool LineSource::Refill() {
  if (ended_) return false;
  const size_t n = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
  // A directory opens on Linux and fails here, as any other read error.
  if (n == 0 && std::ferror(file_.get())) throw FileError::FromErrno(errno, path_, false);
  pos_ = 0;
  end_ = n;
  if (n == 0) ended_ = true;
  return n > 0;
}

void LineSource::Fail(const std::string& what) const {
  throw FormatError(path_ + ":" + std::to_string(std::max<int64_t>(line_, 1)) + ": " + what);
}

bool LineSource::Next(std::string*& line) {
  line_text_.clear();
  bool any = false;
  for (;;) {
    if (pos_ == end_ && !Refill()) {
      if (!any) return false;
      break;
    }
    any = true;
    // A line ends with LF, CR LF or a lone CR.
    const char* start = buffer_.data() + pos_;
    size_t n = 0;
    const size_t avail = end_ - pos_;
    bool eol = false, ctrlZ = false;
    for (; n < avail; ++n) {
      const auto c = static_cast<unsigned char>(start[n]);
      if (c >= 32 || c == '\t' || c == '\f') continue;
      if (c == '\n' || c == '\r') {
        eol = true;
      } else if (c == 26) {
        ctrlZ = true;
      } else {
        ++line_;
        Fail("binary data, not a text table");
      }
      break;
    }
    if (line_text_.size() + n > kMaxLine) {
      ++line_;
      Fail("a line longer than 1 MiB: not a text table");
    }
    line_text_.append(start, n);
    pos_ += n;
    if (ctrlZ) {
      ended_ = true;
      pos_ = end_;
      break;
    }
    if (eol) {
      const char c = buffer_[pos_++];
      if (c == '\r') {
        if (pos_ == end_) Refill();
        if (pos_ < end_ && buffer_[pos_] == '\n') ++pos_;
      }
      break;
    }
  }
  ++line_;
  line = &line_text_;
  return true;
}

Table::Table(const std::string& path) : lines_(path) {
  std::string* line = nullptr;
  while (lines_.Next(line)) {
    std::string_view t = Trim(*line);
    if (t.empty()) continue;
    if (t[0] != '#' && t[0] != '\\') {
      pending_ = line;
      return;
    }
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) continue;
    std::string key(Trim(t.substr(1, eq - 1)));
    for (char& c : key)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    // The value untrimmed: "#DELIM=\t" names a tab.
    std::string_view value = std::string_view(*line).substr(line->find('=') + 1);
    if (t[0] == '\\') value = Trim(value);
    if (!key.empty()) keywords_[key] = std::string(value);
  }
}

const std::string* Table::Keyword(const std::string& upperKey) const {
  const auto it = keywords_.find(upperKey);
  return it == keywords_.end() ? nullptr : &it->second;
}

void Table::ReadHeader() {
  if (!pending_) Fail("empty file: no header and no rows");
  std::string& header = *pending_;
  const std::string_view t = Trim(header);
  if (t[0] == '|') {
    ipac_ = true;
    for (size_t i = 0; i < header.size(); ++i)
      if (header[i] == '|') pipes_.push_back(i);
    if (Trim(std::string_view(header).substr(pipes_.back() + 1)).size() > 0)
      pipes_.push_back(header.size());
    for (size_t i = 0; i + 1 < pipes_.size(); ++i) {
      const std::string_view name =
          Trim(std::string_view(header).substr(pipes_[i] + 1, pipes_[i + 1] - pipes_[i] - 1));
      shownNames_.emplace_back(name);
      names_.push_back(Lower(name));
    }
    if (names_.empty()) Fail("an IPAC header without columns");
    pending_ = nullptr;
    // The type, unit and null lines follow the names.
    std::string* line = nullptr;
    while (lines_.Next(line)) {
      const std::string_view l = Trim(*line);
      if (!l.empty() && (l[0] == '|' || l[0] == '\\')) continue;
      pending_ = line;
      pendingIsData_ = true;
      break;
    }
    return;
  }
  delimiter_ = DetectDelimiter(header);
  if (!SplitDelimited(header, delimiter_, fields_)) Fail("a quote that does not close");
  for (std::string_view f : fields_) {
    shownNames_.emplace_back(f);
    names_.push_back(Lower(f));
  }
  minFields_ = names_.size();
  pending_ = nullptr;
}

void Table::UseColumns(std::vector<std::string> lowerNames, char delimiter, size_t minFields) {
  minFields_ = minFields;
  headerless_ = true;
  names_ = lowerNames;
  shownNames_ = std::move(lowerNames);
  delimiter_ = delimiter;
  pendingIsData_ = pending_ != nullptr;
}

int Table::Find(std::initializer_list<std::string_view> names) const {
  for (size_t i = 0; i < names_.size(); ++i)
    if (std::find(names.begin(), names.end(), names_[i]) != names.end()) return static_cast<int>(i);
  return -1;
}

int Table::Require(std::initializer_list<std::string_view> names, const std::string& what) const {
  const int c = Find(names);
  if (c < 0) Fail("no " + what + "; the columns are: " + ColumnList());
  return c;
}

std::string Table::ColumnList() const {
  std::string out;
  for (const std::string& n : shownNames_) {
    if (!out.empty()) out += ", ";
    out += n.empty() ? "(unnamed)" : n;
    if (out.size() > 400) return out + ", ...";
  }
  return out;
}

bool Table::Next() {
  for (;;) {
    std::string* line = nullptr;
    if (pendingIsData_) {
      line = pending_;
      pendingIsData_ = false;
    } else if (!lines_.Next(line)) {
      return false;
    }
    const std::string_view t = Trim(*line);
    if (t.empty() || t[0] == '#') continue;
    if (ipac_ && (t[0] == '\\' || t[0] == '|')) continue;
    if (ipac_)
      SplitIpac(*line);
    else
      Split(*line);
    return true;
  }
}

void Table::Split(std::string& line) {
  if (!SplitDelimited(line, delimiter_, fields_)) Fail("a quote that does not close");
  if (fields_.size() < minFields_)
    Fail(std::to_string(fields_.size()) + " field" + (fields_.size() == 1 ? "" : "s") +
         (headerless_ ? " where a row needs " : " where the header names ") +
         std::to_string(minFields_) + " (separated by " + DelimiterName(delimiter_) + ")");
}

void Table::SplitIpac(std::string_view line) {
  fields_.clear();
  for (size_t i = 0; i + 1 < pipes_.size(); ++i) {
    const size_t start = pipes_[i] + 1;
    if (start >= line.size()) break;
    // Values may touch the closing pipe's column.
    fields_.push_back(Trim(line.substr(start, pipes_[i + 1] - pipes_[i])));
  }
  if (fields_.size() < names_.size())
    Fail("a row that ends before column \"" + shownNames_[fields_.size()] +
         "\" of the IPAC header");
}

char DetectDelimiter(std::string_view header) {
  size_t tabs = 0, commas = 0, semicolons = 0;
  bool quoted = false;
  for (char c : header) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    tabs += c == '\t';
    commas += c == ',';
    semicolons += c == ';';
  }
  if (tabs + commas + semicolons == 0) return ' ';
  if (tabs >= commas && tabs >= semicolons) return '\t';
  return commas >= semicolons ? ',' : ';';
}

bool SplitDelimited(std::string& line, char delimiter, std::vector<std::string_view>& fields) {
  fields.clear();
  const bool blanks = delimiter == ' ';
  const auto isDelim = [&](char c) { return blanks ? (c == ' ' || c == '\t') : c == delimiter; };
  const size_t n = line.size();
  size_t i = 0;
  for (;;) {
    while (i < n && (line[i] == ' ' || line[i] == '\f' || (line[i] == '\t' && delimiter != '\t')))
      ++i;
    if (blanks && i >= n) break;
    if (i < n && line[i] == '"') {
      // Quoted: a doubled quote is one quote, moved down in place.
      const size_t start = i + 1;
      size_t out = start, j = start;
      for (;;) {
        if (j >= n) return false;
        if (line[j] == '"') {
          if (j + 1 < n && line[j + 1] == '"') {
            line[out++] = '"';
            j += 2;
            continue;
          }
          break;
        }
        line[out++] = line[j++];
      }
      fields.emplace_back(line.data() + start, out - start);
      i = j + 1;
      while (i < n && !isDelim(line[i])) ++i;
    } else {
      size_t j = i;
      while (j < n && !isDelim(line[j])) ++j;
      fields.push_back(Trim(std::string_view(line).substr(i, j - i)));
      i = j;
    }
    if (i >= n) break;
    if (!blanks) ++i;
  }
  return true;
}

}  // namespace korvel::formats
