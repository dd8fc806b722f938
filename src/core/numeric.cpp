#include "core/numeric.h"

#include <cmath>

namespace korvel {

double IntBelow(double x) {
  const double whole = std::trunc(x);
  return x >= 0 ? whole : whole - 1.0;
}

double IntPower(int32_t base, int32_t exponent) {
  double result = 1.0;
  const double b = static_cast<double>(base);
  if (exponent > 0) {
    for (int32_t i = 0; i < exponent; ++i) result *= b;
  } else {
    for (int32_t i = 0; i < -static_cast<int64_t>(exponent); ++i) result /= b;
  }
  return result;
}

std::string TrimZeros(std::string text) {
  if (text.find('.') == std::string::npos) return text;
  while (text.size() >= 2 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
  return text;
}

}  // namespace korvel
