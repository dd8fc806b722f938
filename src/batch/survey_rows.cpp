#include "batch/survey_rows.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <nlohmann/json.hpp>

#include "batch/load_options.h"
#include "batch/survey_method.h"
#include "core/text_format.h"

namespace korvel::batch {

namespace {

std::string Text(const std::optional<double>& x) {
  return x ? ShortestText(*x) : std::string();
}

template <class Int>
std::string Text(const std::optional<Int>& n) {
  return n ? std::to_string(*n) : std::string();
}

template <class T>
nlohmann::ordered_json Json(const std::optional<T>& x) {
  return x ? nlohmann::ordered_json(*x) : nlohmann::ordered_json(nullptr);
}

// The fields of a row in column order, as CSV texts or JSON values.
template <class Field, class Number, class Whole, class Empty>
std::vector<Field> Fields(const SurveyRow& row, const RowLayout& layout, Number number, Whole whole,
                          Empty empty) {
  std::vector<Field> f = {row.file, row.method, whole(row.nobs), number(row.span),
                          whole(row.trials)};
  for (size_t k = 0; k < static_cast<size_t>(layout.top); ++k) {
    if (k < row.best.size()) {
      const BestEntry& b = row.best[k];
      f.push_back(number(std::optional<double>(b.period)));
      f.push_back(number(std::optional<double>(b.statistic)));
      f.push_back(number(std::optional<double>(b.frequency)));
    } else {
      f.insert(f.end(), 3, empty);
    }
  }
  f.push_back(number(row.sigma));
  f.push_back(number(row.level99));
  f.push_back(number(row.level999));
  for (size_t k = 0; k < static_cast<size_t>(layout.peaks); ++k) {
    if (k < row.peaks.size()) {
      const PeakEntry& p = row.peaks[k];
      f.push_back(number(std::optional<double>(p.period)));
      f.push_back(number(p.error));
      f.push_back(number(p.fap));
      // An empty label is no label: null in JSON lines, as a number that is not there.
      f.push_back(p.label.empty() ? empty : Field(p.label));
    } else {
      f.insert(f.end(), 4, empty);
    }
  }
  f.push_back(row.status);
  f.push_back(row.error);
  return f;
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += CsvField(fields[i]);
  }
  return line + '\n';
}

std::string NotThisSurvey(size_t row) {
  return "row " + std::to_string(row) + " is not a row of a survey with these columns";
}

// "--top 5", and " --peaks 3" where there are peak columns.
std::string LayoutText(const RowLayout& layout) {
  std::string text = "--top " + std::to_string(layout.top);
  if (layout.peaks > 0) text += " --peaks " + std::to_string(layout.peaks);
  return text;
}

bool IsWhole(std::string_view text) {
  int64_t n = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, n);
  return !text.empty() && text.front() != '-' && parsed.ec == std::errc() && parsed.ptr == end;
}

// As ShortestText writes a number ("nan" and "inf" included), and nothing
// else: no blanks, no "+".
bool IsNumber(std::string_view text) {
  double x = 0;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, x);
  return parsed.ec == std::errc() && parsed.ptr == end;
}

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

enum class ColumnKind { Text, OptionalText, Whole, Number };

ColumnKind KindOfColumn(std::string_view column) {
  if (column == "nobs" || column == "trials") return ColumnKind::Whole;
  if (column == "file" || column == "method" || column == "status" || column == "error")
    return ColumnKind::Text;
  if (column.starts_with("peak_label_")) return ColumnKind::OptionalText;
  return ColumnKind::Number;
}

// What is wrong with a field as the survey would have written it, or
// nothing. A file name may hold any byte but NUL, as may an error that
// quotes one; method and status are the program's own words.
std::optional<std::string> FieldProblem(const std::string& column, std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return "its " + column + " holds a NUL byte";
  if (column == "file" && text.empty()) return std::string("its file is empty");
  if (column == "method" && !SurveyMethodNamed(text))
    return "its method is not one of " + SurveyMethodNames();
  if (column == "status" && HasControlCharacter(text))
    return std::string("its status holds a control character");
  const ColumnKind kind = KindOfColumn(column);
  if (kind == ColumnKind::Whole && !text.empty() && !IsWhole(text))
    return "its " + column + " is not a whole number";
  if (kind == ColumnKind::Number && !text.empty() && !IsNumber(text))
    return "its " + column + " is not a number";
  return std::nullopt;
}

// The one check of a kept row, whatever the format: its fields as the CSV
// record holds them. Row counts the rows from 1.
std::optional<std::string> RowProblem(size_t row, const std::vector<std::string>& columns,
                                      const std::vector<std::string>& fields) {
  if (fields.size() != columns.size()) return NotThisSurvey(row);
  for (size_t i = 0; i < columns.size(); ++i)
    if (auto problem = FieldProblem(columns[i], fields[i]))
      return "row " + std::to_string(row) + ": " + *problem;
  return std::nullopt;
}

// Whether the keys of object from its key at first on are, in order, those
// of what a load read (LoadedFormatJson), each holding a value of its kind.
bool IsLoadedFormat(const nlohmann::ordered_json& object, size_t first) {
  static const nlohmann::ordered_json kKeys = LoadedFormatJson(LoadedFormat{});
  if (object.size() != first + kKeys.size()) return false;
  auto item = object.begin();
  std::advance(item, first);
  for (auto key = kKeys.begin(); key != kKeys.end(); ++key, ++item) {
    if (item.key() != key.key()) return false;
    const bool fits = key.key() == "band"
                          ? item->is_string() || item->is_null()
                          : item->type() == key->type() || (item->is_number() && key->is_number());
    if (!fits) return false;
  }
  return true;
}

// A JSON-lines record's fields as the texts of its CSV record, or nothing
// when its keys are not the columns in order (then, for a star read in an
// archive's format, what its load read) or a value is not of its column's
// type (a string for words, a number or null for numbers).
std::optional<std::vector<std::string>> JsonFieldTexts(const nlohmann::ordered_json& object,
                                                       const std::vector<std::string>& columns) {
  if (!object.is_object() || object.size() < columns.size()) return std::nullopt;
  // A fit row's whole fit may follow the columns.
  size_t extra = columns.size();
  if (object.size() > extra) {
    auto item = object.begin();
    std::advance(item, extra);
    if (item.key() == "fit" && item->is_object()) ++extra;
  }
  if (object.size() > extra && !IsLoadedFormat(object, extra)) return std::nullopt;
  std::vector<std::string> fields;
  size_t i = 0;
  for (const auto& item : object.items()) {
    if (i == columns.size()) break;
    const std::string& column = columns[i++];
    const auto& value = item.value();
    if (item.key() != column) return std::nullopt;
    const ColumnKind kind = KindOfColumn(column);
    if (value.is_string() && (kind == ColumnKind::Text || kind == ColumnKind::OptionalText)) {
      fields.push_back(value.get<std::string>());
    } else if (kind == ColumnKind::Text) {
      return std::nullopt;
    } else if (value.is_null()) {
      fields.emplace_back();
    } else if (value.is_number() && kind != ColumnKind::OptionalText) {
      fields.push_back(value.dump());
    } else {
      return std::nullopt;
    }
  }
  return fields;
}

}  // namespace

RowFormat FormatForFile(std::string_view fileName) {
  const std::string_view jsonl = ".jsonl";
  const bool isJsonl =
      fileName.size() >= jsonl.size() && fileName.substr(fileName.size() - jsonl.size()) == jsonl;
  return isJsonl ? RowFormat::JsonLines : RowFormat::Csv;
}

std::vector<std::string> SurveyColumns(const RowLayout& layout) {
  std::vector<std::string> c = {"file", "method", "nobs", "span", "trials"};
  for (int k = 1; k <= layout.top; ++k)
    for (const char* name : {"period_", "statistic_", "frequency_"})
      c.push_back(name + std::to_string(k));
  for (const char* name : {"sigma", "level99", "level999"}) c.push_back(name);
  for (int k = 1; k <= layout.peaks; ++k)
    for (const char* name : {"peak_period_", "peak_error_", "peak_fap_", "peak_label_"})
      c.push_back(name + std::to_string(k));
  for (const char* name : {"status", "error"}) c.push_back(name);
  return c;
}

std::string HeaderText(RowFormat format, const RowLayout& layout) {
  return format == RowFormat::Csv ? CsvLine(SurveyColumns(layout)) : std::string();
}

std::string RowText(const SurveyRow& row, RowFormat format, const RowLayout& layout) {
  if (format == RowFormat::Csv) {
    const auto whole = [](const auto& n) { return Text(n); };
    const auto number = [](const std::optional<double>& x) { return Text(x); };
    return CsvLine(Fields<std::string>(row, layout, number, whole, std::string()));
  }
  const auto value = [](const auto& x) { return Json(x); };
  const std::vector<nlohmann::ordered_json> fields =
      Fields<nlohmann::ordered_json>(row, layout, value, value, nlohmann::ordered_json(nullptr));
  const std::vector<std::string> names = SurveyColumns(layout);
  nlohmann::ordered_json object;
  for (size_t i = 0; i < names.size(); ++i) object[names[i]] = fields[i];
  if (row.fit) object["fit"] = *row.fit;
  if (row.read) object.update(LoadedFormatJson(*row.read));
  // A file name need not be UTF-8: its bytes are escaped, not refused.
  return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
}

std::string CsvField(std::string_view text) {
  const bool plain =
      text.find_first_of(",\"\r\n") == std::string_view::npos &&
      (text.empty() || (text.front() != ' ' && text.back() != ' ' && text.front() != '\t'));
  if (plain) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::vector<std::vector<std::string>> ParseCsv(std::string_view text, size_t* completeLength) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false;
  size_t complete = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      if (!field.empty() && field.back() == '\r') field.pop_back();
      record.push_back(std::move(field));
      field.clear();
      // A blank line is no record.
      if (record.size() > 1 || !record.front().empty()) records.push_back(std::move(record));
      record.clear();
      complete = i + 1;
    } else {
      field += c;
    }
  }
  if (completeLength != nullptr) *completeLength = complete;
  return records;
}

std::variant<ExistingRows, std::string> ReadExistingRows(std::string_view text, RowFormat format,
                                                         const RowLayout& layout) {
  const std::vector<std::string> columns = SurveyColumns(layout);
  ExistingRows rows;
  // Every kept row passes one check, so that a damaged one is refused
  // instead of counting as done.
  const auto keep = [&](size_t row,
                        const std::vector<std::string>& fields) -> std::optional<std::string> {
    if (auto problem = RowProblem(row, columns, fields)) return problem;
    rows.done.emplace(fields[0], fields[1]);
    return std::nullopt;
  };
  if (format == RowFormat::Csv) {
    const auto records = ParseCsv(text, &rows.completeLength);
    if (records.empty()) return rows;
    if (records.front() != columns)
      return "its header is not the header of a survey with " + LayoutText(layout);
    rows.hasHeader = true;
    for (size_t r = 1; r < records.size(); ++r)
      if (auto problem = keep(r, records[r])) return *problem;
    return rows;
  }
  size_t start = 0, row = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
    const std::string_view line = text.substr(start, end - start);
    rows.completeLength = end + 1;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    ++row;
    const auto fields =
        JsonFieldTexts(nlohmann::ordered_json::parse(line, nullptr, false), columns);
    if (!fields) return NotThisSurvey(row);
    if (auto problem = keep(row, *fields)) return *problem;
  }
  return rows;
}

}  // namespace korvel::batch
