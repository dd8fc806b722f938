#include "core/text_format.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace korvel {

namespace {
std::string PadLeft(std::string s, int w) {
  if (w > 0 && static_cast<int>(s.size()) < w) s.insert(0, static_cast<size_t>(w) - s.size(), ' ');
  return s;
}
}  // namespace

std::string Str(double x, int w, int d) {
  if (d < 0) d = 0;
  if (std::isnan(x)) return PadLeft("NAN", w);
  if (std::isinf(x)) return PadLeft(x > 0 ? "+INF" : "-INF", w);
  // 309 integer digits at most, plus sign, point and decimals.
  std::vector<char> buf(static_cast<size_t>(d) + 330);
  std::snprintf(buf.data(), buf.size(), "%.*f", d, x);
  std::string s(buf.data());
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return PadLeft(std::move(s), w);
}

std::string Str(int64_t n, int w) {
  return PadLeft(std::to_string(n), w);
}

std::string ShortestText(double x) {
  std::array<char, 32> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x).ptr;
  return std::string(buffer.data(), end);
}

}  // namespace korvel
