// Colours of the plot surface, shared by the views, the phase colour scale and
// every canvas.
#pragma once

#include <cstdint>

namespace korvel {

struct Rgb {
  int32_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWindowColour{0, 128, 255};  // window, and text background of labels
inline constexpr Rgb kFrameFill{0, 0, 255};       // inside of a plot frame
inline constexpr Rgb kBlack{0, 0, 0};             // frame of the colour-coded view
inline constexpr Rgb kWhite{255, 255, 255};       // pen, font and ordinary points
inline constexpr Rgb kRed{255, 0, 0};             // mirror images, recent and marked points
inline constexpr Rgb kCurveGreen{96, 255, 96};    // the hand-adjustable mean curve
inline constexpr Rgb kSeparatorGrey{68, 68, 68};  // bin separators of view 's'

}  // namespace korvel
