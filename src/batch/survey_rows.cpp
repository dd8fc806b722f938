#include "batch/survey_rows.h"

#include <nlohmann/json.hpp>

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
std::vector<Field> Fields(const SurveyRow& row, int top, Number number, Whole whole, Empty empty) {
  std::vector<Field> f = {row.file, row.method, whole(row.nobs), number(row.span),
                          whole(row.trials)};
  for (size_t k = 0; k < static_cast<size_t>(top); ++k) {
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

std::string NotThisSurvey(size_t record) {
  return "record " + std::to_string(record) + " is not a row of a survey with these columns";
}

}  // namespace

RowFormat FormatForFile(std::string_view fileName) {
  const std::string_view jsonl = ".jsonl";
  const bool isJsonl =
      fileName.size() >= jsonl.size() && fileName.substr(fileName.size() - jsonl.size()) == jsonl;
  return isJsonl ? RowFormat::JsonLines : RowFormat::Csv;
}

std::vector<std::string> SurveyColumns(int top) {
  std::vector<std::string> c = {"file", "method", "nobs", "span", "trials"};
  for (int k = 1; k <= top; ++k)
    for (const char* name : {"period_", "statistic_", "frequency_"})
      c.push_back(name + std::to_string(k));
  for (const char* name : {"sigma", "level99", "level999", "status", "error"}) c.push_back(name);
  return c;
}

std::string HeaderText(RowFormat format, int top) {
  return format == RowFormat::Csv ? CsvLine(SurveyColumns(top)) : std::string();
}

std::string RowText(const SurveyRow& row, RowFormat format, int top) {
  if (format == RowFormat::Csv) {
    const auto whole = [](const auto& n) { return Text(n); };
    const auto number = [](const std::optional<double>& x) { return Text(x); };
    return CsvLine(Fields<std::string>(row, top, number, whole, std::string()));
  }
  const auto value = [](const auto& x) { return Json(x); };
  const std::vector<nlohmann::ordered_json> fields =
      Fields<nlohmann::ordered_json>(row, top, value, value, nlohmann::ordered_json(nullptr));
  const std::vector<std::string> names = SurveyColumns(top);
  nlohmann::ordered_json object;
  for (size_t i = 0; i < names.size(); ++i) object[names[i]] = fields[i];
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
                                                         int top) {
  const std::vector<std::string> columns = SurveyColumns(top);
  ExistingRows rows;
  if (format == RowFormat::Csv) {
    const auto records = ParseCsv(text, &rows.completeLength);
    if (records.empty()) return rows;
    if (records.front() != columns)
      return std::string("its header is not the header of a survey with --top ") +
             std::to_string(top);
    rows.hasHeader = true;
    for (size_t r = 1; r < records.size(); ++r) {
      if (records[r].size() != columns.size()) return NotThisSurvey(r);
      rows.done.emplace(records[r][0], records[r][1]);
    }
    return rows;
  }
  size_t start = 0, record = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
    const std::string_view line = text.substr(start, end - start);
    rows.completeLength = end + 1;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    ++record;
    const auto object = nlohmann::ordered_json::parse(line, nullptr, false);
    if (!object.is_object() || object.size() != columns.size()) return NotThisSurvey(record);
    size_t i = 0;
    for (const auto& item : object.items())
      if (item.key() != columns[i++]) return NotThisSurvey(record);
    if (!object["file"].is_string() || !object["method"].is_string()) return NotThisSurvey(record);
    rows.done.emplace(object["file"].get<std::string>(), object["method"].get<std::string>());
  }
  return rows;
}

}  // namespace korvel::batch
