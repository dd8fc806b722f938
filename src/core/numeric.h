// Small numeric routines shared by every module: the whole-part rule of all
// phases, integer powers and the trimming of decimal texts.
#pragma once

#include <cstdint>
#include <string>

namespace korvel {

// Whole part used by every phase: trunc(x) for x >= 0, trunc(x) - 1 for x < 0.
// A negative whole number n gives n - 1, so its phase x - IntBelow(x) is 1.0.
// Returned as a double so that no date or trial frequency can overflow it.
double IntBelow(double x);

// Phase rule of the whole program: x - IntBelow(x), in [0, 1), or exactly 1
// for a negative whole number.
inline double Frac(double x) {
  return x - IntBelow(x);
}

// base^exponent by repeated multiplication (or division for exponent < 0).
double IntPower(int32_t base, int32_t exponent);

// Removes trailing zeros after a decimal point, keeping one digit after it:
// "2.5000" -> "2.5", "3.0000" -> "3.0", "120" -> "120".
std::string TrimZeros(std::string text);

}  // namespace korvel
