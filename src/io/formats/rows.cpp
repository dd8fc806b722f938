#include "io/formats/rows.h"

#include <charconv>
#include <cstdlib>

#include "io/formats/table.h"

namespace korvel::formats {

Value ParseValue(std::string_view field, double& v) {
  field = Trim(field);
  if (!field.empty() && field[0] == '+') field.remove_prefix(1);
  if (field.empty() || field[0] == '+' || field[0] == ' ') return Value::Missing;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
  if (end != field.data() + field.size()) return Value::Missing;
  if (ec == std::errc::result_out_of_range) {
    // Overflow is infinite; underflow is a number next to zero.
    char buf[80];
    if (field.size() >= sizeof buf) return Value::NonFinite;
    field.copy(buf, field.size());
    buf[field.size()] = '\0';
    v = std::strtod(buf, nullptr);
  } else if (ec != std::errc()) {
    return Value::Missing;
  }
  return std::isfinite(v) ? Value::Ok : Value::NonFinite;
}

double ErrorOf(std::string_view field) {
  double v = 0;
  return ParseValue(field, v) == Value::Ok ? v : kNoError;
}

bool IsTrue(std::string_view field) {
  const std::string f = Lower(Trim(field));
  if (f == "true" || f == "t" || f == "yes" || f == "y") return true;
  double v = 0;
  return ParseValue(f, v) == Value::Ok && v != 0;
}

const char* LimitReason(std::string_view magnitude) {
  magnitude = Trim(magnitude);
  return !magnitude.empty() && (magnitude[0] == '<' || magnitude[0] == '>') ? kLimit : nullptr;
}

double FluxMagError(double flux, std::string_view fluxError) {
  const double e = ErrorOf(fluxError);
  if (std::isnan(e) || !(flux > 0)) return kNoError;
  const double m = kMagPerRelativeFlux * e / flux;
  return std::isfinite(m) ? m : kNoError;
}

RowSink::RowSink(ObservationFormat format, std::string timeSystem, bool hasErrors) {
  rows_.format = format;
  rows_.timeSystem = std::move(timeSystem);
  rows_.hasErrors = hasErrors;
}

std::map<std::string, int64_t>& RowSink::Count(std::string_view band) {
  // Rows come in runs of one band: the maps are searched when it changes.
  if (lastDropped_ == nullptr || band != lastBand_) {
    lastBand_ = std::string(band);
    lastRead_ = &rows_.rowsRead[lastBand_];
    lastDropped_ = &rows_.dropped[lastBand_];
  }
  ++*lastRead_;
  return *lastDropped_;
}

void RowSink::Keep(std::string_view band, double t, double v, double e) {
  rows_.time.push_back(t);
  rows_.value.push_back(v);
  rows_.err.push_back(e);
  rows_.band.emplace_back(band);
}

void RowSink::Add(std::string_view band, const char* reason, std::string_view time,
                  std::string_view value, double err, double timeAdd) {
  double v = 0;
  const Value vv = reason == nullptr ? ParseValue(value, v) : Value::Ok;
  Judge(band, reason, time, vv, v, err, timeAdd);
}

void RowSink::AddFlux(std::string_view band, const char* reason, std::string_view time,
                      std::string_view flux, std::string_view fluxError, double timeAdd) {
  double f = 0;
  Value fv = reason == nullptr ? ParseValue(flux, f) : Value::Ok;
  if (fv == Value::Ok && !(f > 0)) fv = Value::NonFinite;
  if (rows_.flux) {
    Judge(band, reason, time, fv, f, ErrorOf(fluxError), timeAdd);
    return;
  }
  const double mag = fv == Value::Ok ? -2.5 * std::log10(f) : 0;
  Judge(band, reason, time, fv, mag, FluxMagError(f, fluxError), timeAdd);
}

void RowSink::Judge(std::string_view band, const char* reason, std::string_view time, Value vv,
                    double v, double err, double timeAdd) {
  auto& dropped = Count(band);
  if (reason != nullptr) {
    ++dropped[reason];
    return;
  }
  double t = 0;
  const Value tv = ParseValue(time, t);
  if (tv == Value::Missing || vv == Value::Missing) {
    ++dropped[kMissing];
    return;
  }
  t += timeAdd;
  if (tv == Value::NonFinite || vv == Value::NonFinite || !std::isfinite(t)) {
    ++dropped[kNonFinite];
    return;
  }
  Keep(band, t, v, err);
}

}  // namespace korvel::formats
