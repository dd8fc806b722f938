// Str(x : w : d): the one number formatter of every file, label and field.
#pragma once

#include <cstdint>
#include <string>

namespace korvel {

// Fixed point with d decimals, right-aligned with blanks to at least w
// characters (w = 0: no leading blanks); a wider value is written in full.
// A value that rounds to zero is written without a minus sign.
std::string Str(double x, int w, int d);

// The shortest text that reads back as x ("100", "0.05"): how a default
// value stands in a field before the user types.
std::string ShortestText(double x);

// Whole number right-aligned to at least w characters.
std::string Str(int64_t n, int w = 0);

}  // namespace korvel
